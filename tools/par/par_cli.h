// dorurura-par: the PAR sheets of the four machines, a simulation of their spins and a spin trace.
#pragma once

#include <cstdio>

// Runs the program with its command line; writes to out and err, returns the exit code.
int parMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
