// How the art tool fails: an error names the file it concerns (or the tool, when it concerns none)
// and main reports it on stderr as "FILE: what", exiting with 2 like the other build tools.
#pragma once

#include <string>

namespace art {

struct Error {
    std::string message;
};

[[noreturn]] inline void fail(const std::string& file, const std::string& what) {
    throw Error{file + ": " + what};
}

}  // namespace art
