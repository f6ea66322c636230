#include "tests/platform/support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/host.h"
#include "tools/rescomp/bytes.h"

namespace support {

namespace {

using Bytes = std::vector<uint8_t>;

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// The rows of an image, bottom row first, each padded to four bytes; then, for an icon, its mask.
void rows(Bytes& out, const Image& image, bool topDown, bool mask) {
    const int bits = mask ? 1 : image.bits;
    for (int n = 0; n < image.height; ++n) {
        const int y = topDown ? n : image.height - 1 - n;
        Bytes row((static_cast<size_t>(image.width) * bits + 31) / 32 * 4);
        for (int x = 0; x < image.width; ++x) {
            uint32_t v = image.pixels[static_cast<size_t>(y * image.width + x)];
            if (mask) v = v == 0;
            if (bits < 8) row[x * bits / 8] |= static_cast<uint8_t>(v << (8 - bits - x * bits % 8));
            for (int k = 0; bits >= 8 && k < bits / 8; ++k)
                row[static_cast<size_t>(x * bits / 8 + k)] = static_cast<uint8_t>(k < 3 ? v >> (8 * k) : 0);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

Bytes packed(const Image& image, bool topDown, bool icon) {
    Bytes b;
    rescomp::put32(b, 40);
    rescomp::put32(b, static_cast<uint32_t>(image.width));
    rescomp::put32(b, static_cast<uint32_t>((topDown ? -1 : 1) * image.height * (icon ? 2 : 1)));
    rescomp::put16(b, 1);
    rescomp::put16(b, static_cast<unsigned>(image.bits));
    for (uint32_t v : {0u, 0u, 0u, 0u, static_cast<uint32_t>(image.table.size()), 0u})
        rescomp::put32(b, v);
    for (uint32_t colour : image.table)
        rescomp::put32(b, colour);  // blue, green, red, 0
    rows(b, image, topDown, false);
    if (icon) rows(b, image, topDown, true);
    return b;
}

}  // namespace

Catalogue::Catalogue(const std::string& script, const std::map<std::string, std::string>& files) {
    char pattern[] = "/tmp/platform-rc-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("no folder for the script");
    const std::filesystem::path dir = pattern;
    for (const auto& [name, bytes] : files)
        std::ofstream(dir / name, std::ios::binary) << bytes;
    std::ofstream(dir / "test.rc") << script;
    try {
        resources_ = rescomp::compileScript((dir / "test.rc").string(), {});
    } catch (const rescomp::ScriptError& e) {
        std::filesystem::remove_all(dir);
        throw std::runtime_error(e.message);
    }
    std::filesystem::remove_all(dir);
    for (const rescomp::Resource& r : resources_) {
        entries_.push_back(ResourceEntry{r.type, r.typeName.empty() ? nullptr : r.typeName.c_str(), r.id,
                                         r.language, r.data.data(), static_cast<uint32_t>(r.data.size())});
    }
    catalogue_ = ResourceCatalogue{entries_.data(), static_cast<uint32_t>(entries_.size())};
}

HINSTANCE Catalogue::instance() const {
    return instanceFromCatalogue(&catalogue_);
}

std::string dib(const Image& image, bool topDown) {
    return text(packed(image, topDown, false));
}

std::string bmp(const Image& image) {
    Bytes d = packed(image, false, false), b = {'B', 'M'};
    rescomp::put32(b, static_cast<uint32_t>(14 + d.size()));
    rescomp::put32(b, 0);
    rescomp::put32(b, static_cast<uint32_t>(14 + 40 + 4 * image.table.size()));
    return text(b) + text(d);
}

std::string ico(const std::vector<Image>& images) {
    Bytes b;
    for (unsigned v : {0u, 1u, static_cast<unsigned>(images.size())})
        rescomp::put16(b, v);
    std::string data;
    for (const Image& image : images) {
        const Bytes one = packed(image, false, true);
        for (unsigned v : {static_cast<unsigned>(image.width), static_cast<unsigned>(image.height), 0u, 0u})
            rescomp::put8(b, v);
        rescomp::put16(b, 1);
        rescomp::put16(b, static_cast<unsigned>(image.bits));
        rescomp::put32(b, static_cast<uint32_t>(one.size()));
        rescomp::put32(b, static_cast<uint32_t>(6 + 16 * images.size() + data.size()));
        data += text(one);
    }
    return text(b) + data;
}

std::string wave(uint32_t sampleRate, uint32_t samples) {
    Bytes b = {'R', 'I', 'F', 'F'};
    rescomp::put32(b, 36 + samples + (samples & 1));
    for (char c : std::string("WAVEfmt "))
        rescomp::put8(b, static_cast<unsigned char>(c));
    for (uint32_t v : {16u, 1u | (1u << 16), sampleRate, sampleRate, 1u | (8u << 16)})
        rescomp::put32(b, v);  // PCM, mono, 8 bits
    for (char c : std::string("data"))
        rescomp::put8(b, static_cast<unsigned char>(c));
    rescomp::put32(b, samples);
    b.resize(b.size() + samples + (samples & 1), 128);
    return text(b);
}

int mainLoop(int passes) {
    MSG msg;
    for (int i = 0; i < passes; ++i) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
        DispatchMessageW(&msg);
    }
    return -1;
}

}  // namespace support
