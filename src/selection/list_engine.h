#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/progress.h"

// Lists of the selected cards through the working print mask: "lista.txt" in the program
// directory, with "dli-list.dat" naming the card of each line the mask's own text breaks (one
// signed 32-bit little-endian record per line), in card order or in the alphabetical order of
// CoreState.ListOrderField, grouped by up to two fields (CoreState.ListGroupField1/2). Both
// files reach the disk whole when the run ends; a run abandoned by an input/output error
// leaves the previous ones.

namespace qv {

// Marks the absence of a further group.
constexpr int64_t kNoFurtherGroup = 9999999;
constexpr int64_t kGroupKeyFactor = 10000;

// Lists started from the dialog: ListReady := 1 and ListRow := 0 first. The grouped form runs
// when either group field is not 0.
void RunSequentialList(Progress& progress);
enum class ListOutcome { Done, OrderIndexMissing };
// OrderIndexMissing, writing nothing, when the order index of ListOrderField does not open.
ListOutcome RunAlphabeticalList(Progress& progress);

// The card CoreState.CurrentCard, as stored, through the mask into "tabella.txt": no heading,
// no row records; "lista.txt" and "dli-list.dat" are not touched.
void PrintCurrentCardThroughMask();

// Group keys of cards 0..LastCard (a * 10000 + b by the values of the two group fields), read
// from "num-sch.dat" whether the card is selected or not. A municipality field chosen as first
// group field is first moved to the second place, in CoreState.
struct GroupKeys {
    std::vector<int64_t> keys;
    int64_t smallest = kNoFurtherGroup;
};
GroupKeys BuildGroupKeys();

// The alphabetical order index of `field` ("ALFA." and three characters in the archive
// directory): its card numbers, at most `limit`; nullopt when the field names no order or the
// file does not open.
std::optional<std::vector<int32_t>> ReadAlphabeticalOrder(int field, size_t limit = SIZE_MAX);

}  // namespace qv
