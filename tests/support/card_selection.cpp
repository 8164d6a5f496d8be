#include "support/card_selection.h"

#include "core/core_state.h"
#include "core/selection_files.h"

namespace qv::test {

void MarkSelected(int32_t card) {
    CardSelectionMask[size_t(card / 8)] |= uint8_t(0x80 >> (card % 8));
}

void SelectCards(std::initializer_list<int> cards) {
    CardSelectionMask.fill(0);
    for (int c : cards) MarkSelected(c);
}

std::vector<int32_t> SelectedCards(int32_t last) {
    if (last < 0) last = CoreState.LastCard;
    std::vector<int32_t> cards;
    for (int32_t n = 0; n <= last; ++n)
        if (IsCardSelected(n)) cards.push_back(n);
    return cards;
}

}  // namespace qv::test
