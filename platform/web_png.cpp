// PNG files on the web: the canvas's own encoder, whose pictures the page finds by file name in
// the module's `shots` (platform/web.js). Nothing is written to a file system.
#include "platform/host.h"

extern "C" int webWritePng(const char* path, const uint32_t* pixels, int width, int height);

int platformWritePng(const char* path, const uint32_t* pixels, int width, int height) {
    if (!path || !pixels || width <= 0 || height <= 0) return 0;
    return webWritePng(path, pixels, width, height);
}
