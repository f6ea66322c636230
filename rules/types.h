// Types shared by every layer of the game.
#pragma once

#include <cstdint>

// A rectangle: top-left corner and size, in pixels of the window's drawing area.
struct Rect16 {
    int16_t x;
    int16_t y;
    int16_t w;
    int16_t h;
};

// True when (px, py) lies inside r: left and top edges inside, right and bottom edges outside.
constexpr bool rectContains(const Rect16& r, int px, int py) {
    return r.x <= px && px < r.x + r.w && r.y <= py && py < r.y + r.h;
}
