#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/progress.h"

namespace qv {

// The selected cards of the open archive, read from "num-sch.dat" a block at a time: the one
// loop of the passes over the selection (counts, MaxSim, factor counts, typologies). A pass
// works on the cards both card files hold when it starts (see CardCount): a card another
// station is still writing is neither counted as a blank one nor written over.
class SelectedCards {
  public:
    // Takes the count and sets the progress range 0..last card.
    explicit SelectedCards(Progress& progress);

    const CardFiles& Files() const { return files_; }
    int WordCount() const { return files_.Geometry().wordCount; }
    const CardCount& Count() const { return count_; }

    // Calls visit(card number, card words) for every selected card in order. The words are
    // the block's own: a pass may change them and write the card back itself.
    template <typename Visit>
    void ForEach(Visit&& visit) {
        const int words = WordCount();
        if (words <= 0) return;
        const int blockCards = std::max(1, kBlockBytes / (words * 2));
        std::vector<uint16_t> block;
        int64_t nextReport = 0;
        for (int64_t first = 0; first <= last_; first += blockCards) {
            const int64_t count = std::min<int64_t>(blockCards, last_ - first + 1);
            if (!AnySelected(first, count)) continue;
            block.resize(size_t(count) * size_t(words));
            files_.ReadValuesBlock(int32_t(first), int32_t(count), block.data(), empty_);
            for (int64_t card = first; card < first + count; ++card) {
                if (!(CardSelectionMask[size_t(card >> 3)] & (0x80 >> (card & 7)))) continue;
                if (card >= nextReport) {
                    progress_.SetPosition(int(card));
                    nextReport = card + step_;
                }
                visit(int32_t(card), block.data() + size_t(card - first) * size_t(words));
            }
        }
    }

  private:
    static constexpr int kBlockBytes = 4 << 20;

    static bool AnySelected(int64_t first, int64_t count);

    Progress& progress_;
    CardFiles files_;
    std::vector<uint16_t> empty_;
    CardCount count_;
    int64_t last_ = -1;  // the last card of the count the selection mask can hold
    int64_t step_ = 1;
};

}  // namespace qv
