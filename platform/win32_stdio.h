// Windows' standard streams and files, for the programs' entries and the platform core.
#pragma once

// Readies the standard streams of a program: binary mode, so that "\n" stays one byte as on other
// systems, and a windowed program started from a console writes to that console when its output
// is not redirected.
void win32PrepareStandardStreams();
