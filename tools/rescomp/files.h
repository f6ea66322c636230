// The files a resource script names (headers, pictures, the icon, sounds): found, read whole, and
// checked as the resources they become. Every error is a ScriptError at `place`, the "file:line" of
// the script that names the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace rescomp {

// The whole of the file `name`, looked for in each folder in turn (an absolute name stands for
// itself). Not finding it, finding a folder or a device, or a file over 16 MB is an error.
struct FoundFile {
    std::filesystem::path path;
    std::string bytes;
};
FoundFile findFile(const std::string& name, const std::vector<std::filesystem::path>& folders,
                   const std::string& place);

// A .bmp file as a bitmap resource: its packed device-independent bitmap, without the file header.
// Only what the program can load passes: the 40-byte header, 1, 4, 8 or 24 bits, uncompressed,
// the colour table and pixels packed and whole.
std::vector<uint8_t> bitmapFromFile(const std::string& name, const std::vector<uint8_t>& file,
                                    const std::string& place);

// An .ico file as icon image resources, numbered from firstImage, and the group resource that
// lists them.
struct IconResources {
    std::vector<std::vector<uint8_t>> images;
    std::vector<uint8_t> group;
};
IconResources iconFromFile(const std::string& name, const std::vector<uint8_t>& file, uint16_t firstImage,
                           const std::string& place);

// A RIFF wave file, which is its own resource.
void checkWave(const std::string& name, const std::vector<uint8_t>& file, const std::string& place);

}  // namespace rescomp
