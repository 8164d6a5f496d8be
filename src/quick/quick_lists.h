#pragma once
#include <string>

#include "platform/progress.h"

// Quick lists: the cards selected in CardSelectionMask written through the archive's working
// print mask "mas-dat.txt" into "lista.txt" of the program directory, one mask output per card.
// A quick list is plain text: no tabular headings and no row file.

namespace qv {

enum class QuickListOrder { Sequential, Alphabetical };
enum class QuickListOutcome { Done, OrderIndexMissing };

// Sequential: the selected cards 0..CoreState.LastCard. Alphabetical: the selected cards in the
// order of the index "ALFA." + CoreState.ListOrderField; OrderIndexMissing, writing nothing,
// when it does not open. The card in hand is left on the last card listed. A missing mask
// lists nothing for each card; missing card files or municipality names raise the
// input/output error and leave the previous "lista.txt".
QuickListOutcome RunQuickList(QuickListOrder order, Progress& progress);

// The default mask from the archive's card definition "scheda.txt"; raises the input/output
// error, touching nothing, when the definition does not open.
void CreateQuickMask();

// The name a chosen mask file is saved under: ".mas" appended when its last component has no
// ".".
std::string QuickMaskFileName(const std::string& chosen);
// Copies the working mask to a user's file (named by QuickMaskFileName) and back.
void SaveQuickMask(const std::string& chosen);
void LoadQuickMask(const std::string& path);

}  // namespace qv
