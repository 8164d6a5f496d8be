#pragma once
#include <string>

// Address labels from the list text "lista.txt": the lines one card wrote (the row file
// "dli-list.dat" names the card of each line) make one label, CoreState.LabelColumns labels
// side by side, each line cut or padded to CoreState.LabelWidth characters, written to
// "Etichett.TXT" in the program directory.

namespace qv {

constexpr int kMaxLabelColumns = 5;
constexpr int kMaxLabelRows = 20;
constexpr int kMaxLabelWidth = 100;

// Lines of the working mask "mas-dat.txt" (a last line without a line break counts); 0 when the
// mask does not open.
int CountMaskLines();

// The whole number at the start of a typed text (its leading digits after blanks); 0 when
// there is none. Never above 32767, the largest value the settings keep.
int TypedWholeNumber(const std::string& typed);

// Brings the label settings into their ranges: columns 1..5, width 0..100.
void ClampLabelSettings();

// WriteLabels: clamps the settings (and stores them so), clears LabelsToPrinter and rewrites
// the label file from "lista.txt": a label for each run of lines of one card (lines of no card,
// -1, are passed over), so that a label never mixes cards even when the mask changed since the
// list was made. A label has as many rows as the working mask has lines, at most 20 (a card's
// lines past them are dropped; a shorter card's label ends with empty rows). Every cell is the line cut or
// padded with blanks to the width, then a tab, so that the labels' columns line up; the last band holds the
// labels after the last full band. Raises IoError when "lista.txt" or "dli-list.dat" cannot be read or the
// label file cannot be written (nothing is written then).
void WriteLabels();

}  // namespace qv
