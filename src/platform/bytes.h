#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qv {

// Little-endian access to byte buffers; every file of the program is little-endian.
inline uint16_t GetU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline int16_t GetI16(const uint8_t* p) {
    return int16_t(GetU16(p));
}
inline uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t GetI32(const uint8_t* p) {
    return int32_t(GetU32(p));
}
inline void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutI16(uint8_t* p, int16_t v) {
    PutU16(p, uint16_t(v));
}
inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void PutI32(uint8_t* p, int32_t v) {
    PutU32(p, uint32_t(v));
}
// An 8-byte IEEE double, as the pass files of the quantitative tables hold it.
inline double GetF64(const uint8_t* p) {
    const uint64_t bits = uint64_t(GetU32(p)) | (uint64_t(GetU32(p + 4)) << 32);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

// Appending writers for building whole files in memory.
inline void AppendU16(std::string& out, uint16_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char(v >> 8));
}
inline void AppendI16(std::string& out, int16_t v) {
    AppendU16(out, uint16_t(v));
}
inline void AppendI32(std::string& out, int32_t v) {
    uint8_t b[4];
    PutI32(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}
inline void AppendF64(std::string& out, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    uint8_t b[8];
    PutU32(b, uint32_t(bits));
    PutU32(b + 4, uint32_t(bits >> 32));
    out.append(reinterpret_cast<const char*>(b), 8);
}

inline const uint8_t* Bytes(std::string_view s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

}  // namespace qv
