// Any bytes as a resource script, and as a file beside it: compiling gives the resources or one
// clear error, never a crash. The input is the script, then optionally a line "--" and the bytes of
// "file.bin", so that the bitmap, icon and wave readers see hostile files too. The project's folder
// is on the include path, so that "res/resource.h" and its names can be used.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/rescomp/catalogue_source.h"
#include "tools/rescomp/script.h"

namespace {

std::filesystem::path folder;

void write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    folder = std::filesystem::temp_directory_path() / ("dorurura-fuzz-rc-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::atexit([] { std::filesystem::remove_all(folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find("\n--\n");
    write(folder / "fuzz.rc", input.substr(0, split));
    write(folder / "file.bin", split == std::string::npos ? std::string() : input.substr(split + 4));
    rescomp::ScriptOptions options;
    options.includeDirs.push_back(DORURURA_SOURCE_DIR);
    try {
        const std::string script = (folder / "fuzz.rc").string();
        std::vector<rescomp::Resource> resources = rescomp::compileScript(script, options);
        (void)rescomp::catalogueSource(resources, script);
    } catch (const rescomp::ScriptError& error) {
        if (error.message.empty()) std::abort();
    }
    return 0;
}
