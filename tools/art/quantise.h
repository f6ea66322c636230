// Reducing a full-colour picture to an indexed one with a colour table of its own.
#pragma once

#include <vector>

#include "tools/art/image.h"

namespace art {

struct QuantiseOptions {
    int bits = 8;                 // depth of the result: 1, 4 or 8
    int colours = 0;              // how many table entries to use; 0 for all 1 << bits
    std::vector<Rgb> fixed;       // colours the table must hold exactly
    std::vector<uint8_t> locked;  // per pixel: 1 keeps the pixel's exact colour (it joins `fixed`)
    double dither = 0.0;          // error diffusion strength, 0 (none) to 1 (full Floyd-Steinberg)
};

// Builds the colour table (median cut refined by k-means, around the fixed colours) and maps every
// pixel to it. Pixels whose colour is in the table keep it exactly. Fails (tools/art/error.h) when
// the fixed colours alone do not fit: a fault of the drawing, not of a file.
IndexedImage quantise(const RgbImage& image, const QuantiseOptions& options);

// Maps a picture onto a given colour table (nearest colour, no diffusion).
IndexedImage mapToPalette(const RgbImage& image, const std::vector<Rgb>& palette, int bits);

}  // namespace art
