// The display and other pixels as PNG files, through libpng's simplified API (the desktop and the
// headless backend; the web backend has its own, the canvas's encoder).
#include <png.h>

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
    return png_image_write_to_file(&image, path, 0, rgbBytes.data(), 0, nullptr) ? 1 : 0;
}
