#pragma once
#include <cstdint>
#include <string>

#include "platform/progress.h"

// The collective selection: one pass over the numeric part of every card that tests the
// conditions stated per field and rebuilds CardSelectionMask, filling StatisticsTables and
// NumericFieldSummary for the cards it selects.

namespace qv {

// How the pass combines its result with the selection it starts from.
enum SelectionCombination : int {
    kFirstSearch = 1,      // conditions alone, from an empty selection
    kOrSavedSearch = 2,    // saved selection OR conditions
    kAndSavedSearch = 3,   // saved selection AND conditions
    kSiblingSelection = 4  // the selection read from the territorial program's file, as it is
};

// The saved search (without extension) or the territorial program's file chosen last; kept
// between openings of the selection dialog.
extern std::string SelectionFileName;

// The pass over cards 0..CoreState.LastCard, combined by `combination`: for 2 and 3 the
// starting selection is SelectionFileName + ".STA". Bits of cards after the last
// keep their value. A card file that cannot be read raises IoError, leaving the selection as
// far as it was built. The card in hand is left untouched.
void RunCollectiveSelection(SelectionCombination combination, Progress& progress);

// Reads the territorial program's selection file into CardSelectionMask (its first card in the
// least significant bit of each byte); mask bytes past the file's end keep their value. The
// card count is that of the card files (CardFiles::CountCards). Raises IoError when the
// selection file cannot be read.
void ReadSiblingSelection(const std::string& path);

// Bit 0 becomes bit 7, bit 1 bit 6, and so on.
uint8_t ReverseBitOrder(uint8_t b);
// The byte that holds the last of `cardCount` cards, already in mask order: only the bits of
// the cards that exist are kept.
uint8_t AdjustLastSelectionByte(uint8_t b, int32_t cardCount);

// The date condition of date ordinal 1..30 (0 = open bound; both open match nothing) and the
// interval of numeric ordinal 1..999 (-9999999 = open bound, any other value a bound; both open
// match nothing). An empty value (-9999999) never lies above a lower bound.
bool DateInRange(int ordinal, int32_t key);
bool ValueInRange(int index, int32_t value);

}  // namespace qv
