#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/text_file.h"
#include "quick/card_bitmap.h"

// Counting on the prepared quick files: every frequency of the quick reports is the number of
// cards set in a few card bitmaps ANDed together (areas of the bit matrix "dat-dat.dat" and the
// card selection), 64 cards at a time, or with the quantitative unit the sum of those cards'
// values in "num-dat.dat".

namespace qv {

// A line of the quick label list "txt-tab2.imp" (grid lines, then additional variables); line
// i (0-based) is matrix variable i and entry i of QuickRowFlags and QuickColumnFlags.
struct QuickLine {
    std::string Label;  // text before the first '*'
    bool OpensVariable = false;
    int32_t Parent = 0;        // of the variable a 'G' line opens: 1-based line, 0 = none
    int Variable = 0;          // 'G' lines up to this one
    bool MultiAnswer = false;  // its variable tests several fields together
};

// Rebuilds "txt-tab2.imp" from "grl-dat.txt" and "agg-dat.txt" and reads it back, at most 4000
// lines. A 'G' line without parent digits keeps the parent before it, as the grid grammar does.
// Raises the input/output error when "grl-dat.txt" does not open.
std::vector<QuickLine> RebuildQuickLines();

// What the quick report dialogs show: lines of "grl-dat.txt" plus one per two-line record of
// "agg-dat.txt" (at most 4000), and the chosen rows and columns among them.
struct QuickLineCount {
    int Lines = 0;
    int Rows = 0;
    int Columns = 0;
};
// Clears QuickRowFlags past the last line and, with `columns`, keeps only the first ten chosen
// columns and clears QuickColumnFlags past the last line as well. Missing files count no line.
QuickLineCount CountQuickLines(bool columns);

// Cards (or values) in bitmaps over the prepared cards 0..LastCard().
class QuickCardCounter {
  public:
    using Bitmap = CardBitmap;

    // Reads "dli-dat.dat" and opens "dat-dat.dat"; raises the input/output error when either
    // cannot be used.
    QuickCardCounter();

    // CardSelectionMask over the prepared cards 0..preparedLast, as far as it reaches.
    static Bitmap SelectionOver(int32_t preparedLast);

    int32_t LastCard() const { return last_; }
    // CardSelectionMask over the prepared cards.
    const Bitmap& Selection() const { return selection_; }
    // Matrix variable v's cards; raises the input/output error when the matrix ends before.
    Bitmap Area(int variable);
    // A row of a cross table: per column the cards (or values) of variable v's selected cards
    // that the column holds, then those of v's selected cards. Raises as Area does.
    std::vector<int64_t> CountRow(int variable, const std::vector<Bitmap>& columns);
    // Counts by the values of "num-dat.dat" from now on; false, counting cards still, when the
    // file does not open. Values past the file's end count 0.
    bool UseQuantityValues();
    // The cards set in `x` (and `y`), or the sum of their values.
    int64_t Count(const Bitmap& x) const;
    int64_t Count(const Bitmap& x, const Bitmap& y) const;

  private:
    // Variable v's records, as far as the counted cards reach, into rowWords_.
    void ReadArea(int variable);

    int32_t last_ = -1;
    int64_t areaRecords_ = 1;
    int64_t usedRecords_ = 0;
    RecordFile matrix_;
    Bitmap selection_;
    // Read into again for every row, never cleared: only the bytes the selection reaches count.
    std::vector<uint64_t> rowWords_;
    std::optional<std::vector<int32_t>> values_;
};

// Reads the quick heading blocks "tin-dat.txt" one variable after the other: three lines
// skipped, then the lines up to one beginning "///" (the first ten of them form the block).
class QuickHeadingBlocks {
  public:
    bool Open(const std::string& path);
    std::vector<std::string> Next();

  private:
    TextReader reader_;
};

}  // namespace qv
