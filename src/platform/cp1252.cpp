#include "platform/cp1252.h"

namespace qv {

namespace {
// 0x80..0x9F; the unassigned positions keep their own value.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
    return byte;
}

int UnicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        char32_t cp = Cp1252ToUnicode(b);
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

int32_t NextUtf8(std::string_view s, size_t& at) {
    const unsigned char c = s[at];
    int32_t cp;
    size_t len;
    if (c < 0x80) {
        ++at;
        return c;
    } else if ((c & 0xE0) == 0xC0) {
        cp = c & 0x1F;
        len = 2;
    } else if ((c & 0xF0) == 0xE0) {
        cp = c & 0x0F;
        len = 3;
    } else if ((c & 0xF8) == 0xF0) {
        cp = c & 0x07;
        len = 4;
    } else {
        ++at;
        return -1;
    }
    if (at + len > s.size()) {
        at = s.size();
        return -1;
    }
    for (size_t k = 1; k < len; ++k) {
        const unsigned char cc = s[at + k];
        if ((cc & 0xC0) != 0x80) {
            ++at;
            return -1;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    at += len;
    return cp;
}

namespace {
// Characters without a Windows-1252 byte become '?' and set `lost`.
std::string ToCp1252(std::string_view s, bool& lost) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const int32_t cp = NextUtf8(s, i);
        const int b = cp < 0 ? -1 : UnicodeToCp1252(char32_t(cp));
        lost = lost || b < 0;
        out.push_back(b < 0 ? '?' : char(b));
    }
    return out;
}
}  // namespace

std::string Utf8ToCp1252(std::string_view s) {
    bool lost = false;
    return ToCp1252(s, lost);
}

std::optional<std::string> Utf8ToCp1252Exact(std::string_view s) {
    bool lost = false;
    std::string out = ToCp1252(s, lost);
    if (lost) return std::nullopt;
    return out;
}

}  // namespace qv
