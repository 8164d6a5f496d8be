#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace qv::test {

// Reads every card of the open archive into the card buffer in turn, calling `visit` with its
// number; the current card is read back afterwards. Tests count from the card files with it,
// independently of the counts under test.
void ForEachCard(const std::function<void(int32_t card)>& visit);
// The word of `field` on every card, in card order.
std::vector<int> WordOnCards(int field);
// The cards for which `test` holds, each read before it is asked.
int CountCards(const std::function<bool(int32_t card)>& test);
// How many cards of the selection mask are set, up to the last card.
int CountSelected();

}  // namespace qv::test
