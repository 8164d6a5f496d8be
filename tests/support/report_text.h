#pragma once
#include <string>
#include <vector>

#include "support/records.h"

namespace qv::test {

// `s` filled with blanks on the right up to `n` characters, as a label column is printed (a
// longer `s` is cut to `n`).
inline std::string Pad(std::string s, size_t n) {
    s.resize(n, ' ');
    return s;
}

// `n` blanks.
inline std::string Blanks(size_t n) {
    return std::string(n, ' ');
}

}  // namespace qv::test
