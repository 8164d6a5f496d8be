#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// Windows-1252 bytes to and from Unicode code points. The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so every
// byte survives a round trip.
char32_t Cp1252ToUnicode(unsigned char byte);
// Returns -1 for a code point that has no Windows-1252 byte.
int UnicodeToCp1252(char32_t cp);

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters without a Windows-1252 byte become '?'.
std::string Utf8ToCp1252(std::string_view utf8);
// The same, but nothing when some character has no Windows-1252 byte (or the text is no UTF-8).
std::optional<std::string> Utf8ToCp1252Exact(std::string_view utf8);
// The next character of a UTF-8 text at `at` (moved past it); a byte that starts no sound
// sequence comes back as -1.
int32_t NextUtf8(std::string_view utf8, size_t& at);

}  // namespace qv
