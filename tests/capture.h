// Runs a program's entry (anything that writes to an output and an error stream and gives an exit
// code) and hands back its exit code and what it wrote, the output also line by line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace capture {

struct Run {
    int code;
    std::string out, err;
    std::vector<std::string> lines;  // out, split at each newline
};

inline std::string readBack(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

template <class Entry>
Run run(Entry entry) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Run r{entry(out, err), "", "", {}};
    r.out = readBack(out);
    r.err = readBack(err);
    for (size_t start = 0, nl; (nl = r.out.find('\n', start)) != std::string::npos; start = nl + 1)
        r.lines.push_back(r.out.substr(start, nl - start));
    return r;
}

}  // namespace capture
