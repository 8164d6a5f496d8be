#include "selection/merged_list.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
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

constexpr int kWorkingMaskId = 97;
constexpr int kListFileId = 99;
constexpr int kCounterFileId = 116;
constexpr int kMergedListId = 123;
constexpr int kArchiveBaseId = 129;
constexpr int32_t kKeyBlock = 8192;
constexpr size_t kFirstLineChars = 100;
constexpr size_t kJoinLineChars = 255;

bool Grouping() {
    return CoreState.ListGroupField1 != 0 || CoreState.ListGroupField2 != 0;
}

void WriteCounter(int value) {
    std::string bytes;
    AppendI16(bytes, int16_t(value));
    WriteFileAtomic(DataFilePath(kCounterFileId), bytes);
}

int ReadCounterOrThrow() {
    const std::string path = DataFilePath(kCounterFileId);
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

// The groups of the list engine in ascending key order, each card preceded by its key line;
// no heading, no group separator, no row records.
void WritePassCards(ListOutputFile& out, PrintMask& mask, const GroupKeys& groups,
                    const std::vector<int32_t>* order, Progress& progress) {
    const int32_t count = order ? int32_t(order->size()) : CoreState.LastCard + 1;
    int written = 0;
    int64_t current = groups.smallest;
    do {
        int64_t next = kNoFurtherGroup;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t c = order ? (*order)[size_t(i)] : i;
            if (c < 0 || c >= int32_t(groups.keys.size())) continue;
            if (order) CoreState.CurrentCard = c;
            if (!IsCardSelected(c)) continue;
            if (!order) CoreState.CurrentCard = c;
            const int64_t k = groups.keys[size_t(c)];
            if (k > current && k < next) next = k;
            if (!order) progress.SetPosition(c);
            if (k != current) continue;
            // A mask whose output does not end its last line would glue the key line to the
            // card's text, and the join would lose the key and mix two cards.
            if (!EndsLine(out.Text())) out.WriteLine();
            out.Write('*');
            out.Write(std::to_string(k));
            out.WriteLine();
            mask.FillPrintMask(out, nullptr);
            if (order) progress.SetPosition(++written);
        }
        current = next;
    } while (current != kNoFurtherGroup);
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
    WriteFileAtomic(DataFilePath(alphabetical ? kListFileId : kArchiveBaseId), "");
    ListOutputFile out;
    out.Bind(MergeIntermediatePath(SwitchToIntermediateFile()));
    out.Create();
    const GroupKeys groups = BuildGroupKeys();
    // Here the working mask must exist.
    RecordFile(DataFilePath(kWorkingMaskId), 1, RecordFile::Mode::Read).Close();
    PrintMask mask;
    mask.Load();
    WritePassCards(out, mask, groups, order ? &*order : nullptr, progress);
    mask.Release();
    out.Close();
    WriteFileAtomic(DataFilePath(kListFileId), "");
    return MergePassOutcome::Done;
}

// The number written after the key line's "*": an optional sign and digits, anything else 0.
int64_t KeyOf(const std::string& line) {
    size_t i = 1;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    int64_t value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        if (value > (INT64_MAX - 9) / 10) break;
        value = value * 10 + (line[i] - '0');
    }
    return negative ? -value : value;
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
    if (!file.TryOpen(DataFilePath(kCounterFileId), 2, RecordFile::Mode::Read)) return 0;
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
        int64_t key = 0;
        bool exhausted = false;
    };
    std::vector<Source> sources(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        Source& s = sources[size_t(i)];
        s.in.OpenOrThrow(MergeIntermediatePath(i + 1));
        s.key = KeyOf(s.in.ReadLine(kFirstLineChars));
    }

    TextBuilder merged;
    int steps = 0;
    for (;;) {
        // The smallest key; the lowest-numbered file on equal keys. Exhaustion is kept apart
        // from the key, so that a card whose key is the end value is still copied.
        Source* m = nullptr;
        for (Source& s : sources)
            if (!s.exhausted && (!m || s.key < m->key)) m = &s;
        if (!m) break;
        for (;;) {
            const std::string line = m->in.ReadLine(kJoinLineChars);
            if (!line.empty() && line[0] == '*') {
                m->key = KeyOf(line);
                break;
            }
            merged.Line(line);
            if (m->in.Eof()) {
                m->exhausted = true;
                break;
            }
        }
        progress.SetPosition(++steps);
    }
    merged.Save(DataFilePath(kMergedListId));
    return MergeJoinOutcome::Done;
}

}  // namespace qv
