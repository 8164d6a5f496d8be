#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Filters that narrow ("And") or widen ("Or") the comuni active on the map, MapActiveComuni
// (comune i at i - 1), for the comuni 1..MapState.ValueCount.

namespace qv {

enum class FilterJoin { And, Or };

// The qualitative variables of "sig-zor2.txt" (territorial directory) and the categories of
// MapState.QualitativeVariable, as written to "var.txt" and "modalita.txt" (program directory),
// which are rewritten every time, empty when "sig-zor2.txt" is missing.
struct QualitativeLists {
    std::vector<std::string> variables;
    std::vector<std::string> categories;
};
QualitativeLists BuildQualitativeLists();

// Comune i passes when its value of variable MapState.QualitativeVariable (block
// QualitativeVariable + 1 of "ter-zor.dat", the stored value minus 334) is a wanted category
// position 0..2000. "ter-zor.dat" is required: when it or the block is missing, the input/output
// error is raised and nothing changes.
void ApplyQualitativeFilter(const std::vector<bool>& wantedCategories, FilterJoin join);

// Comune i passes when its card count (counts[i]) lies within the bounds, both inclusive;
// kEmptyNumber leaves a bound open. False, with nothing changed, when both bounds are open.
// Comuni beyond the counts given count no cards.
bool ApplyQuantitativeFilter(std::span<const int32_t> counts, int32_t low, int32_t high, FilterJoin join);

// The number a bound box holds: the whole text as an integer, kEmptyNumber when it is not one.
int32_t BoundValue(const std::string& text);

}  // namespace qv
