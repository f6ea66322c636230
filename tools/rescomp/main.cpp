// dorurura-rescomp: compiles the resource script into a C++ source holding the resource catalogue,
// and leaves every compiled picture and sound beside it as a file named by id, plus a contact sheet.
//
//   dorurura-rescomp SCRIPT -I DIR... --source OUT.cpp [--dump DIR] [--contact-sheet OUT.png]
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/rescomp/bytes.h"
#include "tools/rescomp/catalogue_source.h"
#include "tools/rescomp/contact_sheet.h"
#include "tools/rescomp/script.h"

namespace {

using rescomp::Resource;

bool writeIfChanged(const std::filesystem::path& path, const std::string& content) {
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == content) return true;
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

bool dumpFiles(const std::vector<Resource>& resources, const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    bool ok = true;
    for (const Resource& r : resources) {
        std::string content;
        std::string name;
        if (r.type == rescomp::RtBitmap) {
            std::vector<uint8_t> header;
            uint32_t colours = rescomp::get32(r.data, 32);
            uint32_t bits = rescomp::get16(r.data, 14);
            if (colours == 0 && bits <= 8) colours = 1u << bits;
            header.push_back('B');
            header.push_back('M');
            rescomp::put32(header, static_cast<uint32_t>(14 + r.data.size()));
            rescomp::put32(header, 0);
            rescomp::put32(header, 14 + 40 + 4 * colours);
            content.assign(header.begin(), header.end());
            name = "bitmap-" + std::to_string(r.id) + ".bmp";
        } else if (r.typeName == u"WAVE") {
            name = "wave-" + std::to_string(r.id) + ".wav";
        } else {
            continue;
        }
        content.append(r.data.begin(), r.data.end());
        ok = writeIfChanged(dir / name, content) && ok;
    }
    return ok;
}

int usage() {
    std::cerr << "usage: dorurura-rescomp SCRIPT [-I DIR]... --source OUT.cpp [--dump DIR] "
                 "[--contact-sheet OUT.png]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string script, source, dump, contact;
    rescomp::ScriptOptions options;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "-I" && hasValue)
            options.includeDirs.push_back(args[++i]);
        else if (a == "--source" && hasValue)
            source = args[++i];
        else if (a == "--dump" && hasValue)
            dump = args[++i];
        else if (a == "--contact-sheet" && hasValue)
            contact = args[++i];
        else if (!a.empty() && a[0] != '-' && script.empty())
            script = a;
        else
            return usage();
    }
    if (script.empty() || source.empty()) return usage();
    try {
        std::vector<Resource> resources = rescomp::compileScript(script, options);
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out << rescomp::catalogueSource(resources, script);
        if (!out.flush()) {
            std::cerr << source << ": cannot write\n";
            return 1;
        }
        if (!dump.empty() && !dumpFiles(resources, dump)) {
            std::cerr << dump << ": cannot write the resource files\n";
            return 1;
        }
        if (!contact.empty() && !rescomp::writeContactSheet(resources, contact)) {
            std::cerr << contact << ": cannot write the contact sheet\n";
            return 1;
        }
    } catch (const rescomp::ScriptError& e) {
        std::cerr << e.message << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << script << ": " << e.what() << "\n";
        return 2;
    }
    return 0;
}
