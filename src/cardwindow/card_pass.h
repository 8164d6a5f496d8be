#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/card_store.h"
#include "platform/progress.h"

namespace qv {

// One pass over the numeric part of every card of the open archive, selected or not: the cards
// both card files hold when the pass starts, up to the last-card index. Each card is put in
// CurrentCardValues with CoreState.CurrentCard set to it, `visit` may change the words, and
// the card is written back in its place, so neither file grows. The cards are read and written
// in blocks; the progress runs from 0 to the last card. CurrentCard and CurrentCardValues are
// left on the last card; a failure raises IoError, and the blocks already written stay
// written. Answers the count the pass worked on, for its closing message. With `valuesPath` the
// pass reads and writes that copy of the numeric card file instead.
CardCount UpdateEveryCardValues(Progress& progress, const std::function<void(int32_t card)>& visit,
                                const std::string& valuesPath = {});

}  // namespace qv
