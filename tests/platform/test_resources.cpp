#include "tests/platform/test_resources.h"

#include <algorithm>
#include <map>

namespace testres {

namespace {

void u16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void u32(Bytes& b, uint32_t v) {
    u16(b, v & 0xFFFF);
    u16(b, v >> 16);
}
void text(Bytes& b, const std::u16string& s) {
    for (char16_t c : s)
        u16(b, c);
    u16(b, 0);
}
void align4(Bytes& b) {
    while (b.size() % 4)
        b.push_back(0);
}

void header(Bytes& b, int width, int height, int bits, uint32_t colours) {
    u32(b, 40);
    u32(b, static_cast<uint32_t>(width));
    u32(b, static_cast<uint32_t>(height));
    u16(b, 1);
    u16(b, static_cast<uint32_t>(bits));
    u32(b, 0);  // BI_RGB
    u32(b, 0);
    u32(b, 2835);
    u32(b, 2835);
    u32(b, colours);
    u32(b, 0);
}

void palette(Bytes& b, const std::vector<uint32_t>& colours) {
    for (uint32_t c : colours) {
        b.push_back(static_cast<uint8_t>(c & 0xFF));
        b.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
        b.push_back(static_cast<uint8_t>((c >> 16) & 0xFF));
        b.push_back(0);
    }
}

void packRow(Bytes& b, const uint32_t* row, int width, int bits) {
    size_t start = b.size();
    size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    b.resize(start + stride, 0);
    uint8_t* out = b.data() + start;
    for (int x = 0; x < width; ++x) {
        uint32_t v = row[x];
        switch (bits) {
            case 1:
                out[x / 8] = static_cast<uint8_t>(out[x / 8] | ((v & 1) << (7 - x % 8)));
                break;
            case 4:
                out[x / 2] = static_cast<uint8_t>(out[x / 2] | ((v & 0xF) << (x % 2 ? 0 : 4)));
                break;
            case 8:
                out[x] = static_cast<uint8_t>(v);
                break;
            case 24:
                out[x * 3] = static_cast<uint8_t>(v);
                out[x * 3 + 1] = static_cast<uint8_t>(v >> 8);
                out[x * 3 + 2] = static_cast<uint8_t>(v >> 16);
                break;
            default:
                out[x * 4] = static_cast<uint8_t>(v);
                out[x * 4 + 1] = static_cast<uint8_t>(v >> 8);
                out[x * 4 + 2] = static_cast<uint8_t>(v >> 16);
                break;
        }
    }
}

void menuItems(Bytes& b, const std::vector<MenuItemDesc>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItemDesc& item = items[i];
        uint32_t flags = item.flags;
        if (i + 1 == items.size()) flags |= 0x80;  // MF_END
        if (!item.children.empty()) {
            u16(b, flags | 0x10);  // MF_POPUP
            text(b, item.text);
            menuItems(b, item.children);
        } else {
            u16(b, flags);
            u16(b, item.id);
            text(b, item.text);
        }
    }
}

}  // namespace

Bytes makeDib(const Dib& dib) {
    Bytes b;
    uint32_t full = dib.bits <= 8 ? (1u << dib.bits) : 0;
    uint32_t used = dib.palette.size() == full ? 0 : static_cast<uint32_t>(dib.palette.size());
    header(b, dib.width, dib.topDown ? -dib.height : dib.height, dib.bits, used);
    palette(b, dib.palette);
    for (int n = 0; n < dib.height; ++n) {
        int y = dib.topDown ? n : dib.height - 1 - n;
        packRow(b, dib.pixels.data() + static_cast<size_t>(y) * dib.width, dib.width, dib.bits);
    }
    return b;
}

Bytes makeMenu(const std::vector<MenuItemDesc>& items) {
    Bytes b;
    u16(b, 0);
    u16(b, 0);
    menuItems(b, items);
    return b;
}

Bytes makeMenuBarRecord(uint16_t menuId, const std::vector<MenuBarButtonDesc>& buttons) {
    Bytes b;
    u16(b, menuId);
    u16(b, static_cast<uint32_t>(buttons.size()));
    for (const MenuBarButtonDesc& button : buttons) {
        u16(b, 0xFFFE);
        u16(b, button.command);
        u16(b, 4);
        u16(b, button.style);
        u16(b, button.label);
        u16(b, 0);
        u16(b, button.submenu);
    }
    return b;
}

