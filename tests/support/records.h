#pragma once
// Builders for the bytes of small data files that tests write by hand.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace qv::test {

// Text lines each ended by CR LF, as the program writes them.
inline std::string CrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

// Little-endian 32-bit integers one after the other.
inline std::string Int32s(std::initializer_list<int32_t> values) {
    std::string out;
    for (int32_t v : values) AppendI32(out, v);
    return out;
}

// Little-endian 16-bit words one after the other (numbers from -32768 to 65535).
inline std::string Words(const std::vector<int>& words) {
    std::string out;
    for (int w : words) AppendU16(out, uint16_t(w));
    return out;
}

inline std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A 38-byte municipality name record: length byte, the name, zero bytes (cut at 38).
inline std::string NameRecord(const std::string& name) {
    std::string rec = char(name.size()) + name;
    rec.resize(38, '\0');
    return rec;
}

// A list line as the territorial order stores it: the characters, then zero bytes to 401.
inline std::string LineRecord(std::string line) {
    line.resize(401, '\0');
    return line;
}

}  // namespace qv::test
