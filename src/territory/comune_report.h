#pragma once

// The values of the map's comuni, or of its aggregation units, as a text report in
// "tabella.txt" of the program directory: in their order (list) or from the largest value down
// (ranking). Both recompute the values as a drawing does, so they follow MapActiveComuni; they
// need the map tables (AllocateMapTables) filled by the counts. A missing name file raises the
// input/output error and leaves the previous report in place.

namespace qv {

void WriteComuneList();
void WriteComuneRanking();

}  // namespace qv
