#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/progress.h"

namespace qv {

// One pass over the numeric part of every card of the open archive, 0 to CoreState.LastCard,
// selected or not: each card is put in CurrentCardValues with CoreState.CurrentCard set to it,
// `visit` may change the words, and the card is written back. The cards are read and written
// in blocks; a card the file ends before starts empty by type and is written like the others.
// The progress runs from 0 to LastCard. CurrentCard and CurrentCardValues are left on the last
// card; a failure raises IoError, and the blocks already written stay written.
// With `valuesPath` the pass reads and writes that copy of the numeric card file instead.
void UpdateEveryCardValues(Progress& progress, const std::function<void(int32_t card)>& visit,
                           const std::string& valuesPath = {});

}  // namespace qv
