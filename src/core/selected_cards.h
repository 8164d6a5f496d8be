#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "platform/io_error.h"
#include "platform/progress.h"

namespace qv {

// Numeric parts read at a time by the passes over the cards: a block the size of a core's
// second-level cache, so the pass finds the words where the read has just put them.
inline constexpr int kCardBlockBytes = 256 << 10;

// Cards 0..last of `files` read from their "num-sch.dat" a block of about kCardBlockBytes at a
// time: the one block loop of the passes over the archive. For each block that want(first,
// count) accepts, visit(first, count, found, words) gets `count` cards, card first+k's word w at
// words[k * wordCount + w - 1]; the first `found` are in the file, the rest read as `emptyCard`.
// The words are the block's own, for a pass that writes the block back. With no numeric part
// every card reads as the same zero word.
template <typename Want, typename Visit>
void ForEachCardBlock(const CardFiles& files, std::span<const uint16_t> emptyCard, int64_t last, Want&& want,
                      Visit&& visit) {
    const int words = files.Geometry().wordCount;
    const int64_t blockCards = std::max(1, kCardBlockBytes / (std::max(words, 1) * 2));
    std::vector<uint16_t> block;
    CardValuesReader reader(files);
    for (int64_t first = 0; first <= last; first += blockCards) {
        const int32_t count = int32_t(std::min<int64_t>(blockCards, last - first + 1));
        if (!want(first, count)) continue;
        block.resize(size_t(count) * size_t(std::max(words, 1)));
        const int32_t found = reader.Read(int32_t(first), count, block.data(), emptyCard);
        visit(int32_t(first), count, found, block.data());
    }
}

// The same for every card of `files` up to `last`, cards past the file read as empty ones.
template <typename Visit>
void ForEachCardBlock(const CardFiles& files, int64_t last, Visit&& visit) {
    ForEachCardBlock(
        files, EmptyCardValues(files.Geometry()), last, [](int64_t, int32_t) { return true; },
        std::forward<Visit>(visit));
}

// The same for every card of the open archive up to `last`.
template <typename Visit>
void ForEachCardBlock(int64_t last, Visit&& visit) {
    ForEachCardBlock(CardFiles::Current(), last, std::forward<Visit>(visit));
}

// The bar of a pass over cards 0..last: its range set at once, then moved about 250 times at
// most, since a bar repaints at every move.
class CardProgress {
  public:
    CardProgress(Progress& progress, int64_t last);
    void At(int64_t card) {
        if (card < next_) return;
        progress_.SetPosition(int(card));
        next_ = card + step_;
    }

  private:
    Progress& progress_;
    int64_t step_ = 1;
    int64_t next_ = 0;
};

// The selected cards of the open archive, read from "num-sch.dat" a block at a time: the one
// loop of the passes over the selection (counts, MaxSim, factor counts, typologies, weights). A pass
// works on the cards both card files hold when it starts (see CardCount): a card another
// station is still writing is neither counted as a blank one nor written over.
class SelectedCards {
  public:
    // Takes the count; each pass sets the progress range 0..last card.
    explicit SelectedCards(Progress& progress);

    const CardFiles& Files() const { return files_; }
    int WordCount() const { return files_.Geometry().wordCount; }
    const CardCount& Count() const { return count_; }

    // Calls visit(card number, card words) for every selected card in order. The words are
    // the block's own: a pass may change them and write the card back itself.
    template <typename Visit>
    void ForEach(Visit&& visit) {
        ForEachBlock(
            [&](int32_t first, int32_t count, uint16_t* block) { EachSelected(first, count, block, visit); });
    }

    // The same a block at a time, for passes that take many cards at once: visit(cards, n) gets
    // the block's selected cards in order, the words of the k-th at cards[k].
    template <typename Visit>
    void ForEachBatch(Visit&& visit) {
        std::vector<uint16_t*> cards;
        ForEachBlock([&](int32_t first, int32_t count, uint16_t* block) {
            cards.resize(size_t(count));
            size_t n = 0;
            EachSelected(first, count, block, [&](int32_t, uint16_t* words) { cards[n++] = words; });
            visit(static_cast<uint16_t* const*>(cards.data()), n);
        });
    }

    // The same with each card in hand, for passes that read it through CurrentCardValues:
    // CoreState.CurrentCard and CurrentCardValues are set before visit(card number). The caller
    // puts back the card it had.
    template <typename Visit>
    void ForEachInHand(Visit&& visit) {
        const int words = WordCount();
        ForEach([&](int32_t card, const uint16_t* values) {
            CoreState.CurrentCard = card;
            std::copy_n(values, words, &CurrentCardValues[1]);
            visit(card);
        });
    }

  private:
    static bool AnySelected(int64_t first, int64_t count);

    // visit(first, count, block) for each block holding a selected card, the bar set for the
    // pass; each(card number, card words) for the selected cards of a block, moving the bar.
    template <typename Visit>
    void ForEachBlock(Visit&& visit) {
        if (WordCount() <= 0) return;
        moved_.emplace(progress_, count_.last);
        ForEachCardBlock(
            files_, empty_, last_, [](int64_t first, int32_t count) { return AnySelected(first, count); },
            [&](int32_t first, int32_t count, int32_t found, uint16_t* block) {
                // The files held these cards when the pass began: a file cut since (a merge
                // empties card files in place) is an error, not a run of blank cards.
                if (found < count) ThrowIo(kReadPastEnd, files_.ValuesPath());
                visit(first, count, block);
            });
    }
    template <typename Each>
    void EachSelected(int32_t first, int32_t count, uint16_t* block, Each&& each) {
        const size_t words = size_t(WordCount());
        const int64_t end = first + count;
        for (int64_t card = first; card < end;) {
            // Eight cards of one wholly selected mask byte go without a test each.
            if (card % 8 == 0 && end - card >= 8 && card / 8 < kSelectionMaskBytes &&
                CardSelectionMask[size_t(card / 8)] == 0xFF) {
                moved_->At(card);
                for (const int64_t last = card + 8; card < last; ++card)
                    each(int32_t(card), block + size_t(card - first) * words);
                continue;
            }
            if (IsCardSelected(card)) {
                moved_->At(card);
                each(int32_t(card), block + size_t(card - first) * words);
            }
            ++card;
        }
    }

    Progress& progress_;
    CardFiles files_;
    std::vector<uint16_t> empty_;
    CardCount count_;
    int64_t last_ = -1;                  // the last card of the count the selection mask can hold
    std::optional<CardProgress> moved_;  // the bar of the pass under way
};

}  // namespace qv
