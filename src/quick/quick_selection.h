#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quick/card_bitmap.h"

// The quick card selection: CardSelectionMask built step by step from the prepared files (bit
// matrix, territory, date and quantity per card) without reading the cards, each step logged as
// one line of the selection log "Selezio." + station number in the archive directory.

namespace qv {

// "AND ", "OR " or "NOT ", the word that begins a step's log line.
std::string OperatorWord(SelectionOperation op);

// Combines the first `count` bytes of `bits` into the first bytes of CardSelectionMask (bytes
// beyond either are ignored).
void CombineIntoSelection(SelectionOperation op, const CardBitmap& bits, size_t count = SIZE_MAX);

// The selection log.
std::string SelectionLogPath();
// Its lines; nullopt when it does not open.
std::optional<std::vector<std::string>> ReadSelectionLog();
// Appends a step; raises the input/output error when the log does not open.
void AppendSelectionLog(const std::string& line);

// Every card: all of CardSelectionMask set, CoreState.ReportCondition 0, the log started anew.
void SelectAllCards();

// Combines variable `variable` (0-based, grid lines then additional variables) of the bit
// matrix. A missing "dli-dat.dat", "dat-dat.dat" or log raises the input/output error before
// anything changes.
void SelectByVariable(SelectionOperation op, int variable, const std::string& label);

enum class ValueStepOutcome { Done, ValueFileMissing };

// The cards whose territory code is active in TerritorySelection ("ter-dat.dat"); the map's
// active comuni then follow the territory selection through "kel-trad.dat".
ValueStepOutcome SelectByTerritory(SelectionOperation op, const std::string& territoryLabel);
// The cards dated from `lower` to `upper` ("gg/mm/aaaa", both included, "ddd-dat.dat").
ValueStepOutcome SelectByDateRange(SelectionOperation op, const std::string& lower, const std::string& upper,
                                   const std::string& dateLabel);
// The cards whose quantity lies from `lower` to `upper` (whole numbers, both included,
// "num-dat.dat").
ValueStepOutcome SelectByQuantityRange(SelectionOperation op, const std::string& lower,
                                       const std::string& upper, const std::string& quantityLabel);
// A missing value file stops the step: the selection, the map and the log stay as they were.

// A typed bound as the comparison takes it; nullopt is an open bound.
std::optional<int64_t> DateBound(const std::string& typed);
std::optional<int64_t> QuantityBound(const std::string& typed);

// The variables offered to the selection: labels of the quick grid's lines, then, in
// CoreState.ElaborationMode 2, the labels of the additional variables; at most 4000.
std::vector<std::string> QuickSelectionVariables();

// The groups of variables: titles of the heading blocks ("tin-dat.txt", in mode 1
// "tin-sch.txt") and the 0-based grid line of each group's first variable (nullopt when the grid
// has fewer groups).
struct QuickVariableGroup {
    std::string Title;
    std::optional<int> FirstLine;
};
std::vector<QuickVariableGroup> QuickSelectionGroups();

}  // namespace qv
