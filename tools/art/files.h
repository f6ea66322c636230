// Writing the art tool's results: device-independent bitmaps, icons, wave sounds, review pictures.
// Each writer fails (tools/art/error.h) naming the file when it cannot write it, or when a picture's
// colour table is not full.
#pragma once

#include <string>
#include <vector>

#include "tools/art/image.h"

namespace art {

// A .bmp file: 14-byte file header, 40-byte information header, the full colour table, then the
// rows bottom-up, each padded to 4 bytes.
void writeBmp(const std::string& path, const IndexedImage& image);

struct IconImage {
    IndexedImage colours;
    std::vector<uint8_t> transparent;  // per pixel, 1 where the icon lets the background show
};

// An .ico file holding the images in the given order.
void writeIco(const std::string& path, const std::vector<IconImage>& images);

// A RIFF wave file: 16-byte format chunk, 8-bit mono PCM. With padOddData an odd data chunk is
// followed by the pad byte RIFF asks for (counted in the RIFF size, not in the data size).
void writeWav(const std::string& path, int sampleRate, const std::vector<uint8_t>& samples, bool padOddData);

// A PNG for review, scaled by a whole factor without smoothing.
void writePng(const std::string& path, const RgbImage& image, int scale);

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace art
