// One running copy per user: a lock file held while the program runs, and a local socket on which
// the running copy accepts one request, "bring to front", from the same user only, and answers it.
//
// The files live in a folder only the user controls: $XDG_RUNTIME_DIR, or else
// ${XDG_CACHE_HOME:-$HOME/.cache}/dorurura (made private to the user). A folder that another user
// owns, or that others may write to, is never used.
#pragma once

#include <sys/un.h>

#include <cstddef>

constexpr int MaxFrontClients = 4;

struct SingleCopy {
    int folderFd = -1;                                // the folder, held open (a path-only descriptor)
    int lockFd = -1;                                  // held: this process is the running copy
    int listenFd = -1;                                // accepting requests
    int clients[MaxFrontClients] = {-1, -1, -1, -1};  // connections whose request has not arrived yet
    int clientAge[MaxFrontClients] = {};
    char socketName[80] = {};  // the socket's name inside the folder
    sockaddr_un address{};     // the socket's address
};

// The folder for the files; null or empty override: as above. Gives the length written, or 0 with
// one line saying why there is no private folder in problem.
size_t singleCopyFolder(const char* override, char* folder, size_t size, char* problem, size_t problemSize);

// Takes the lock for `name` (letters and digits are kept). Gives 1 when this process now holds it,
// 0 when another process does, -1 when the files cannot be made (then nothing is enforced).
int singleCopyClaim(SingleCopy* copy, const char* folder, const char* name);

// Starts accepting requests; needs the lock. Gives 1/0.
int singleCopyListen(SingleCopy* copy);

// Takes waiting requests without blocking, and answers each; gives how many valid "bring to
// front" requests came.
int singleCopyPoll(SingleCopy* copy);

// Asks the copy holding `name`'s lock to come to the front, and waits at most patienceMs for it
// to answer. Gives 1 when it answered, 0 when it did not (none runs, or it does not respond).
int singleCopyRequestFront(const char* folder, const char* name, int patienceMs);

// Closes everything and gives up the lock.
void singleCopyRelease(SingleCopy* copy);
