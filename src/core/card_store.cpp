#include "core/card_store.h"

#include "core/core_state.h"

namespace qv {

// Placeholder until the card store lands: every card reads as blank.
void ReadCardText() { CurrentCardText.fill(0); }
void ReadCardValues() { CoreState.FirstCardWord = CurrentCardValues[1]; }

}  // namespace qv
