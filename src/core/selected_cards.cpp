#include "core/selected_cards.h"

#include <climits>

namespace qv {

namespace {

constexpr int kProgressSteps = 250;

}  // namespace

CardProgress::CardProgress(Progress& progress, int64_t last) : progress_(progress) {
    progress_.SetMaximum(int(std::clamp<int64_t>(last, 0, INT32_MAX)));
    step_ = std::max<int64_t>(1, (last + 1) / kProgressSteps);
}

SelectedCards::SelectedCards(Progress& progress)
    : progress_(progress), files_(CardFiles::Current()), empty_(EmptyCardValues(files_.Geometry())) {
    count_ = files_.CountCards();
    last_ = std::min<int64_t>(count_.last, int64_t(kSelectionMaskBytes) * 8 - 1);
    progress_.SetMaximum(std::max(count_.last, 0));
}

bool SelectedCards::AnySelected(int64_t first, int64_t count) {
    for (int64_t card = first; card < first + count; ++card) {
        // A whole byte of the mask at a time where the block covers it.
        if ((card & 7) == 0 && card + 8 <= first + count && CardSelectionMask[size_t(card >> 3)] == 0) {
            card += 7;
            continue;
        }
        if (IsCardSelected(card)) return true;
    }
    return false;
}

}  // namespace qv
