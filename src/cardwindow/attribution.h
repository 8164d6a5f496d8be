#pragma once
#include <vector>

#include "platform/progress.h"

// Automatic attribution: the card typed in attribution mode (the card in hand) is the pattern;
// every field that holds a value on it is copied into, or emptied in, every selected card.

namespace qv {

enum class AttributionKind { Copy, Clear };

// The fields of the pattern (the card in hand) that the attribution writes, in field order:
// texts greater than "!" byte by byte, categories and municipalities above 0, dates with a
// word above 0, 16-bit numbers (0 included) that are not empty, 32-bit numbers not missing.
// Fields whose place lies outside the card are left out.
struct AttributionLists {
    std::vector<int> textFields;
    std::vector<int> numericFields;
};
AttributionLists BuildAttributionLists();

// Runs the attribution over cards 0..CoreState.LastCard selected in CardSelectionMask. Only the
// card parts a listed field needs are read and written; unselected cards are not touched.
// The pattern is kept in SavedCardText/SavedCardValues and is the card in hand again at the
// end, with CoreState.CurrentCard as it was. Raises IoError when a card cannot be read or
// written; the cards already written stay written.
void RunAttribution(AttributionKind kind, Progress& progress);

}  // namespace qv
