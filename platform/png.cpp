// The display and other pixels as PNG files, through libpng's simplified API (the desktop and the
// headless backend; the web backend has its own, the canvas's encoder).
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/host.h"

int platformWritePng(const char* path, const uint32_t* pixels, int width, int height) {
    if (!path || !pixels || width <= 0 || height <= 0) return 0;
    std::vector<png_byte> rgbBytes(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0; i < rgbBytes.size() / 3; ++i) {
        rgbBytes[i * 3] = static_cast<png_byte>(pixels[i] >> 16);
        rgbBytes[i * 3 + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgbBytes[i * 3 + 2] = static_cast<png_byte>(pixels[i]);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    std::FILE* file = platformCreateFile(path);  // errno says why not
    if (!file) return 0;
    errno = 0;
    const bool encoded = png_image_write_to_stdio(&image, file, 0, rgbBytes.data(), 0, nullptr) != 0;
    int error = errno;
    const bool closed = std::fclose(file) == 0;
    if (encoded && closed) return 1;
    if (encoded) error = errno;  // why it did not close
    unlink(path);                // no half picture is left behind
    errno = error;
    return 0;
}
