#include "quick/quick_counts.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/factor_counts.h"
#include "elaborations/factor_files.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "quick/preparation.h"

namespace qv {

namespace {

constexpr int kMaxColumns = 10;
constexpr size_t kMaxHeadingLines = 10;

int CountTextLines(int fileId, int limit) {
    TextReader reader;
    if (!reader.Open(DataFilePath(fileId))) return 0;
    int lines = 0;
    for (; !reader.Eof() && lines < limit; ++lines) reader.SkipLine();
    return lines;
}

// The first `used` bytes of a card bitmap, bits past card `last` cleared, 64 cards a word.
QuickCardCounter::Bitmap Pack(const uint8_t* bytes, size_t available, int32_t last) {
    const size_t used = last >= 0 ? size_t(last) / 8 + 1 : 0;
    std::vector<uint8_t> copy((used + 7) / 8 * 8, 0);
    // An archive prepared with no card has nothing to copy, and no buffer to copy into.
    if (std::min(used, available) > 0) std::memcpy(copy.data(), bytes, std::min(used, available));
    if (used > 0) copy[used - 1] &= uint8_t(0xFF << (7 - last % 8));
    QuickCardCounter::Bitmap words(copy.size() / 8);
    if (!words.empty()) std::memcpy(words.data(), copy.data(), copy.size());
    return words;
}

}  // namespace

std::vector<QuickLine> RebuildQuickLines() {
    BuildQuickLabelList();
    TextReader reader;
    reader.OpenOrThrow(DataFilePath(data_file::kViewerStaging));
    std::vector<QuickLine> lines;
    int32_t parent = 0;
    int variable = 0;
    bool multiAnswer = false;
    while (!reader.Eof() && int(lines.size()) < kMaxGridLines) {
        const std::string text = reader.ReadLine();
        QuickLine line;
        const size_t star = text.find('*');
        line.Label = text.substr(0, std::min(star, text.size()));
        const size_t semicolon = star == std::string::npos ? star : text.find(';', star);
        if (semicolon != std::string::npos && semicolon + 1 < text.size() && text[semicolon + 1] == 'G') {
            line.OpensVariable = true;
            ++variable;
            const char fields = semicolon + 2 < text.size() ? text[semicolon + 2] : '0';
            multiAnswer = fields > '1' && fields <= '9';
            std::string digits;
            for (size_t d = semicolon + 4; d < text.size() && text[d] >= '0' && text[d] <= '9'; ++d)
                if (digits.size() < 9) digits += text[d];
            if (!digits.empty()) parent = std::stoi(digits);
        }
        line.Parent = parent;
        line.Variable = variable;
        line.MultiAnswer = multiAnswer;
        lines.push_back(std::move(line));
    }
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
            if (count.Columns < kMaxColumns)
                ++count.Columns;
            else
                QuickColumnFlags[i] = 0;
        }
    }
    return count;
}

QuickCardCounter::QuickCardCounter() {
    const int32_t prepared = ReadPreparedCardCount();
    areaRecords_ = MatrixAreaRecords(std::max(prepared, -1));
    // Cards past the selection mask can never be selected: counting stops there.
    last_ = std::clamp<int32_t>(prepared, -1, kSelectionMaskBytes * 8 - 1);
    usedRecords_ = last_ >= 0 ? (int64_t(last_) / 8) / kMatrixRecordBytes + 1 : 0;
    matrix_.Open(DataFilePath(data_file::kBitMatrix), kMatrixRecordBytes, RecordFile::Mode::Read);
    selection_ = Pack(CardSelectionMask.data(), CardSelectionMask.size(), last_);
}

QuickCardCounter::Bitmap QuickCardCounter::Area(int variable) {
    std::vector<uint8_t> area(size_t(usedRecords_) * kMatrixRecordBytes);
    if (usedRecords_ > 0) matrix_.Read(int64_t(variable) * areaRecords_, area.data(), usedRecords_);
    return Pack(area.data(), area.size(), last_);
}

QuickCardCounter::Bitmap QuickCardCounter::And(const Bitmap& x, const Bitmap& y) {
    Bitmap out(std::min(x.size(), y.size()));
    for (size_t i = 0; i < out.size(); ++i) out[i] = x[i] & y[i];
    return out;
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

int64_t QuickCardCounter::SumOf(uint64_t word, size_t index) const {
    int64_t sum = 0;
    while (word) {
        const int bit = std::countr_zero(word);
        word &= word - 1;
        // Byte bit / 8 of the word holds eight cards, the first at its top bit.
        const size_t card = (index * 8 + size_t(bit) / 8) * 8 + size_t(7 - bit % 8);
        if (card < values_->size()) sum += (*values_)[card];
    }
    return sum;
}

int64_t QuickCardCounter::Count(const Bitmap& x) const {
    int64_t n = 0;
    for (size_t i = 0; i < x.size(); ++i) n += values_ ? SumOf(x[i], i) : std::popcount(x[i]);
    return n;
}

int64_t QuickCardCounter::Count(const Bitmap& x, const Bitmap& y) const {
    int64_t n = 0;
    const size_t size = std::min(x.size(), y.size());
    for (size_t i = 0; i < size; ++i) n += values_ ? SumOf(x[i] & y[i], i) : std::popcount(x[i] & y[i]);
    return n;
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
