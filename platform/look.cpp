// Drawing the pieces of the shell's look.
#include "platform/shell_look.h"

namespace plat::look {

void raisedBox(const Canvas& c, int left, int top, int right, int bottom) {
    fillRect(c, left, top, right, bottom, DarkShadow);
    fillRect(c, left, top, right - 1, bottom - 1, Face);
    fillRect(c, left + 1, top + 1, right - 1, bottom - 1, Shadow);
    fillRect(c, left + 1, top + 1, right - 2, bottom - 2, Light);
    fillRect(c, left + 2, top + 2, right - 2, bottom - 2, Face);
}

void navBackground(const Canvas& c, int left, int top, int right, int bottom) {
    int rows = bottom - top;
    for (int y = 0; y < rows; ++y) {
        // From a lighter blue at the top to navy at the bottom.
        int t = rows > 1 ? y * 255 / (rows - 1) : 0;
        uint32_t r = static_cast<uint32_t>((58 * (255 - t) + 10 * t) / 255);
        uint32_t g = static_cast<uint32_t>((98 * (255 - t) + 36 * t) / 255);
        uint32_t b = static_cast<uint32_t>((196 * (255 - t) + 106 * t) / 255);
        fillRect(c, left, top + y, right, top + y + 1, rgb(r, g, b));
    }
    fillRect(c, left, bottom - 1, right, bottom, 0x000000);
}

void startFlag(const Canvas& c, int x, int y) {
    static const char* const Flag[14] = {
        "..RRRR.........", ".RRRRRR..GGGG..", ".RRRRRR.GGGGGGG", ".RRRRRR.GGGGGGG", "RRRRRRR.GGGGGGG",
        "RRRRRR.GGGGGGG.", "RRRRRR.GGGGGGG.", "...............", ".BBBB..YYYYYYY.", "BBBBBB.YYYYYYY.",
        "BBBBBB.YYYYYYY.", "BBBBBB.YYYYYY..", "BBBBB..YYYY....", ".BB............",
    };
    for (int j = 0; j < 14; ++j) {
        for (int i = 0; i < 15; ++i) {
            uint32_t colour;
            switch (Flag[j][i]) {
                case 'R':
                    colour = 0xF65314;
                    break;
                case 'G':
                    colour = 0x7CBB00;
                    break;
                case 'B':
                    colour = 0x00A1F1;
                    break;
                case 'Y':
                    colour = 0xFFBB00;
                    break;
                default:
                    continue;
            }
            fillRect(c, x + i, y + j, x + i + 1, y + j + 1, colour);
        }
    }
}

void okButton(const Canvas& c, const RECT& r, bool pressed) {
    int l = r.left, t = r.top, rt = r.right, b = r.bottom;
    uint32_t edge = Light;
    // A rounded outline: the corners are left out.
    fillRect(c, l + 1, t, rt - 1, t + 1, edge);
    fillRect(c, l + 1, b - 1, rt - 1, b, edge);
    fillRect(c, l, t + 1, l + 1, b - 1, edge);
    fillRect(c, rt - 1, t + 1, rt, b - 1, edge);
    if (pressed) fillRect(c, l + 1, t + 1, rt - 1, b - 1, Light);
    static const WCHAR Ok[] = u"ok";
    int w = textWidth(Ok, 2, true);
    drawText(c, l + (rt - l - w) / 2, t + (b - t - LineHeight) / 2, Ok, 2, pressed ? Navy : Light, true);
}

void caption(const Canvas& c, int left, int top, int right, int bottom, const WCHAR* title) {
    fillRect(c, left, top, right, bottom, Navy);
    int length = wideLength(title, MaxTitle);
    drawText(c, left + 5, top + (bottom - top - LineHeight) / 2, title, length, Light, true);
}

}  // namespace plat::look
