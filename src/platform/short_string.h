#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// Short strings: a length byte followed by the characters, in a field of `width` characters
// (so width + 1 bytes). Texts longer than the width are cut; unused bytes are zero.
std::string EncodeShortString(std::string_view text, int width);
void EncodeShortString(std::string_view text, int width, uint8_t* out);
// Reads a short string from a field of `width` characters; a length byte above the width is
// taken as the width, so damaged files never read past their field.
std::string DecodeShortString(const uint8_t* field, int width);

// Zero-padded character arrays: the text up to the first zero byte (at most `width` bytes).
std::string DecodeZeroPadded(const uint8_t* field, int width);
void EncodeZeroPadded(std::string_view text, int width, uint8_t* out);

}  // namespace qv
