#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/card_store.h"
#include "platform/progress.h"

// Alphabetical reordering of the categories of the fields marked for it (attribute 64): the
// labels are sorted, the permutation is written to "controll.txt", the field's category lines
// in "sig-sch.dat" are replaced, every card is renumbered and the definition is rebuilt.

namespace qv {

// The largest list the reordering takes on.
constexpr int kMaxReorderCategories = 2000;

// For each new position p (index p - 1) the old category number, from 1: labels compared on
// their first 30 characters with a-z folded to A-Z and every other byte by its code; equal
// keys keep their old order.
std::vector<int> AlphabeticalCategoryOrder(const std::vector<std::string>& labels);

// A category line of "sig-sch.dat": five blanks, the number in three characters (each '0' plus
// a digit of hundreds, tens and units), a blank and the label (at most 60 characters).
std::string CategoryDeclarationLine(int number, std::string_view label);

// Rewrites "sig-sch.dat" through the scratch copy "2-sch.dat": the declaration of `field` (the
// coded declaration whose fields reach `field`) keeps its line, its old category lines up to
// and including the end line are replaced by `categoryLines` and a new end line; every other
// line is copied. Every line is carried over up to 80 characters. Raises IoError when a file
// fails, or when no coded declaration holds `field` (nothing is written then). With `target`
// the declarations are read from and written to that copy instead, for a job that puts them
// in place with its cards.
void ReplaceDeclaredCategories(int field, const std::vector<std::string>& categoryLines,
                               const std::string& target = {});

struct ReorderRun {
    // Marked fields with more categories than the reordering takes: left as they were.
    std::vector<int> tooLarge;
    // The cards the last renumbering worked on.
    CardCount cards;
};

// Reorders every list of a marked field of type 0 once (a list shared by several fields is
// written in the declaration of the first field holding it, and the cards of every field
// sharing it are renumbered), then rebuilds the definition and reads the card in hand again.
// Raises IoError on any failed file operation; what was written stays.
ReorderRun ReorderMarkedCategories(Progress& progress);

}  // namespace qv
