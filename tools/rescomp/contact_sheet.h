// A review picture of every compiled bitmap and icon image, each at twice its size with its id.
#pragma once

#include <string>
#include <vector>

#include "tools/rescomp/script.h"

namespace rescomp {

// Decodes a packed device-independent bitmap (40-byte header, 1/4/8/24 bits, uncompressed) into
// 0xAARRGGBB pixels, top row first. Icon images (height doubled, AND mask after the colours) are
// decoded with their mask as transparency. Gives false for anything else.
bool decodeDib(const std::vector<uint8_t>& dib, bool isIcon, int& width, int& height,
               std::vector<uint32_t>& argb);

bool writeContactSheet(const std::vector<Resource>& resources, const std::string& pngPath);

}  // namespace rescomp
