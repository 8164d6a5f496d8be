#pragma once

// Copies the active territory between the map (MapActiveComuni, map comune m at m - 1) and the
// archive (TerritorySelection, code c at c - 1) through "kel-trad.dat" (territorial directory:
// one signed 16-bit map comune per archive code, code 1 first, at most 8250 taken; codes past
// the file have none). The file is required: the input/output error, with nothing changed,
// when it cannot be read.

namespace qv {

enum class TerritoryTransfer {
    MapToArchive = 1,  // codes 1..TerritoryCount: selected when their map comune is active
    ArchiveToMap = 2,  // entries 0..TerritoryCount cleared, then the comuni of selected codes set
};
void TransferTerritorySelection(TerritoryTransfer mode);

}  // namespace qv
