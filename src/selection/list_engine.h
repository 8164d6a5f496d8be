#pragma once
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/progress.h"

// Lists of the selected cards through the working print mask: "lista.txt" in the program
// directory, with "dli-list.dat" naming the card of every line of it (one signed 32-bit
// little-endian record per line: the card that wrote the line, -1 for headings and group
// separators), in card order or in the alphabetical order of CoreState.ListOrderField, grouped
// by up to two fields (CoreState.ListGroupField1/2). Both files reach the disk whole when the
// run ends; a run abandoned by an input/output error leaves the previous ones.

namespace qv {

// Key slots are held in blocks of this many cards.
constexpr int32_t kKeyBlock = 8192;

// Lists started from the dialog: ListReady := 1 and ListRow := 0 first. The grouped form runs
// when either group field is not 0.
void RunSequentialList(Progress& progress);
enum class ListOutcome { Done, OrderIndexMissing };
// OrderIndexMissing, writing nothing, when the order index of ListOrderField does not open.
ListOutcome RunAlphabeticalList(Progress& progress);

// The card CoreState.CurrentCard, as stored, through the mask into "tabella.txt": no heading,
// no row records; "lista.txt" and "dli-list.dat" are not touched.
void PrintCurrentCardThroughMask();

// The group of a card: the values of the two group fields (0 for a group field of 0), compared
// as a pair, so that no value of the second field reaches into the first.
struct GroupKey {
    int32_t first = 0;
    int32_t second = 0;
    auto operator<=>(const GroupKey&) const = default;
};

// Group keys of cards 0..LastCard, read from "num-sch.dat" whether the card is selected or
// not; `smallest` is empty without cards. A municipality field chosen as first group field is
// first moved to the second place, in CoreState, unless both are municipality fields.
struct GroupKeys {
    std::vector<GroupKey> keys;
    std::optional<GroupKey> smallest;
};
GroupKeys BuildGroupKeys();

// The group passes of lists and merged lists: the groups in ascending order from the smallest
// key of all cards, one pass over the selected cards of `order` (every card in card order
// without one) per group. `card` is called with CoreState.CurrentCard set for each card of the
// group, `groupEnd` after each pass. Without cards one empty group is passed. A sequential run
// shows the card number, an alphabetical one the cards written.
void PassGroups(const GroupKeys& groups, const std::vector<int32_t>* order, Progress& progress,
                const std::function<void(const GroupKey&)>& card, const std::function<void()>& groupEnd);

}  // namespace qv
