// Reading the game's compiled resources back the way the program reaches them: through the
// platform's resource calls on an instance made from the catalogue.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/catalogue.h"
#include "platform/host.h"
#include "platform/windows.h"

extern const ResourceCatalogue dorururaCatalogue;

namespace restest {

inline uint32_t u16(const std::vector<uint8_t>& b, size_t at) {
    return at + 2 <= b.size() ? static_cast<uint32_t>(b[at] | (b[at + 1] << 8)) : 0u;
}
inline uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return u16(b, at) | (u16(b, at + 2) << 16);
}
inline int32_t s32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(u32(b, at));
}

// A fixture with a clean platform and the game's instance.
class GameResources : public ::testing::Test {
protected:
    HINSTANCE instance = nullptr;

    void SetUp() override {
        platformReset();
        instance = instanceFromCatalogue(&dorururaCatalogue);
        ASSERT_NE(instance, nullptr);
    }
    void TearDown() override { platformReset(); }

    // The bytes of a resource, found with FindResourceW and LoadResource; empty when missing.
    std::vector<uint8_t> bytes(LPCWSTR type, uint16_t id) const {
        HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), type);
        if (!found) return {};
        auto* data = static_cast<const uint8_t*>(LoadResource(instance, found));
        if (!data) return {};
        // The platform hands out the data itself; its length is the catalogue entry's.
        for (uint32_t i = 0; i < dorururaCatalogue.count; ++i)
            if (dorururaCatalogue.entries[i].data == data)
                return std::vector<uint8_t>(data, data + dorururaCatalogue.entries[i].size);
        ADD_FAILURE() << "LoadResource gave data outside the catalogue";
        return {};
    }

    // A loaded bitmap's pixels, 0x00RRGGBB, rows top to bottom.
    struct Pixels {
        int width = 0, height = 0;
        std::vector<uint32_t> px;
        uint32_t at(int x, int y) const {
            return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
        }
    };
    Pixels pixels(uint16_t id) const {
        Pixels out;
        HBITMAP b = LoadBitmapW(instance, MAKEINTRESOURCEW(id));
        EXPECT_NE(b, nullptr) << "bitmap " << id;
        if (!b) return out;
        const uint32_t* p = nullptr;
        EXPECT_EQ(platformBitmapPixels(b, &p, &out.width, &out.height), 1);
        if (p) out.px.assign(p, p + static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
        DeleteObject(b);
        return out;
    }
};

// The parts of a packed device-independent bitmap's header the game relies on.
struct DibHeader {
    uint32_t headerSize = 0;
    int32_t width = 0, height = 0;
    uint32_t planes = 0, bits = 0, compression = 0, coloursUsed = 0;
    size_t tableEntries = 0;
    size_t expectedSize = 0;  // header, full colour table and padded rows
};

inline DibHeader dibHeader(const std::vector<uint8_t>& b) {
    DibHeader h;
    h.headerSize = u32(b, 0);
    h.width = s32(b, 4);
    h.height = s32(b, 8);
    h.planes = u16(b, 12);
    h.bits = u16(b, 14);
    h.compression = u32(b, 16);
    h.coloursUsed = u32(b, 32);
    h.tableEntries = h.bits <= 8 ? (h.coloursUsed ? h.coloursUsed : (1u << h.bits)) : 0;
    size_t stride = ((static_cast<size_t>(h.width) * h.bits + 31) / 32) * 4;
    h.expectedSize =
        40 + 4 * h.tableEntries + stride * static_cast<size_t>(h.height < 0 ? -h.height : h.height);
    return h;
}

}  // namespace restest
