#pragma once
#include <string>

namespace qv::test {

// An archive's card files in `dir` (ending with '/') for cards of 50 words and 50 text bytes:
// the numeric part as given, a blank text part of as many cards and the index of the cards
// both hold.
void WriteCardFiles(const std::string& dir, const std::string& values);

}  // namespace qv::test
