#pragma once
#include <string>

#include "platform/progress.h"

namespace qv {

// The typology attribution the factor dialogs run once the user has chosen the profile text:
// the selected cards scored into the 20 words of CoreState.TypologyField, by
// CoreState.ElaborationMode (1 standard, 2 quick). Without the write password (text 1007), or
// when the field cannot hold the 20 scores before the card's notes (text 148, quick 532), a
// message says so and nothing is written. Raises the input/output error of the attribution.
void AttributeTypologiesFromDialog(const std::string& profilePath, Progress& progress);

}  // namespace qv
