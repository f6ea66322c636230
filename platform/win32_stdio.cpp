// Windows' standard streams, and the platform's files to write: opened by the C library, which says
// why not in errno, then refused when they are no file on a disk (a device such as NUL, CON or COM1,
// or a pipe), as on other systems.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <initializer_list>

#include "platform/win32_stdio.h"

// The platform's own declaration (platform/host.h), whose types cannot meet the system's.
std::FILE* platformCreateFile(const char* path);

std::FILE* platformCreateFile(const char* path) {
    wchar_t wide[4096];
    // A name that is not UTF-8, or too long, names no file there can be.
    if (!path || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, 4096) == 0) {
        errno = ENOENT;
        return nullptr;
    }
    const int fd = _wopen(wide, _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {  // a folder is "Is a directory" here too, not "Permission denied"
        const DWORD attributes = GetFileAttributesW(wide);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) errno = EISDIR;
        return nullptr;
    }
    // Emptied only once it is known to be a file on a disk.
    const bool disk = GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_DISK;
    std::FILE* file = disk && _chsize(fd, 0) == 0 ? _fdopen(fd, "wb") : nullptr;
    if (file) return file;
    const int error = disk ? errno : EINVAL;
    _close(fd);
    errno = error;
    return nullptr;
}

void win32PrepareStandardStreams() {
    if (_get_osfhandle(_fileno(stdout)) < 0 && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!std::freopen("CONOUT$", "w", stdout) || !std::freopen("CONOUT$", "w", stderr)) return;
    }
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
}
