#include <fcntl.h>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <initializer_list>

#include "tools/par/par_cli.h"

int main(int argc, char** argv) {
#if defined(_WIN32)
    for (std::FILE* stream : {stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);  // "\n" as elsewhere
#else
    // A standard stream started closed stays taken (by /dev/null, read-only), so a file the program
    // opens never becomes its output and a write to it fails as it would have.
    for (const int fd : {0, 1, 2})
        if (fcntl(fd, F_GETFD) == -1) {
            const int held = open("/dev/null", O_RDONLY);
            if (held >= 0 && held != fd) {
                dup2(held, fd);
                close(held);
            }
        }
#endif
    return parMain(argc, argv, stdout, stderr);
}
