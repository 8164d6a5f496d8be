#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace qv::test {

// Adds `card` to the card selection.
void MarkSelected(int32_t card);
// Exactly `cards` selected.
void SelectCards(std::initializer_list<int> cards);
// The selected cards from 0 to `last` (the archive's last card when -1).
std::vector<int32_t> SelectedCards(int32_t last = -1);

}  // namespace qv::test
