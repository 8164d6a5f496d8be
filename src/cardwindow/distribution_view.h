#pragma once
#include <vector>

// The distribution of one field over the cards of the last collective selection, read from the
// counters the selection left (StatisticsTables, NumericFieldSummary) and written to
// "tabella.txt" of the program directory for the text viewer: one row per category, class of
// years or percentages, or municipality of the province last shown, with the count and the
// percentage of every table (all cards, then the split tables).

namespace qv {

// Number of provinces the start table of the report takes from "ini-prov.imp".
constexpr int kDistributionProvinces = 102;

// The field the report describes for `field`: a further answer of a multi-answer category is
// reported through the nearest category field before it (itself when there is none).
int DistributionField(int field);

// First territory code of every province from the first four characters of each line of
// "ini-prov.imp" (at most kDistributionProvinces lines), then TerritoryCount + 1 closing the
// last one. Raises IoError when the file cannot be read.
std::vector<int> ReadProvinceStarts();

// Writes the report of CoreState.CurrentField. The file reaches the disk whole: an input/output
// error on "ini-prov.imp", "mod-sch.dat" or "cmn-zor2.dat" leaves the previous "tabella.txt".
void WriteFieldDistribution();

}  // namespace qv
