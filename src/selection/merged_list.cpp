#include "selection/merged_list.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/order_index.h"
#include "core/selection_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"
#include "selection/list_engine.h"
#include "selection/list_output.h"
#include "selection/print_mask.h"

namespace qv {

namespace {

constexpr size_t kFirstLineChars = 100;
constexpr size_t kJoinLineChars = 255;

bool Grouping() {
    return CoreState.ListGroupField1 != 0 || CoreState.ListGroupField2 != 0;
}

void WriteCounter(int value) {
    std::string bytes;
    AppendI16(bytes, int16_t(value));
    WriteFileAtomic(DataFilePath(data_file::kMergeCounter), bytes);
}

int ReadCounterOrThrow() {
    const std::string path = DataFilePath(data_file::kMergeCounter);
    RecordFile file(path, 2, RecordFile::Mode::Read);
    uint8_t record[2];
    file.Read(0, record);
    const int counter = GetI16(record);
    // Only a damaged file holds a negative count; it names no intermediate file.
    if (counter < 0) ThrowIo(kInvalidNumber, path);
    return counter;
}

// SwitchToIntermediateFile: the counter goes up by one and names the file the pass writes. The
// file is emptied at once, so that a pass abandoned on the way never leaves the cards of an
// earlier run under the new number.
int SwitchToIntermediateFile() {
    const int number = ReadCounterOrThrow() + 1;
    WriteCounter(number);
    WriteFileAtomic(MergeIntermediatePath(number), "");
    return number;
}

bool EndsLine(const std::string& text) {
    if (text.empty()) return true;
    return text.back() == '\r' || (text.back() == '\n' && text.size() >= 2 && text[text.size() - 2] == '\r');
}

// The groups of the list engine in ascending key order, each card preceded by its key line
// ("*", the two group values, a blank and the number of lines of the card's block, so that the
// join copies the block whatever its lines begin with); no heading, no group separator, no row
// records.
void WritePassCards(ListOutputFile& out, PrintMask& mask, const GroupKeys& groups,
                    const std::vector<int32_t>* order, Progress& progress) {
    ListOutputFile block;
    PassGroups(
        groups, order, progress,
        [&](const GroupKey& key) {
            block.Create();
            mask.FillPrintMask(block);
            std::string text = block.Text();
            // A block that does not end its last line would glue the next key line to it.
            if (!EndsLine(text)) text += "\r\n";
            // The join reads the file by CR line ends: its first line, a key line, ends in CR LF.
            const auto lines = std::count(text.begin(), text.end(), '\r');
            out.Write('*');
            out.Write(std::to_string(key.first) + "," + std::to_string(key.second) + " " +
                      std::to_string(lines));
            out.WriteLine();
            out.Write(text);
        },
        [] {});
    block.Discard();
}

MergePassOutcome RunPass(Progress& progress, bool first) {
    if (!Grouping()) return MergePassOutcome::NoGroupField;
    if (!first && ReadCounterOrThrow() >= kMaxMergeFiles) return MergePassOutcome::NoMorePasses;
    const bool alphabetical = CoreState.MergeListAlphabetic == 1;
    std::optional<std::vector<int32_t>> order;
    if (alphabetical) {
        // Held whole while the groups are passed; no more entries than key slots.
        const size_t slots =
            (size_t(std::max<int32_t>(CoreState.LastCard + 1, 0)) / kKeyBlock + 1) * kKeyBlock;
        order = ReadAlphabeticalOrder(CoreState.ListOrderField, slots);
        // Without it the pass would write an empty file that the join takes for a whole
        // archive: say so and touch nothing.
        if (!order) return MergePassOutcome::OrderIndexMissing;
    }
    if (first) WriteCounter(0);

    progress.SetMaximum(std::max<int32_t>(CoreState.LastCard, 0));
    // The file the pass starts on is created and left empty.
    WriteFileAtomic(DataFilePath(alphabetical ? data_file::kListOutput : data_file::kArchiveBase), "");
    ListOutputFile out;
    out.Bind(MergeIntermediatePath(SwitchToIntermediateFile()));
    out.Create();
    const GroupKeys groups = BuildGroupKeys();
    // Here the working mask must exist.
    RecordFile(DataFilePath(data_file::kWorkingMask), 1, RecordFile::Mode::Read).Close();
    PrintMask mask;
    mask.Load();
    WritePassCards(out, mask, groups, order ? &*order : nullptr, progress);
    mask.Release();
    out.Close();
    WriteFileAtomic(DataFilePath(data_file::kListOutput), "");
    return MergePassOutcome::Done;
}

// A whole number with an optional sign from `at` on; `at` is left after it.
int64_t NumberAt(const std::string& line, size_t& at) {
    bool negative = false;
    if (at < line.size() && (line[at] == '-' || line[at] == '+')) negative = line[at++] == '-';
    int64_t value = 0;
    // Digits past the 64-bit range leave the value at its largest.
    constexpr int64_t kLargest = (INT64_MAX - 9) / 10;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at)
        if (value <= kLargest) value = value * 10 + (line[at] - '0');
    return negative ? -value : value;
}

// A key line: "*first,second count" as the passes write it. A line with one number and no
// count (from a station that groups by a x 10000 + b) is read as that number split into the
// pair, which keeps its order among such lines; its block runs to the next line beginning with
// "*".
struct KeyLine {
    GroupKey key;
    std::optional<int64_t> lines;
};

KeyLine ParseKeyLine(const std::string& line) {
    size_t at = 1;
    const int64_t first = NumberAt(line, at);
    KeyLine k;
    if (at < line.size() && line[at] == ',') {
        ++at;
        k.key = {int32_t(std::clamp<int64_t>(first, INT32_MIN, INT32_MAX)),
                 int32_t(std::clamp<int64_t>(NumberAt(line, at), INT32_MIN, INT32_MAX))};
    } else {
        constexpr int64_t kOldFactor = 10000;
        // Floor division: -1 is the pair (-1, 9999), just below (0, 0).
        const int64_t m = first % kOldFactor;
        const int64_t quotient = first / kOldFactor - (m < 0 ? 1 : 0);
        k.key = {int32_t(std::clamp<int64_t>(quotient, INT32_MIN, INT32_MAX)),
                 int32_t(m < 0 ? m + kOldFactor : m)};
    }
    if (at + 1 < line.size() && line[at] == ' ' && line[at + 1] >= '0' && line[at + 1] <= '9') {
        ++at;
        k.lines = NumberAt(line, at);
    }
    return k;
}

}  // namespace

