// Builds small resource catalogues in memory, in the binary forms of a resource compiler.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/catalogue.h"

namespace testres {

using Bytes = std::vector<uint8_t>;

// 0x00RRGGBB colours.
struct Dib {
    int width = 0;
    int height = 0;
    int bits = 8;                   // 1, 4, 8, 24 or 32
    std::vector<uint32_t> palette;  // written as the colour table (biClrUsed = its size if not full)
    std::vector<uint32_t> pixels;   // top row first: palette indices, or colours at 24 and 32 bits
    bool topDown = false;           // rows stored top first (negative height)
};
Bytes makeDib(const Dib& dib);

struct MenuItemDesc {
    std::u16string text;  // empty with id 0: a separator
    uint16_t id = 0;
    uint16_t flags = 0;                  // MF_CHECKED, MF_GRAYED ...
    std::vector<MenuItemDesc> children;  // non-empty: a popup
};
Bytes makeMenu(const std::vector<MenuItemDesc>& items);

struct MenuBarButtonDesc {
    uint16_t command;
    uint16_t label;    // string resource
    uint16_t submenu;  // index of the popup in the menu
    uint16_t style = 0x18;
};
Bytes makeMenuBarRecord(uint16_t menuId, const std::vector<MenuBarButtonDesc>& buttons);

struct DialogItem {
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t id = 0xFFFF;
    uint16_t classAtom = 0x0082;  // static
    std::u16string text;          // title text, unless iconId is set
    uint16_t iconId = 0;
};
struct DialogTemplate {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::u16string title;
    std::u16string font = u"System";
    uint16_t pointSize = 8;
    std::vector<DialogItem> items;
};
Bytes makeDialog(const DialogTemplate& dialogTemplate);

// A string table block: strings[i] is string (block - 1) * 16 + i.
Bytes makeStringBlock(const std::vector<std::u16string>& strings);

// A mono 8-bit PCM wave of `samples` bytes.
Bytes makeWave(uint32_t sampleRate, uint32_t samples);

// An icon image (height doubled, colour then AND mask) at 8 bits, and its group.
Bytes makeIconImage(int size, uint32_t colour, bool transparentCorner);
Bytes makeGroupIcon(const std::vector<std::pair<int, uint16_t>>& sizeAndId);

class Catalogue {
public:
    void add(uint16_t type, uint16_t id, Bytes data);
    void addWave(uint16_t id, Bytes data);
    void addString(uint16_t id, const std::u16string& text);  // collects into blocks
    const ResourceCatalogue* get();

private:
    std::deque<Bytes> blobs_;
    std::vector<ResourceEntry> entries_;
    std::vector<std::pair<uint16_t, std::u16string>> strings_;
    ResourceCatalogue catalogue_{};
};

}  // namespace testres
