// The display and other pixels as PNG files, on the desktop and the headless backend (the web backend
// has its own, the canvas's encoder). Each system's encoder makes the file's bytes: png_libpng.cpp
// through libpng, png_zlib.cpp through zlib alone on Windows, where Debian has no libpng.
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/host.h"
#include "platform/internal.h"

int platformWritePng(const char* path, const uint32_t* pixels, int width, int height) {
    std::vector<uint8_t> png;
    if (!path || !pixels || width <= 0 || height <= 0 || !plat::encodePng(pixels, width, height, png))
        return 0;
    std::FILE* file = platformCreateFile(path);  // errno says why not
    if (!file) return 0;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    int error = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return 1;
    if (written) error = errno;  // why it did not close
    std::remove(path);           // no half picture is left behind
    errno = error;
    return 0;
}
