// Windows' standard streams, and the platform's files to write made with the system's own calls:
// a device (NUL, CON, COM1) or a pipe is refused as on other systems.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <initializer_list>

#include "platform/win32_stdio.h"

// The platform's own declaration (platform/host.h), whose types cannot meet the system's.
std::FILE* platformCreateFile(const char* path);

namespace {

// errno for what CreateFileW found, as the C library would say it.
int errnoFor(DWORD error, const wchar_t* path) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_ACCESS_DENIED: {
            const DWORD attributes = GetFileAttributesW(path);
            const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            return folder ? EISDIR : EACCES;
        }
        case ERROR_SHARING_VIOLATION:
            return EBUSY;
        case ERROR_DISK_FULL:
            return ENOSPC;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return EINVAL;
        default:
            return EIO;
    }
}

}  // namespace

std::FILE* platformCreateFile(const char* path) {
    wchar_t wide[4096];
    // A name that is not UTF-8, or too long, names no file there can be.
    if (!path || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, 4096) == 0) {
        errno = ENOENT;
        return nullptr;
    }
    HANDLE handle = CreateFileW(wide, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = errnoFor(GetLastError(), wide);
        return nullptr;
    }
    // Emptied only once it is known to be a file on a disk.
    if (GetFileType(handle) != FILE_TYPE_DISK || !SetEndOfFile(handle)) {
        errno = GetFileType(handle) != FILE_TYPE_DISK ? EINVAL : errnoFor(GetLastError(), wide);
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EIO;
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) _close(fd);
    return file;
}

void win32PrepareStandardStreams() {
    if (_get_osfhandle(_fileno(stdout)) < 0 && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!std::freopen("CONOUT$", "w", stdout) || !std::freopen("CONOUT$", "w", stderr)) return;
    }
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
}
