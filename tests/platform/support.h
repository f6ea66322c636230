// For the platform's tests: resources from small resource scripts compiled by the program's own
// resource compiler, the few binary files such scripts name, and the program's main loop.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/catalogue.h"
#include "platform/windows.h"
#include "tools/rescomp/script.h"

namespace support {

// A compiled script. `files` are the files the script names, by name.
class Catalogue {
public:
    explicit Catalogue(const std::string& script, const std::map<std::string, std::string>& files = {});
    HINSTANCE instance() const;  // valid until the next platformReset

private:
    std::vector<rescomp::Resource> resources_;
    std::vector<ResourceEntry> entries_;
    ResourceCatalogue catalogue_{};
};

// A picture: palette indices at 1, 4 and 8 bits, 0x00RRGGBB colours at 24 and 32; top row first.
struct Image {
    int width, height, bits;
    std::vector<uint32_t> table;  // the colour table, as many entries as given
    std::vector<uint32_t> pixels;
};
std::string dib(const Image& image, bool topDown = false);  // a packed bitmap, as in a resource
std::string bmp(const Image& image);                        // a .bmp file
// An .ico file of 8-bit images in which index 0 lets the background show.
std::string ico(const std::vector<Image>& images);
// A RIFF wave file of 8-bit mono samples.
std::string wave(uint32_t sampleRate, uint32_t samples);

// Passes of the main loop, dispatching what they take; gives the quit code, or -1 when the loop
// did not end within them.
int mainLoop(int passes);

}  // namespace support
