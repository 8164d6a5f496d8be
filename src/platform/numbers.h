#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// A decimal digit '0'..'9', whatever the locale.
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number at the start of a text, as the files and the typed boxes give it: leading blanks
// skipped, an optional sign, digits up to the first other character; 0 without digits. Only
// the first `width` characters are looked at. A value beyond 32 bits saturates.
int32_t LeadingInteger(std::string_view text, size_t width = std::string_view::npos);

// The whole text as a decimal integer: leading blanks, an optional sign, then digits to the end.
// None for anything else, for no digits, and for a value outside 32 bits.
std::optional<int32_t> WholeInteger(std::string_view text);
// The same with blanks allowed after the digits too: a box's text as typed.
std::optional<int32_t> PaddedInteger(std::string_view text);

// Digits alone between blanks, no sign, at most `maxDigits` of them (the width the file or box
// gives the number; never above 9). None for anything else and for no digits.
std::optional<int32_t> PaddedDigits(std::string_view text, size_t maxDigits);

// Whether the text is a number as the grids are written: an optional '-', then digits and
// nothing else (no blank, no '+'), within 32 bits.
bool PlainInteger(std::string_view text);

// `value` right-aligned in `width` characters; a wider value is written whole.
std::string RightAligned(int64_t value, int width);

}  // namespace qv
