#pragma once
#include <string>

// Address labels from the list text "lista.txt": each card's rows (as many as the working mask
// has lines, at most 20) make one label, CoreState.LabelColumns labels side by side, each line
// cut to CoreState.LabelWidth characters, written to "Etichett.TXT" in the program directory.

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
// the label file from "lista.txt": every cell is the line cut to the width and a tab. The last
// band holds the labels after the last full band, the last of them completed with empty
// lines. Raises IoError
// when "lista.txt" cannot be read or the label file cannot be written (nothing is written then).
void WriteLabels();

}  // namespace qv
