#include "cardwindow/ui/card_search.h"

#include <utility>

namespace qv {

namespace {
CardSearchStep& Step() {
    static CardSearchStep step;
    return step;
}
}  // namespace

void RegisterCardSearchStep(CardSearchStep step) {
    Step() = std::move(step);
}

bool RunCardSearchStep(Progress& progress) {
    if (!Step()) return false;
    // A copy: the step may change the registration while it runs.
    const CardSearchStep step = Step();
    step(progress);
    return true;
}

}  // namespace qv
