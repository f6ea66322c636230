#include <cstdio>

#include "tools/par/par_cli.h"

int main(int argc, char** argv) {
    return parMain(argc, argv, stdout, stderr);
}
