#pragma once
#include <cstdint>
#include <vector>

#include "core/card_store.h"
#include "platform/progress.h"

namespace qv {

class TextReader;

// The count a pass-29 file gives every slot of a variable whose sums do not fit its 4-byte
// records; the reports say so instead of printing its figures.
constexpr int32_t kTooLargeForRecords = -1;

// Pass codes of the counting run, as stored in CoreState.CommandCode.
constexpr int kCategoryCountPass = 28;
constexpr int kQuantitySumPass = 29;
constexpr int kSquaredDeviationPass = 31;

enum class CountingOutcome {
    Done,         // the pass's files are written
    NoPass,       // not a counting pass code: nothing counted, nothing written
    GridTooLong,  // the grid has kMaxGridLines lines or more
};

// A pass that does not end with Done leaves none of its output files behind, so no report
// takes an old table for the new result; an input/output error does the same and is raised.
struct CountingResult {
    CountingOutcome Outcome = CountingOutcome::Done;
    CardCount Cards;  // the cards the pass worked on, for its closing message
};

// One pass over the cards selected in CardSelectionMask (the cards both card files hold, up to
// the last-card index), with
// the grid "grl-sch.txt" and the flag lists StandardRowFlags and StandardColumnFlags:
// - 28: category counts by column (weighted by the unit field with CoreState.CountByQuantUnit)
//   into "tab-sch.dat";
// - 29: sums, counts and cards per column of every quantitative variable of "grq-sch.txt" into
//   "qnc-sch.dat", "qnt-sch.dat", "qnq-sch.dat";
// - 31: sums of squared deviations from the means of the pass-29 files into "scr-sch.dat".
// The progress runs from 0 to the last card and is moved a few hundred times at most.
// CoreState.CurrentCard is the same afterwards; the card buffers are not touched.
CountingResult RunCountingPass(int passCode, Progress& progress);

// The quantitative tables' job: pass 29, then pass 31 only when 29 ended with Done. Stores each
// pass code in CoreState.CommandCode before running it.
CountingResult RunQuantitativePasses(Progress& progress);

// The column lines pass 29 counted, read from its open "qnc-sch.dat": one decimal number a line,
// at most kMaxGridLines of them; a line that holds no number within 32 bits reads as 0.
std::vector<int32_t> ReadQuantColumns(TextReader& columnText);

}  // namespace qv
