#include "platform/single_copy.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/text.h"

namespace {

constexpr char Request[] = "front\n";
constexpr char Answer[] = "here\n";
constexpr int ClientPatience = 120;  // polls to wait for a connected client's request

// A folder of our own: a directory owned by this user, not writable by others.
bool privateFolder(const char* path) {
    struct stat info;
    if (lstat(path, &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The file for `name` with `suffix` (".lock" or ".sock"), letters and digits of the name only.
bool fileName(const char* name, const char* suffix, char* out, size_t size) {
    char clean[64];
    size_t n = 0;
    for (const char* p = name; p && *p && n + 1 < sizeof clean; ++p) {
        char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) clean[n++] = c;
    }
    clean[n] = 0;
    if (n == 0) return false;
    std::snprintf(out, size, "dorurura-%s%s", clean, suffix);
    return true;
}

void closeFd(int* fd) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
}

int openFolder(const char* folder) {
    return open(folder, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The socket's address: its path, or, when that is too long for an address, the same file reached
// through the folder's open descriptor.
bool socketAddress(const char* folder, int folderFd, const char* socketName, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    const size_t room = sizeof address.sun_path;
    int n = std::snprintf(address.sun_path, room, "%s/%s", folder, socketName);
    if (n > 0 && static_cast<size_t>(n) < room) return true;
    n = std::snprintf(address.sun_path, room, "/proc/self/fd/%d/%s", folderFd, socketName);
    return n > 0 && static_cast<size_t>(n) < room;
}

long long nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Connects to the running copy, trying again while it is starting up or its queue is full, until
// the deadline. Gives the connected socket, or -1.
int connectBy(const sockaddr_un& address, long long deadline) {
    for (;;) {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
        const int error = errno;
        close(fd);
        const bool worthRetrying = error == EAGAIN || error == ECONNREFUSED || error == ENOENT;
        if (!worthRetrying || nowMs() + 20 > deadline) return -1;
        usleep(20 * 1000);
    }
}

}  // namespace

size_t singleCopyFolder(const char* override, char* folder, size_t size, char* problem, size_t problemSize) {
    if (problem && problemSize > 0) problem[0] = 0;
    if (!folder || size == 0) return 0;
    folder[0] = 0;
    // One line, the path escaped and, when it does not fit, cut with "...".
    const auto refuse = [&](const char* before, const std::string& path, const char* after) {
        if (!problem || problemSize == 0) return size_t{0};
        const size_t fixed = std::strlen(before) + std::strlen(after) + 1;
        const size_t room = problemSize > fixed + 3 ? problemSize - fixed - 3 : 0;
        std::string shown = escapedText(path);
        if (shown.size() > room) {
            shown.clear();
            for (const char c : path) {
                const std::string next = escapedText(std::string_view(&c, 1));
                if (shown.size() + next.size() > room) break;
                shown += next;
            }
            shown += "...";
        }
        std::snprintf(problem, problemSize, "%s%s%s", before, shown.c_str(), after);
        return size_t{0};
    };
    std::string chosen = override && *override ? override : "";
    if (chosen.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        const char* cache = std::getenv("XDG_CACHE_HOME");
        const char* home = std::getenv("HOME");
        // A runtime folder whose name is too long to keep is passed over, as an unset one is.
        const bool runtimeFits = runtime && *runtime && std::strlen(runtime) < size;
        if (runtimeFits && privateFolder(runtime)) {
            chosen = runtime;
        } else {
            if (cache && *cache == '/') {
                chosen = std::string(cache) + "/dorurura";
            } else if (home && *home == '/') {
                mkdir((std::string(home) + "/.cache").c_str(), 0700);  // its absence shows below
                chosen = std::string(home) + "/.cache/dorurura";
            } else {
                return refuse("neither XDG_RUNTIME_DIR nor HOME names a folder", "", "");
            }
            if (mkdir(chosen.c_str(), 0700) != 0 && errno != EEXIST)
                return refuse("cannot make the folder ", chosen, "");
        }
    }
    if (!privateFolder(chosen.c_str()))
        return refuse("", chosen, " is not a folder of this user's that only they can write to");
    if (chosen.size() >= size) return refuse("the folder's name is too long: ", chosen, "");
    std::memcpy(folder, chosen.c_str(), chosen.size() + 1);
    return chosen.size();
}

int singleCopyClaim(SingleCopy* copy, const char* folder, const char* name) {
    if (!copy || !folder || !*folder) return -1;
    if (copy->lockFd >= 0) return 1;
    char lockName[80];
    if (!fileName(name, ".lock", lockName, sizeof lockName) ||
        !fileName(name, ".sock", copy->socketName, sizeof copy->socketName))
        return -1;
    if (copy->folderFd < 0) copy->folderFd = openFolder(folder);
    if (copy->folderFd < 0 || !socketAddress(folder, copy->folderFd, copy->socketName, copy->address)) return -1;
    int fd = openat(copy->folderFd, lockName, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? 0 : -1;
    }
    copy->lockFd = fd;
    return 1;
}

int singleCopyListen(SingleCopy* copy) {
    if (!copy || copy->lockFd < 0) return 0;
    if (copy->listenFd >= 0) return 1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    unlinkat(copy->folderFd, copy->socketName, 0);  // left by a copy that ended without tidying; we hold the lock
    mode_t old = umask(0177);
    int bound = bind(fd, reinterpret_cast<const sockaddr*>(&copy->address), sizeof copy->address);
    umask(old);
    if (bound != 0 || listen(fd, 4) != 0) {
        close(fd);
        return 0;
    }
    copy->listenFd = fd;
    return 1;
}

int singleCopyPoll(SingleCopy* copy) {
    if (!copy || copy->listenFd < 0) return 0;
    for (;;) {
        int client = accept4(copy->listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) break;
        ucred peer{};
        socklen_t length = sizeof peer;
        bool sameUser =
            getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == getuid();
        int* free = std::find(copy->clients, copy->clients + MaxFrontClients, -1);
        if (!sameUser || free == copy->clients + MaxFrontClients) {
            close(client);
            continue;
        }
        *free = client;
        copy->clientAge[free - copy->clients] = 0;
    }
    int requests = 0;
    for (int i = 0; i < MaxFrontClients; ++i) {
        if (copy->clients[i] < 0) continue;
        char buffer[sizeof Request] = {};
        ssize_t got = recv(copy->clients[i], buffer, sizeof buffer - 1, MSG_PEEK);
        if (got == static_cast<ssize_t>(sizeof Request - 1) || got == 0 || (got < 0 && errno != EAGAIN) ||
            ++copy->clientAge[i] > ClientPatience) {
            if (got == static_cast<ssize_t>(sizeof Request - 1) && std::memcmp(buffer, Request, got) == 0) {
                ++requests;
                send(copy->clients[i], Answer, sizeof Answer - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            }
            closeFd(&copy->clients[i]);
        }
    }
    return requests;
}

int singleCopyRequestFront(const char* folder, const char* name, int patienceMs) {
    char socketName[80];
    if (!folder || !*folder || !fileName(name, ".sock", socketName, sizeof socketName)) return 0;
    const long long deadline = nowMs() + std::max(patienceMs, 0);
    int folderFd = openFolder(folder);
    sockaddr_un address;
    int fd = folderFd >= 0 && socketAddress(folder, folderFd, socketName, address) ? connectBy(address, deadline)
                                                                                   : -1;
    bool answered = false;
    if (fd >= 0 && send(fd, Request, sizeof Request - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof Request - 1)) {
        pollfd wait{fd, POLLIN, 0};
        const long long left = deadline - nowMs();
        char buffer[sizeof Answer] = {};
        answered = left > 0 && poll(&wait, 1, static_cast<int>(left)) == 1 &&
                   recv(fd, buffer, sizeof buffer - 1, MSG_DONTWAIT) == static_cast<ssize_t>(sizeof Answer - 1) &&
                   std::memcmp(buffer, Answer, sizeof Answer - 1) == 0;
    }
    closeFd(&fd);
    closeFd(&folderFd);
    return answered ? 1 : 0;
}

void singleCopyRelease(SingleCopy* copy) {
    if (!copy) return;
    for (int& client : copy->clients)
        closeFd(&client);
    if (copy->listenFd >= 0) {
        closeFd(&copy->listenFd);
        unlinkat(copy->folderFd, copy->socketName, 0);
    }
    closeFd(&copy->lockFd);
    closeFd(&copy->folderFd);
}
