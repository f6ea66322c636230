// Reading a resource script (.rc) and turning each statement into the binary form of its resource.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rescomp {

// One compiled resource, in the byte layout a Windows resource compiler gives it.
struct Resource {
    uint16_t type = 0;        // numeric type (RT_BITMAP ...), or 0 when typeName names it
    std::u16string typeName;  // named type such as "WAVE"; empty for a numeric type
    uint16_t id = 0;
    uint16_t language = 0;
    std::vector<uint8_t> data;
    std::string source;  // the file the bytes came from, or empty for inline data
};

struct ScriptOptions {
    std::vector<std::string> includeDirs;  // searched after the script's own folder
};

// Thrown with "file:line: message" for any error in the script or the files it names.
struct ScriptError {
    std::string message;
};

// Numeric resource types.
constexpr uint16_t RtIcon = 3;
constexpr uint16_t RtBitmap = 2;
constexpr uint16_t RtMenu = 4;
constexpr uint16_t RtDialog = 5;
constexpr uint16_t RtString = 6;
constexpr uint16_t RtAccelerator = 9;
constexpr uint16_t RtRcdata = 10;
constexpr uint16_t RtGroupIcon = 14;

// Compiles a whole script. The result is sorted: numeric types first, by type then id, then named
// types by name then id. Throws ScriptError.
std::vector<Resource> compileScript(const std::string& path, const ScriptOptions& options);

}  // namespace rescomp
