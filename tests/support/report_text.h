#pragma once
#include <string>
#include <vector>

namespace qv::test {

// A report's text as the writers end their lines: each line followed by CR LF.
inline std::string Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

// `s` filled with blanks on the right up to `n` characters, as a label column is printed.
inline std::string Pad(const std::string& s, size_t n) {
    return s + std::string(n - s.size(), ' ');
}

}  // namespace qv::test
