#include "selection/labels.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"
#include "selection/clickable_list.h"

namespace qv {

namespace {

constexpr size_t kListLineChars = 100;
constexpr int kLargestSetting = 32767;
// The label file keeps the spelling it has always been created with.
constexpr const char* kLabelFileName = "Etichett.TXT";

using Label = std::vector<std::string>;

// The list's lines grouped by the card that wrote them, in list order.
std::vector<Label> CardLabels() {
    const std::vector<int32_t> rowCards = ListRowCards();
    TextReader list;
    list.OpenOrThrow(DataFilePath(data_file::kListOutput));
    std::vector<Label> labels;
    int32_t previous = -1;
    for (size_t k = 0; !list.Eof(); ++k) {
        std::string line = list.ReadLine(kListLineChars);
        // A line the row file does not name belongs to no card.
        const int32_t card = k < rowCards.size() ? rowCards[k] : -1;
        if (card < 0) {
            previous = -1;
            continue;
        }
        if (card != previous) labels.emplace_back();
        labels.back().push_back(std::move(line));
        previous = card;
    }
    return labels;
}

// A cell: the line cut or padded to the width, then its tab.
std::string Cell(const Label& label, size_t row, int width) {
    std::string cell = row < label.size() ? label[row].substr(0, size_t(width)) : std::string();
    cell.resize(size_t(width), ' ');
    return cell + '\t';
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
    const size_t columns = size_t(CoreState.LabelColumns);
    const std::vector<Label> labels = CardLabels();
    const size_t rows = size_t(std::min(CountMaskLines(), kMaxLabelRows));

    std::string out;
    for (size_t first = 0; first < labels.size(); first += columns) {
        const size_t last = std::min(labels.size(), first + columns);
        for (size_t r = 0; r < rows; ++r) {
            for (size_t l = first; l < last; ++l) out += Cell(labels[l], r, width);
            out += "\r\n";
        }
    }
    WriteFileAtomic(CoreState.ProgramDir + kLabelFileName, out);
}

}  // namespace qv
