#include "platform/numbers.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace qv {

int32_t LeadingInteger(std::string_view text, size_t width) {
    text = text.substr(0, std::min(width, text.size()));
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // One past the largest value keeps the most negative one readable.
    constexpr int64_t kCap = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<int64_t>(v * 10 + (text[i] - '0'), kCap);
    return int32_t(std::clamp<int64_t>(negative ? -v : v, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

std::string RightAligned(int64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%*lld", width, static_cast<long long>(value));
    return buffer;
}

}  // namespace qv
