#pragma once
#include <functional>

namespace qv {

class Progress;

// One step of the search by example on the card form (the card window's mode 2): from the mask
// and CoreState (SearchKind, SearchFromFirst, SearchEnded, CurrentCard) it makes the next
// matching card the card in hand and clears SearchEnded, or puts the mask back and sets it. The
// search belongs to the selection part of the program, which registers it here; the card window
// shows its progress bar around the step. Without a registered step nothing changes.
using CardSearchStep = std::function<void(Progress& progress)>;
// An empty step removes the registration.
void RegisterCardSearchStep(CardSearchStep step);
// Runs the registered step; false, with nothing changed, when none is registered.
bool RunCardSearchStep(Progress& progress);

}  // namespace qv