Bytes makeDialog(const DialogTemplate& dialogTemplate) {
    Bytes b;
    u32(b, dialogTemplate.style);
    u32(b, dialogTemplate.exStyle);
    u16(b, static_cast<uint32_t>(dialogTemplate.items.size()));
    u16(b, static_cast<uint16_t>(dialogTemplate.x));
    u16(b, static_cast<uint16_t>(dialogTemplate.y));
    u16(b, static_cast<uint16_t>(dialogTemplate.cx));
    u16(b, static_cast<uint16_t>(dialogTemplate.cy));
    u16(b, 0);  // no menu
    u16(b, 0);  // standard class
    text(b, dialogTemplate.title);
    if (dialogTemplate.style & 0x40) {
        u16(b, dialogTemplate.pointSize);
        text(b, dialogTemplate.font);
    }
    for (const DialogItem& item : dialogTemplate.items) {
        align4(b);
        u32(b, item.style);
        u32(b, 0);
        u16(b, static_cast<uint16_t>(item.x));
        u16(b, static_cast<uint16_t>(item.y));
        u16(b, static_cast<uint16_t>(item.cx));
        u16(b, static_cast<uint16_t>(item.cy));
        u16(b, item.id);
        u16(b, 0xFFFF);
        u16(b, item.classAtom);
        if (item.iconId) {
            u16(b, 0xFFFF);
            u16(b, item.iconId);
        } else {
            text(b, item.text);
        }
        u16(b, 0);
    }
    return b;
}

Bytes makeStringBlock(const std::vector<std::u16string>& strings) {
    Bytes b;
    for (int i = 0; i < 16; ++i) {
        const std::u16string s = i < static_cast<int>(strings.size()) ? strings[i] : std::u16string();
        u16(b, static_cast<uint32_t>(s.size()));
        for (char16_t c : s)
            u16(b, c);
    }
    return b;
}

Bytes makeWave(uint32_t sampleRate, uint32_t samples) {
    Bytes b = {'R', 'I', 'F', 'F'};
    u32(b, 36 + samples + (samples & 1));
    for (char c : std::string("WAVEfmt "))
        b.push_back(static_cast<uint8_t>(c));
    u32(b, 16);
    u16(b, 1);
    u16(b, 1);
    u32(b, sampleRate);
    u32(b, sampleRate);
    u16(b, 1);
    u16(b, 8);
    for (char c : std::string("data"))
        b.push_back(static_cast<uint8_t>(c));
    u32(b, samples);
    for (uint32_t i = 0; i < samples; ++i)
        b.push_back(static_cast<uint8_t>(128 + ((i / 8) % 2 ? 40 : -40)));
    if (samples & 1) b.push_back(0);
    return b;
}

Bytes makeIconImage(int size, uint32_t colour, bool transparentCorner) {
    Bytes b;
    header(b, size, size * 2, 8, 0);
    std::vector<uint32_t> pal(256, 0);
    pal[1] = colour;
    palette(b, pal);
    std::vector<uint32_t> row(static_cast<size_t>(size));
    for (int n = 0; n < size; ++n) {
        int y = size - 1 - n;
        for (int x = 0; x < size; ++x)
            row[x] = (transparentCorner && x < 4 && y < 4) ? 0 : 1;
        packRow(b, row.data(), size, 8);
    }
    for (int n = 0; n < size; ++n) {
        int y = size - 1 - n;
        for (int x = 0; x < size; ++x)
            row[x] = (transparentCorner && x < 4 && y < 4) ? 1 : 0;
        packRow(b, row.data(), size, 1);
    }
    return b;
}

Bytes makeGroupIcon(const std::vector<std::pair<int, uint16_t>>& sizeAndId) {
    Bytes b;
    u16(b, 0);
    u16(b, 1);
    u16(b, static_cast<uint32_t>(sizeAndId.size()));
    for (const auto& [size, id] : sizeAndId) {
        b.push_back(static_cast<uint8_t>(size));
        b.push_back(static_cast<uint8_t>(size));
        b.push_back(0);
        b.push_back(0);
        u16(b, 1);
        u16(b, 8);
        u32(b, 0);
        u16(b, id);
    }
    return b;
}

void Catalogue::add(uint16_t type, uint16_t id, Bytes data) {
    blobs_.push_back(std::move(data));
    entries_.push_back(ResourceEntry{type, nullptr, id, 0x0409, blobs_.back().data(),
                                     static_cast<uint32_t>(blobs_.back().size())});
}

void Catalogue::addWave(uint16_t id, Bytes data) {
    blobs_.push_back(std::move(data));
    entries_.push_back(ResourceEntry{0, u"WAVE", id, 0x0409, blobs_.back().data(),
                                     static_cast<uint32_t>(blobs_.back().size())});
}

void Catalogue::addString(uint16_t id, const std::u16string& text) {
    strings_.emplace_back(id, text);
}

const ResourceCatalogue* Catalogue::get() {
    std::map<uint16_t, std::vector<std::u16string>> blocks;
    for (const auto& [id, s] : strings_) {
        auto& block = blocks[static_cast<uint16_t>(id / 16 + 1)];
        block.resize(16);
        block[id % 16] = s;
    }
    strings_.clear();
    for (const auto& [block, strings] : blocks)
        add(6, block, makeStringBlock(strings));
    catalogue_ = ResourceCatalogue{entries_.data(), static_cast<uint32_t>(entries_.size())};
    return &catalogue_;
}

}  // namespace testres
