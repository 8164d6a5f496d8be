#include "platform/short_string.h"

#include <algorithm>
#include <cstring>

#include "platform/assertion.h"

namespace qv {

void EncodeShortString(std::string_view text, int width, uint8_t* out) {
    QV_ASSERT(width >= 0 && width <= 255);
    const size_t n = std::min<size_t>(text.size(), size_t(std::clamp(width, 0, 255)));
    std::memset(out, 0, size_t(width) + 1);
    out[0] = uint8_t(n);
    std::memcpy(out + 1, text.data(), n);
}

std::string EncodeShortString(std::string_view text, int width) {
    std::string out(size_t(width) + 1, '\0');
    EncodeShortString(text, width, reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

std::string DecodeShortString(const uint8_t* field, int width) {
    const int n = std::min<int>(field[0], width);
    return std::string(reinterpret_cast<const char*>(field + 1), size_t(n));
}

std::string DecodeZeroPadded(const uint8_t* field, int width) {
    const auto* end = static_cast<const uint8_t*>(std::memchr(field, 0, size_t(width)));
    return std::string(reinterpret_cast<const char*>(field), end ? size_t(end - field) : size_t(width));
}

void EncodeZeroPadded(std::string_view text, int width, uint8_t* out) {
    const size_t n = std::min<size_t>(text.size(), size_t(width));
    std::memset(out, 0, size_t(width));
    std::memcpy(out, text.data(), n);
}

}  // namespace qv
