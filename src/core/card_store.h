#pragma once
#include <cstdint>

namespace qv {

// The card in hand and the open archive's card files.
void ReadCardText();
void ReadCardValues();

}  // namespace qv
