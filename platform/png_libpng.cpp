// PNG files' bytes through libpng's simplified API.
#include <png.h>

#include "platform/internal.h"

bool plat::encodePng(const uint32_t* pixels, int width, int height, std::vector<uint8_t>& png) {
    std::vector<png_byte> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<png_byte>(pixels[i / 3] >> (16 - 8 * (i % 3)));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;  // asked first, then written
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) return false;
    png.resize(size);
    return png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr) != 0;
}
