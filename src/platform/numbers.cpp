#include "platform/numbers.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace qv {

namespace {

// One past the largest value, so that the most negative one still reads.
constexpr int64_t kMagnitudeCap = int64_t(std::numeric_limits<int32_t>::max()) + 1;

// Skips the leading blanks and the sign at `i`; answers whether the sign was a minus.
bool SkipBlanksAndSign(std::string_view text, size_t& i) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) return text[i++] == '-';
    return false;
}

}  // namespace

int32_t LeadingInteger(std::string_view text, size_t width) {
    text = text.substr(0, std::min(width, text.size()));
    size_t i = 0;
    const bool negative = SkipBlanksAndSign(text, i);
    int64_t v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) v = std::min(v * 10 + (text[i] - '0'), kMagnitudeCap);
    return int32_t(std::clamp<int64_t>(negative ? -v : v, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

std::optional<int32_t> WholeInteger(std::string_view text) {
    size_t i = 0;
    const bool negative = SkipBlanksAndSign(text, i);
    if (i == text.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) return std::nullopt;
        v = v * 10 + (text[i] - '0');
        if (v > kMagnitudeCap) return std::nullopt;
    }
    v = negative ? -v : v;
    if (v > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return int32_t(v);
}

std::optional<int32_t> PaddedInteger(std::string_view text) {
    const size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::nullopt : WholeInteger(text.substr(0, end + 1));
}

std::optional<int32_t> PaddedDigits(std::string_view text, size_t maxDigits) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() > std::min<size_t>(maxDigits, 9)) return std::nullopt;
    int32_t v = 0;
    for (const char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

bool PlainInteger(std::string_view text) {
    return !text.empty() && text[0] != ' ' && text[0] != '+' && WholeInteger(text).has_value();
}

std::string RightAligned(int64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%*lld", width, static_cast<long long>(value));
    return buffer;
}

}  // namespace qv
