#include "selection/labels.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kListLineChars = 100;
constexpr int kLargestSetting = 32767;
// The label file keeps the spelling it has always been created with.
constexpr const char* kLabelFileName = "Etichett.TXT";

using LabelGrid = std::array<std::array<std::string, kMaxLabelRows + 1>, kMaxLabelColumns + 1>;

// Rows 1..rows of labels 1..columns, each row a line.
void WriteBand(std::string& out, const LabelGrid& cells, int columns, int rows) {
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= columns; ++c) out += cells[size_t(c)][size_t(r)];
        out += "\r\n";
    }
}

}  // namespace

int CountMaskLines() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kWorkingMask))) return 0;
    int lines = 0;
    while (!in.Eof()) {
        in.SkipLine();
        ++lines;
    }
    return lines;
}

int TypedWholeNumber(const std::string& typed) {
    return std::clamp(LeadingInteger(typed), 0, kLargestSetting);
}

void ClampLabelSettings() {
    CoreState.LabelWidth = std::clamp(CoreState.LabelWidth, 0, kMaxLabelWidth);
    CoreState.LabelColumns = std::clamp(CoreState.LabelColumns, 1, kMaxLabelColumns);
}

void WriteLabels() {
    ClampLabelSettings();
    CoreState.LabelsToPrinter = 0;
    const int width = CoreState.LabelWidth;
    const int columns = CoreState.LabelColumns;
    const int rows = std::min(CountMaskLines(), kMaxLabelRows);

    TextReader list;
    list.OpenOrThrow(DataFilePath(data_file::kListOutput));
    std::string out;
    LabelGrid cells;
    int column = 1;
    int row = 1;
    while (!list.Eof()) {
        const std::string line = list.ReadLine(kListLineChars);
        cells[size_t(column)][size_t(row)] = line.substr(0, size_t(width)) + '\t';
        if (++row > rows) {
            ++column;
            row = 1;
        }
        if (column > columns) {
            WriteBand(out, cells, columns, rows);
            column = 1;
            row = 1;
        }
    }
    // The last label, when its card wrote fewer lines than the mask has, is written with its
    // missing lines empty.
    if (row > 1) {
        for (; row <= rows; ++row) cells[size_t(column)][size_t(row)] = "\t";
        ++column;
    }
    if (column > 1) WriteBand(out, cells, column - 1, rows);
    WriteFileAtomic(CoreState.ProgramDir + kLabelFileName, out);
}

}  // namespace qv
