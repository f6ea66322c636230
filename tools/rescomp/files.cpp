#include "tools/rescomp/files.h"

#include <fstream>
#include <optional>

#include "tools/rescomp/bytes.h"
#include "tools/rescomp/script.h"

namespace rescomp {
namespace {

[[noreturn]] void fail(const std::string& place, const std::string& message) {
    throw ScriptError{place + ": " + message};
}

// The whole of a regular file of at most MaxFileBytes; nullopt if there is no such file.
constexpr std::uintmax_t MaxFileBytes = 16 * 1024 * 1024;

std::optional<std::string> readRegularFile(const std::filesystem::path& path, const std::string& name,
                                           const std::string& place) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return std::nullopt;
    if (!std::filesystem::is_regular_file(status)) fail(place, "\"" + name + "\" is not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) fail(place, "cannot read \"" + name + "\"");
    if (size > MaxFileBytes) fail(place, "\"" + name + "\" is larger than 16 MB");
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(place, "cannot read \"" + name + "\"");
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size()) ||
        in.peek() != std::ifstream::traits_type::eof())
        fail(place, "cannot read \"" + name + "\": it changed while being read");
    return bytes;
}

}  // namespace

FoundFile findFile(const std::string& name, const std::vector<std::filesystem::path>& folders,
                   const std::string& place) {
    for (const std::filesystem::path& folder : folders) {
        std::optional<std::string> bytes = readRegularFile(folder / name, name, place);
        if (bytes) return FoundFile{folder / name, std::move(*bytes)};
    }
    fail(place, "cannot find file \"" + name + "\"");
}

std::vector<uint8_t> bitmapFromFile(const std::string& name, const std::vector<uint8_t>& file,
                                    const std::string& place) {
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') fail(place, name + " is not a .bmp file");
    uint32_t offBits = get32(file, 10);
    uint32_t headerSize = get32(file, 14);
    uint32_t bits = get16(file, 28);
    uint32_t compression = get32(file, 30);
    uint32_t used = get32(file, 46);
    if (headerSize != 40) fail(place, name + ": only the 40-byte information header is supported");
    if (compression != 0) fail(place, name + ": compressed bitmaps are not supported");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) fail(place, name + ": unsupported depth");
    const int32_t width = static_cast<int32_t>(get32(file, 18));
    const int32_t height = static_cast<int32_t>(get32(file, 22));
    if (get16(file, 26) != 1) fail(place, name + ": a bitmap has one plane");
    if (width <= 0 || height == 0 || height == INT32_MIN) fail(place, name + ": bad size");
    if (bits <= 8 && used > (1u << bits)) fail(place, name + ": more colours than the depth holds");
    uint32_t colours = bits <= 8 ? (used != 0 ? used : (1u << bits)) : used;
    if (offBits != 14 + 40 + 4 * static_cast<uint64_t>(colours))
        fail(place, name + ": colour table and pixels are not packed");
    // The pixels must all be there, or the program would find no bitmap at run time.
    const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    if (file.size() < offBits + stride * rows) fail(place, name + ": the pixels are cut short");
    return std::vector<uint8_t>(file.begin() + 14, file.end());
}

IconResources iconFromFile(const std::string& name, const std::vector<uint8_t>& file, uint16_t firstImage,
                           const std::string& place) {
    if (file.size() < 6 || get16(file, 0) != 0 || get16(file, 2) != 1)
        fail(place, name + " is not an .ico file");
    uint32_t count = get16(file, 4);
    if (count == 0 || file.size() < 6 + 16 * count) fail(place, name + ": bad icon directory");
    IconResources icon;
    put16(icon.group, 0);
    put16(icon.group, 1);
    put16(icon.group, count);
    for (uint32_t i = 0; i < count; ++i) {
        size_t e = 6 + 16 * i;
        uint32_t bytes = get32(file, e + 8);
        uint32_t offset = get32(file, e + 12);
        if (offset > file.size() || bytes > file.size() - offset)
            fail(place, name + ": image outside the file");
        icon.images.emplace_back(file.begin() + offset, file.begin() + offset + bytes);
        for (size_t k = 0; k < 8; ++k)
            put8(icon.group, file[e + k]);  // size, colours, planes, depth
        put32(icon.group, bytes);
        put16(icon.group, (firstImage + i) & 0xFFFF);
    }
    return icon;
}

void checkWave(const std::string& name, const std::vector<uint8_t>& file, const std::string& place) {
    if (file.size() < 12 || std::string(file.begin(), file.begin() + 4) != "RIFF" ||
        std::string(file.begin() + 8, file.begin() + 12) != "WAVE" || get32(file, 4) + 8 != file.size())
        fail(place, name + " is not a RIFF wave file");
}

}  // namespace rescomp
