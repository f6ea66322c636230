#include "platform/single_copy.h"

#include <fcntl.h>
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

namespace {

constexpr char Request[] = "front\n";
constexpr int ClientPatience = 120;  // polls to wait for a connected client's request

// A folder of our own: a directory owned by this user, not writable by others.
bool privateFolder(const char* path) {
    struct stat info;
    if (lstat(path, &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool paths(const char* folder, const char* name, char* lockPath, size_t lockSize, char* socketPath,
           size_t socketSize) {
    char clean[64];
    size_t n = 0;
    for (const char* p = name; p && *p && n + 1 < sizeof clean; ++p) {
        char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) clean[n++] = c;
    }
    clean[n] = 0;
    if (n == 0) return false;
    int a = std::snprintf(lockPath, lockSize, "%s/dorurura-%s.lock", folder, clean);
    int b = std::snprintf(socketPath, socketSize, "%s/dorurura-%s.sock", folder, clean);
    return a > 0 && static_cast<size_t>(a) < lockSize && b > 0 && static_cast<size_t>(b) < socketSize;
}

void closeFd(int* fd) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
}

sockaddr_un socketAddress(const char* path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path);
    return address;
}

}  // namespace

size_t singleCopyFolder(const char* override, char* folder, size_t size) {
    if (!folder || size == 0) return 0;
    folder[0] = 0;
    const char* chosen = override && *override ? override : nullptr;
    char fallback[64];
    if (!chosen) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime && *runtime && privateFolder(runtime)) {
            chosen = runtime;
        } else {
            std::snprintf(fallback, sizeof fallback, "/tmp/dorurura-%u", static_cast<unsigned>(getuid()));
            if (mkdir(fallback, 0700) != 0 && errno != EEXIST) return 0;
            chosen = fallback;
        }
    }
    if (!privateFolder(chosen)) return 0;
    int n = std::snprintf(folder, size, "%s", chosen);
    if (n > 0 && static_cast<size_t>(n) < size) return static_cast<size_t>(n);
    folder[0] = 0;
    return 0;
}

int singleCopyClaim(SingleCopy* copy, const char* folder, const char* name) {
    if (!copy || !folder || !*folder) return -1;
    if (copy->lockFd >= 0) return 1;
    if (!paths(folder, name, copy->lockPath, sizeof copy->lockPath, copy->socketPath,
               sizeof copy->socketPath))
        return -1;
    int fd = open(copy->lockPath, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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
    sockaddr_un address = socketAddress(copy->socketPath);
    unlink(copy->socketPath);  // left by a copy that ended without tidying; we hold the lock
    mode_t old = umask(0177);
    int bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
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
            if (got == static_cast<ssize_t>(sizeof Request - 1) && std::memcmp(buffer, Request, got) == 0)
                ++requests;
            closeFd(&copy->clients[i]);
        }
    }
    return requests;
}

int singleCopyRequestFront(const char* folder, const char* name) {
    char lockPath[256], socketPath[108];
    if (!folder || !*folder || !paths(folder, name, lockPath, sizeof lockPath, socketPath, sizeof socketPath))
        return 0;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_un address = socketAddress(socketPath);
    bool sent =
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(fd, Request, sizeof Request - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof Request - 1);
    close(fd);
    return sent ? 1 : 0;
}

void singleCopyRelease(SingleCopy* copy) {
    if (!copy) return;
    for (int& client : copy->clients)
        closeFd(&client);
    if (copy->listenFd >= 0) {
        closeFd(&copy->listenFd);
        unlink(copy->socketPath);
    }
    closeFd(&copy->lockFd);
}
