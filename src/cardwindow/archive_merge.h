#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Merge of archives: the open archive becomes the concatenation of the cards of the archives
// listed, one directory per line, in its "ap1-sch.txt". The list is checked first, and the
// findings go to the report "tabella.txt"; the merge itself replaces the open archive's cards
// with those of every listed archive in list order, all of them or none.

namespace qv {

class Progress;

struct MergeCheck {
    bool sound = false;
    // The listed directories, each ending with '/'; blank lines name none.
    std::vector<std::string> directories;
};

// Checks "ap1-sch.txt" and rewrites "tabella.txt" with one line per fault. A listed archive
// must have the card files and the descriptor of an archive, the open archive's card geometry,
// an index its card files hold whole, and must not be the open archive itself; the merged
// archive must fit in the card selection. Sets CoreState.OtherArchiveDir to each directory.
MergeCheck CheckMergeList();

// Replaces the open archive's cards and notes with the cards of `directories` in order, their
// notes chained anew: the merged files are written beside the archive's own and take their
// place together with the last-card index, under the index lock (see
// CrashSafeArchiveReplacement). Answers the new last card, also stored in CoreState.LastCard.
// Raises the input/output error; the archive then keeps its own cards and notes whole.
int32_t MergeArchives(const std::vector<std::string>& directories, Progress& progress);

}  // namespace qv
