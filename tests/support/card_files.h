#pragma once
#include <cstdint>
#include <string>

namespace qv::test {

// An archive's card files in `dir` (ending with '/') for cards of 50 words and 50 text bytes:
// the numeric part as given, a blank text part of as many cards and the index of the cards
// both hold.
void WriteCardFiles(const std::string& dir, const std::string& values);

// A 32-bit card number as the card stores it in two words, high half first, each half with its
// bits reversed. Written out bit by bit here, apart from the program's codec, so a fault in that
// codec shows up in the tests.
void CardNumberWords(int32_t value, uint16_t& high, uint16_t& low);

}  // namespace qv::test
