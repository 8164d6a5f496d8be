#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/card_store.h"

// Total export: every card of the archive as one line of "ascii.txt" (fixed widths or tabs) and
// the record layout "rec-trac.txt" telling, field by field, the columns, the caption, the kind
// of value and the categories. The archive is only read.

namespace qv {

class Progress;

// The fixed-width column of each 32-bit number field, by field number: 9 columns, or more where
// a card holds a wider value. Fields beyond the vector have 9.
using NumberColumns = std::vector<int>;

// The record layout from the text of the field declarations "sig-sch.dat".
std::string BuildExportLayout(const std::string& declarations, bool tabs, const NumberColumns& widths = {});

// One card's line, without its end, from its text (card byte 1 at text[0]) and its words
// (word 1 at words[0]) laid out by the open archive's definition. A 32-bit number takes the
// columns `widths` gives its field, and all it needs when that is too few; texts carry no
// control characters, which would break the line or the tabs.
std::string ExportCardLine(const uint8_t* text, const uint16_t* words, bool tabs,
                           const NumberColumns& widths = {});

// Writes "rec-trac.txt" and "ascii.txt" with CoreState.ExportTabs: the cards both card files
// hold, up to the last-card index, read in blocks; the last card is then the card in hand.
// Answers the count it worked on, for the closing message. Raises the input/output error when the field
// declarations cannot be read or a file cannot be written.
CardCount RunTotalExport(Progress& progress);

}  // namespace qv
