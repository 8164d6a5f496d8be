#include "quick/quick_counts.h"

#include <algorithm>

#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/count_table.h"
#include "elaborations/factor_counts.h"
#include "elaborations/factor_files.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "quick/preparation.h"

namespace qv {

namespace {

constexpr size_t kMaxHeadingLines = 10;

int CountTextLines(int fileId, int limit) {
    TextReader reader;
    if (!reader.Open(DataFilePath(fileId))) return 0;
    int lines = 0;
    for (; !reader.Eof() && lines < limit; ++lines) reader.SkipLine();
    return lines;
}

// Cards past the selection mask can never be selected: counting stops there.
int32_t CountedLast(int32_t preparedLast) {
    return std::clamp<int32_t>(preparedLast, -1, kSelectionMaskBytes * 8 - 1);
}

}  // namespace

std::vector<QuickLine> RebuildQuickLines() {
    const int gridLines = BuildQuickLabelList();
    TextReader reader;
    reader.OpenOrThrow(DataFilePath(data_file::kViewerStaging));
    std::vector<QuickLine> lines;
    GridLine previous;  // carries the parent of the variable read so far
    int variable = 0;
    bool multiAnswer = false;
    while (!reader.Eof() && int(lines.size()) < kMaxGridLines) {
        GridLine grid = ParseGridLine(reader.ReadLine(), &previous);
        if (int(lines.size()) >= gridLines) {
            // The additional variables form one more variable, of one field and no parent,
            // whatever their labels hold: after a label of 98 characters or more the code
            // written for them lies past the scanned positions.
            grid.OpensVariable = int(lines.size()) == gridLines;
            grid.Code.clear();
            grid.Parent = 0;
        }
        QuickLine line;
        line.Label = std::move(grid.Label);
        if (grid.OpensVariable) {
            line.OpensVariable = true;
            ++variable;
            const std::string& code = grid.Code;
            multiAnswer = code.size() > 1 && code[1] > '1' && code[1] <= '9';
            previous.Parent = grid.Parent;
        }
        line.Parent = previous.Parent;
        line.Variable = variable;
        line.MultiAnswer = multiAnswer;
        lines.push_back(std::move(line));
    }
    // A parent outside the list is no parent, as in the standard reports.
    for (QuickLine& line : lines)
        if (!ParentInGrid(line.Parent, int(lines.size()))) line.Parent = 0;
    return lines;
}

QuickLineCount CountQuickLines(bool columns) {
    QuickLineCount count;
    const int gridLines = CountTextLines(data_file::kQuickGrid, kMaxGridLines);
    // Two lines of "agg-dat.txt" make one variable; a label line alone still makes one.
    const int additional = (CountTextLines(data_file::kAdditionalVariables, 2 * kMaxGridLines) + 1) / 2;
    count.Lines = std::min(gridLines + additional, kMaxGridLines);
    for (int line = 0; line < kFlagListSize; ++line) {
        const size_t i = size_t(line);
        if (line >= count.Lines) {
            QuickRowFlags[i] = 0;
            if (columns) QuickColumnFlags[i] = 0;
            continue;
        }
        if (QuickRowFlags[i]) ++count.Rows;
        if (columns && QuickColumnFlags[i]) {
            if (count.Columns < kMaxCountedColumns)
                ++count.Columns;
            else
                QuickColumnFlags[i] = 0;
        }
    }
    return count;
}

QuickCardCounter::QuickCardCounter() {
    const int32_t prepared = ReadMatrixCardCount();
    areaRecords_ = MatrixAreaRecords(std::max(prepared, -1));
    last_ = CountedLast(prepared);
    usedRecords_ = last_ >= 0 ? (int64_t(last_) / 8) / kMatrixRecordBytes + 1 : 0;
    matrix_.Open(DataFilePath(data_file::kBitMatrix), kMatrixRecordBytes, RecordFile::Mode::Read);
    selection_ = SelectionOver(last_);
}

QuickCardCounter::Bitmap QuickCardCounter::SelectionOver(int32_t preparedLast) {
    const int64_t cards = int64_t(CountedLast(preparedLast)) + 1;
    Bitmap selection(CardSelectionMask.data(), size_t(cards + 7) / 8);
    selection.ClearFrom(cards);
    return selection;
}

void QuickCardCounter::ReadArea(int variable) {
    // Only the records that hold cards the selection can reach are read: a damaged card count
    // far past them costs no more than the largest archive.
    const size_t bytes = size_t(usedRecords_) * kMatrixRecordBytes;
    if (rowWords_.size() * 8 < bytes) rowWords_.assign((bytes + 7) / 8, 0);
    if (usedRecords_ > 0) matrix_.Read(int64_t(variable) * areaRecords_, rowWords_.data(), usedRecords_);
}

QuickCardCounter::Bitmap QuickCardCounter::Area(int variable) {
    ReadArea(variable);
    Bitmap area(reinterpret_cast<const uint8_t*>(rowWords_.data()),
                size_t(usedRecords_) * kMatrixRecordBytes);
    area.KeepFirst(int64_t(last_) + 1);
    return area;
}

std::vector<int64_t> QuickCardCounter::CountRow(int variable, const std::vector<Bitmap>& columns) {
    std::vector<int64_t> figures(columns.size() + 1, 0);
    if (values_) {
        const Bitmap row = Bitmap::Common(Area(variable), selection_);
        for (size_t k = 0; k < columns.size(); ++k) figures[k] = Count(columns[k], row);
        figures.back() = Count(row);
        return figures;
    }
    // The selection holds no card past the last counted one, so the bytes past it are never
    // looked at: the area is counted where it was read.
    ReadArea(variable);
    CountRowAgainst(rowWords_.data(), selection_, columns, figures.data());
    return figures;
}

bool QuickCardCounter::UseQuantityValues() {
    const std::optional<std::string> bytes = TryReadFile(DataFilePath(data_file::kQuantValues));
    if (!bytes) return false;
    std::vector<int32_t> values(size_t(last_ + 1), 0);
    const size_t inFile = std::min(values.size(), bytes->size() / 4);
    for (size_t c = 0; c < inFile; ++c) values[c] = GetI32(Bytes(*bytes) + c * 4);
    values_ = std::move(values);
    return true;
}

int64_t QuickCardCounter::Count(const Bitmap& x) const {
    return values_ ? Count(x, x) : x.Count();
}

int64_t QuickCardCounter::Count(const Bitmap& x, const Bitmap& y) const {
    if (!values_) return x.CountCommon(y);
    int64_t sum = 0;
    x.ForEachCommon(y, [&](int64_t card) {
        if (size_t(card) < values_->size()) sum += (*values_)[size_t(card)];
    });
    return sum;
}

bool QuickHeadingBlocks::Open(const std::string& path) {
    return reader_.Open(path);
}

std::vector<std::string> QuickHeadingBlocks::Next() {
    for (int skipped = 0; skipped < 3 && !reader_.Eof(); ++skipped) reader_.SkipLine();
    std::vector<std::string> block;
    while (!reader_.Eof()) {
        std::string line = reader_.ReadLine();
        if (line.compare(0, 3, "///") == 0) break;
        if (block.size() < kMaxHeadingLines) block.push_back(std::move(line));
    }
    return block;
}

}  // namespace qv
