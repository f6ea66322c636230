// One running copy per user: a lock file held while the program runs, and a local socket on which
// the running copy accepts one request, "bring to front", from the same user only.
//
// The files live in $XDG_RUNTIME_DIR, or else in /tmp/dorurura-<uid> (made private to the user).
#pragma once

#include <cstddef>

constexpr int MaxFrontClients = 4;

struct SingleCopy {
    int lockFd = -1;                                  // held: this process is the running copy
    int listenFd = -1;                                // accepting requests
    int clients[MaxFrontClients] = {-1, -1, -1, -1};  // connections whose request has not arrived yet
    int clientAge[MaxFrontClients] = {};
    char lockPath[256] = {};
    char socketPath[108] = {};
};

// The folder for the files; null or empty: $XDG_RUNTIME_DIR or /tmp/dorurura-<uid>. Gives the
// length written, 0 when there is no private folder to use.
size_t singleCopyFolder(const char* override, char* folder, size_t size);

// Takes the lock for `name` (letters and digits are kept). Gives 1 when this process now holds it,
// 0 when another process does, -1 when the files cannot be made (then nothing is enforced).
int singleCopyClaim(SingleCopy* copy, const char* folder, const char* name);

// Starts accepting requests; needs the lock. Gives 1/0.
int singleCopyListen(SingleCopy* copy);

// Takes waiting requests without blocking; gives how many valid "bring to front" requests came.
int singleCopyPoll(SingleCopy* copy);

// Asks the copy holding `name`'s lock to come to the front. Gives 1 when the request was sent.
int singleCopyRequestFront(const char* folder, const char* name);

// Closes everything and gives up the lock.
void singleCopyRelease(SingleCopy* copy);