MergePassOutcome RunFirstMergePass(Progress& progress) {
    return RunPass(progress, true);
}

MergePassOutcome RunNextMergePass(Progress& progress) {
    return RunPass(progress, false);
}

int ReadMergeCounter() {
    RecordFile file;
    if (!file.OpenIfExists(DataFilePath(data_file::kMergeCounter), 2, RecordFile::Mode::Read)) return 0;
    uint8_t record[2];
    if (file.ReadUpTo(0, record, 1) != 1) return 0;
    return GetI16(record);
}

std::string MergeIntermediatePath(int number) {
    return CoreState.ProgramDir + "Scheda." + std::to_string(number);
}

MergeJoinOutcome JoinMergedLists(Progress& progress) {
    // No pass writes more than nine files.
    const int n = std::min(ReadMergeCounter(), kMaxMergeFiles);
    if (n < 1) return MergeJoinOutcome::NoFiles;

    struct Source {
        TextReader in;
        KeyLine head;
        bool exhausted = false;
        // Copies lines up to the next key line, which becomes the head.
        void CopyToNextKey(TextBuilder& to) {
            while (!in.Eof()) {
                std::string line = in.ReadLine(kJoinLineChars);
                if (!line.empty() && line[0] == '*') {
                    head = ParseKeyLine(line);
                    return;
                }
                to.Line(line);
            }
            exhausted = true;
        }
    };
    std::vector<Source> sources(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        Source& s = sources[size_t(i)];
        s.in.OpenOrThrow(MergeIntermediatePath(i + 1));
        // A pass without cards adds nothing.
        if (s.in.Eof())
            s.exhausted = true;
        else
            s.head = ParseKeyLine(s.in.ReadLine(kFirstLineChars));
    }

    TextBuilder merged;
    int steps = 0;
    for (;;) {
        // The smallest key; the lowest-numbered file on equal keys.
        Source* m = nullptr;
        for (Source& s : sources)
            if (!s.exhausted && (!m || s.head.key < m->head.key)) m = &s;
        if (!m) break;
        if (m->head.lines)
            for (int64_t k = 0; k < *m->head.lines && !m->in.Eof(); ++k)
                merged.Line(m->in.ReadLine(kJoinLineChars));
        m->CopyToNextKey(merged);
        progress.SetPosition(++steps);
    }
    merged.Save(DataFilePath(data_file::kMergedList));
    return MergeJoinOutcome::Done;
}

}  // namespace qv
