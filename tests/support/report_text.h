#pragma once
#include <string>
#include <vector>

#include "support/records.h"

namespace qv::test {

// `s` filled with blanks on the right up to `n` characters, as a label column is printed.
inline std::string Pad(const std::string& s, size_t n) {
    return s + std::string(n - s.size(), ' ');
}

}  // namespace qv::test
