#include "core/archive_definition.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/short_string.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kMaxTextLength = kMaxCardTextBytes;
// Statistics counters of the fields start after the total at entry 8151 of each table.
constexpr int kStatisticsTotalEntry = 8151;
constexpr int kMaxStatisticsCounter = kStatisticsCounters - 1 - kStatisticsTotalEntry;
constexpr int kMaxNumericOrdinal = 999;
constexpr int kMaxLabelRecord = 32767;

// Tables 1 to 15 of the file, in file order.
const std::array<FieldTable*, 15>& WordTables() {
    static const std::array<FieldTable*, 15> tables = {
        &LayoutStyle,       &LayoutPage,           &LayoutX,          &LayoutY,
        &LayoutRight,       &FieldFirstLabel,      &FieldTypes,       &FieldTextOffsets,
        &FieldPositions,    &FieldLastLabel,       &FieldAttributes,  &FieldFirstCategory,
        &FieldLastCategory, &FieldStatisticsIndex, &FieldNumericIndex};
    return tables;
}

int16_t Saturate16(int64_t v) {
    return int16_t(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}
// Column values are kept in 16 bits, as the files have always been read.
int16_t Keep16(int32_t v) {
    return int16_t(uint16_t(uint32_t(v)));
}

// Field name: the caption with every blank turned into a zero byte, zeros after it.
void AppendNameRecord(std::string& out, std::string_view caption) {
    std::string record(kNameRecordBytes, '\0');
    for (size_t i = 0; i < caption.size() && i < kNameRecordBytes - 1; ++i)
        record[i] = caption[i] == ' ' ? '\0' : caption[i];
    out += record;
}

// Category label: trailing blanks and control characters become zero bytes; inner ones stay.
void AppendLabelRecord(std::string& out, std::string_view label) {
    std::string record(kNameRecordBytes, '\0');
    size_t end = std::min<size_t>(label.size(), kNameRecordBytes - 1);
    while (end > 0 && uint8_t(label[end - 1]) <= ' ') --end;
    std::copy_n(label.begin(), end, record.begin());
    out += record;
}

bool IsEndMark(std::string mark) {
    while (!mark.empty() && mark.back() == ' ') mark.pop_back();
    return mark == " ///";
}

// What the declaration pass produces besides the tables.
struct DeclarationResult {
    int declared = 0;
    int labels = 0;
    std::string names;
    std::string labelRecords;
    // Coded fields that got neither labels nor a valid shared list: they have no category.
    std::vector<bool> withoutList = std::vector<bool>(kMaxFields + 1, false);
};

DeclarationResult ReadDeclarations(TextReader& in) {
    DeclarationResult r;
    int nextWord = 1;
    int nextText = 1;
    in.SkipLine();

    // A new field takes the next number; beyond the tables it is dropped. Answers 0 when dropped.
    auto addField = [&](int type, int words, std::string_view caption) {
        if (r.declared == kMaxFields) return 0;
        const int f = ++r.declared;
        FieldTypes[f] = int16_t(type);
        if (words > 0) {
            FieldPositions[f] = Saturate16(nextWord);
            nextWord += words;
        }
        AppendNameRecord(r.names, caption);
        return f;
    };

    while (!in.Eof()) {
        const std::string line = in.ReadLine(65);
        const char typeChar = line.size() >= 4 ? line[3] : '\0';
        const std::string caption = line.size() > 5 ? line.substr(5) : std::string();
        if (const int answers = CodedFieldAnswers(typeChar); answers > 0) {
            const int firstAnswer = r.declared + 1;
            for (int i = 0; i < answers; ++i)
                if (const int f =
                        addField(i == 0 ? FieldType::kCoded : FieldType::kFurtherAnswer, 1, caption))
                    FieldFirstLabel[f] = Saturate16(r.labels);
            const int lastAnswer = r.declared;
            bool hasList = false;
            while (!in.Eof()) {
                const std::string category = in.ReadLine(69);
                const std::string mark = category.size() > 4 ? category.substr(4, 5) : std::string();
                const std::string label = category.size() > 9 ? category.substr(9) : std::string();
                // A label names a shared list only when all of it is an integer.
                if (const std::optional<int32_t> named = WholeInteger(label)) {
                    const int32_t shared = *named;
                    // Only an earlier field can lend its list; any other number gives no label.
                    if (shared >= 1 && shared < firstAnswer) {
                        for (int f = firstAnswer; f <= lastAnswer; ++f)
                            FieldFirstLabel[f] = FieldFirstLabel[shared];
                        hasList = true;
                    }
                } else if (!IsEndMark(mark) && firstAnswer <= lastAnswer && r.labels < kMaxLabelRecord) {
                    AppendLabelRecord(r.labelRecords, label);
                    ++r.labels;
                    hasList = true;
                }
                if (IsEndMark(mark)) break;
            }
            if (!hasList)
                for (int f = firstAnswer; f <= lastAnswer; ++f) r.withoutList[f] = true;
            continue;
        }
        switch (typeChar) {
            case 'A': {
                const int f = addField(0, 0, caption);
                const std::string lengthLine = in.Eof() ? std::string() : in.ReadLine(255);
                // Every digit from character 6: texts of 1000 characters or more have four.
                const int length = std::clamp<int32_t>(ReadColumnNumber(lengthLine, 6), 1, kMaxTextLength);
                if (f) {
                    FieldTypes[f] = int16_t(-length);
                    FieldTextOffsets[f] = Saturate16(nextText);
                    nextText += length;
                }
                break;
            }
            case 'D':
                addField(FieldType::kDate, 3, caption);
                break;
            case 'K':
                addField(FieldType::kMunicipality, 1, caption);
                break;
            case 'Q':
                addField(FieldType::kNumber, 1, caption);
                break;
            case 'O':
                addField(FieldType::kTime, 1, caption);
                break;
            case 'P':
                addField(FieldType::kPercent, 1, caption);
                break;
            case 'L':
                addField(FieldType::kNumber32, 2, caption);
                break;
            // Lines that declare no field get no name record either, so that record f - 1 of
            // "md2-sch.dat" stays the name of field f.
            default:
                break;
        }
    }
    return r;
}

void SetLastLabels(int declared, int labels, const std::vector<bool>& withoutList) {
    const int16_t sentinel = Saturate16(labels);
    if (declared + 1 <= kMaxFields) FieldFirstLabel[declared + 1] = sentinel;
    for (int f = 1; f <= declared; ++f) {
        int16_t next = sentinel;
        for (int g = 1; g <= declared; ++g) {
            if (FieldFirstLabel[g] > FieldFirstLabel[f]) {
                next = FieldFirstLabel[g];
                break;
            }
        }
        // Otherwise the scan would lend such a field the labels of the next list.
        FieldLastLabel[f] = int16_t(withoutList[f] ? FieldFirstLabel[f] - 1 : next - 1);
    }
}

// The search conditions after a rebuild. Clearing the criteria makes no territory active; a
// rebuild makes every one active, so this is not the criteria-clearing routine.
void ResetSearchConditionsAllTerritories() {
    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kTerritoryTableSize);
    const int territories = std::clamp(TerritoryCount, 0, kTerritoryTableSize);
    std::fill_n(TerritorySelection.begin(), territories, 1);
    DateConditionFrom.fill(0);
    DateConditionTo.fill(0);
    for (int f = 1; f <= kMaxFields; ++f) {
        FieldInCondition[f] = 0;
        FieldConditionSense[f] = 1;
        CategoryWanted[f] = 0;
    }
    NumericConditionLow.fill(kEmptyNumber);
    NumericConditionHigh.fill(kEmptyNumber);
}

void SetCategorySlots(int declared) {
    int next = 1;
    for (int f = 1; f <= declared; ++f) {
        if (FieldTypes[f] == FieldType::kCoded) {
            const int n = FieldCategoryCount(f);
            // Slots past the table are not given: this field and the later ones get none.
            if (next <= kMaxFields && next + n - 1 <= kMaxFields) {
                FieldFirstCategory[f] = int16_t(next);
                next += n;
                FieldLastCategory[f] = int16_t(next - 1);
            } else {
                next = kMaxFields + 1;
            }
        } else if (FieldTypes[f] == FieldType::kFurtherAnswer && f > 1) {
            FieldFirstCategory[f] = FieldFirstCategory[f - 1];
            FieldLastCategory[f] = FieldLastCategory[f - 1];
        }
    }
}

void SetStatisticsCounters(int declared) {
    int next = 1;
    for (int f = 1; f <= declared; ++f) {
        int size = -1;
        switch (FieldTypes[f]) {
            case FieldType::kCoded:
                size = FieldCategoryCount(f);
                break;
            case FieldType::kFurtherAnswer:
                if (f > 1) FieldStatisticsIndex[f] = FieldStatisticsIndex[f - 1];
                break;
            case FieldType::kDate:
                size = kDateCounters;
                break;
            case FieldType::kPercent:
                size = kPercentCounters;
                break;
            default:
                break;
        }
        if (size < 0) continue;
        // Counters past the tables are not given: this field and the later ones get none.
        if (next <= kMaxStatisticsCounter && next + size - 1 <= kMaxStatisticsCounter) {
            FieldStatisticsIndex[f] = int16_t(next);
            next += size;
        } else {
            next = kMaxStatisticsCounter + 1;
        }
    }
}

void SetNumericOrdinals(int declared) {
    int k = 0;
    for (int f = 1; f <= declared; ++f)
        if (TypeOfField(f).IsNumeric() && k < kMaxNumericOrdinal) FieldNumericIndex[f] = int16_t(++k);
}

void ReadPlacement(TextReader& in) {
    int page = 1;
    int placed = 0;
    CoreState.FieldCount = 0;
    while (!in.Eof()) {
        const std::string line = in.ReadLine(50);
        if (!line.empty() && line[0] == '#') {
            ++page;
            continue;
        }
        if (placed == kMaxFields) continue;
        const int k = ++placed;
        const int32_t style = ReadColumnNumber(line, 1, 4);
        LayoutPage[k] = Saturate16(page);
        LayoutStyle[k] = int16_t(style < 1 || style > 9 ? 1 : style);
        LayoutX[k] = Keep16(ReadColumnNumber(line, 5, 8));
        LayoutY[k] = Keep16(ReadColumnNumber(line, 9, 12));
        LayoutRight[k] = Keep16(ReadColumnNumber(line, 13, 16));
        ++CoreState.FieldCount;
    }
}

void PutTable(std::string& file, int table, const auto& entries) {
    uint8_t* base = reinterpret_cast<uint8_t*>(file.data()) + size_t(table - 1) * kDefinitionTableBytes;
    const auto* entry = entries.data();
    for (int f = 1; f <= kMaxFields; ++f) PutI16(base + 2 * (f - 1), int16_t(entry[f]));
}

void WriteDefinitionFile() {
    const std::string path = DataFilePath(data_file::kDefinition);
    std::string file;
    // A definition file that fails to open for a moment must not cost the field marks.
    if (auto existing = TryReadFile(path)) {
        file = std::move(*existing);
        file.resize(std::max<size_t>(file.size(), size_t(kDefinitionTables) * kDefinitionTableBytes), '\0');
    } else {
        FieldAttributes.fill(0);
        file.assign(size_t(kDefinitionFileTables) * kDefinitionTableBytes, '\0');
    }
    const auto& tables = WordTables();
    for (int t = 1; t <= 15; ++t)
        if (t != kAttributesTable) PutTable(file, t, *tables[t - 1]);
    PutTable(file, 16, FieldInCondition);
    PutTable(file, 17, FieldConditionSense);
    WriteFileAtomic(path, file);
}

}  // namespace

int CodedFieldAnswers(char c) {
    if (c >= '1' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c == '{') return 36;
    return 0;
}

int32_t ReadColumnNumber(std::string_view line, int first, int last) {
    if (first < 1 || size_t(first) > line.size()) return 0;
    const size_t width = last <= 0 ? std::string_view::npos : size_t(std::max(0, last - first + 1));
    return LeadingInteger(line.substr(size_t(first) - 1), width);
}

std::string DecodeNameRecord(const uint8_t* record) {
    return DecodeZeroPadded(record, kNameRecordChars);
}

namespace {
// One open and one read: on a shared folder each is a round trip.
std::vector<std::string> ReadNameRun(const RecordFile& file, int64_t first, int64_t count, bool whole) {
    count = std::max<int64_t>(count, 0);
    std::string bytes(size_t(count) * kNameRecordBytes, '\0');
    int64_t read = count;
    if (whole)
        file.Read(first, bytes.data(), count);
    else
        read = file.ReadUpTo(first, bytes.data(), count);
    std::vector<std::string> texts;
    texts.reserve(size_t(read));
    for (int64_t i = 0; i < read; ++i) texts.push_back(DecodeNameRecord(Bytes(bytes) + i * kNameRecordBytes));
    return texts;
}
}  // namespace

std::vector<std::string> ReadNameRecords(const std::string& path, int64_t first, int count) {
    return ReadNameRun(RecordFile(path, kNameRecordBytes, RecordFile::Mode::Read), first, count, true);
}

std::vector<std::string> ReadNameRecordsUpTo(const std::string& path, int64_t first, int count) {
    return ReadNameRun(RecordFile(path, kNameRecordBytes, RecordFile::Mode::Read), first, count, false);
}

std::vector<std::string> ReadAllNameRecords(const std::string& path) {
    const RecordFile file(path, kNameRecordBytes, RecordFile::Mode::Read);
    return ReadNameRun(file, 0, file.RecordCount(), true);
}

void LoadArchiveDefinition() {
    const std::string path = DataFilePath(data_file::kDefinition);
    const std::string file = ReadFileOrThrow(path);
    // Read whole before any table changes, so a short file leaves the tables as they were.
    if (file.size() < size_t(kDefinitionTables) * kDefinitionTableBytes) ThrowIo(kReadPastEnd, path);
    // Table by table through plain pointers: every opening decodes 68,000 words here.
    auto row = [&](int table) { return Bytes(file) + size_t(table - 1) * kDefinitionTableBytes; };
    const auto& tables = WordTables();
    for (int t = 1; t <= 15; ++t) {
        const uint8_t* from = row(t);
        int16_t* to = tables[t - 1]->data();
        for (int f = 1; f <= kMaxFields; ++f) to[f] = GetI16(from + 2 * (f - 1));
    }
    const uint8_t *inCondition = row(16), *sense = row(17);
    int placed = 0;
    for (int f = 1; f <= kMaxFields; ++f) {
        FieldInCondition[f] = GetI16(inCondition + 2 * (f - 1)) > 0 ? 1 : 0;
        FieldConditionSense[f] = GetI16(sense + 2 * (f - 1)) > 0 ? 1 : 0;
        if (LayoutPage[f] > 0) ++placed;
    }
    CoreState.FieldCount = placed;
}

void BuildArchiveDefinition() {
    // Both inputs are required; they are read before anything changes.
    TextReader declarations;
    declarations.OpenOrThrow(DataFilePath(data_file::kDeclaration));
    TextReader placement;
    placement.OpenOrThrow(DataFilePath(data_file::kLayoutPlacement));

    // Every derived table is cleared for all fields, so a rebuild with fewer fields leaves no
    // stale entries behind. The marks (FieldAttributes) are not derived and stay.
    for (FieldTable* t : {&FieldFirstLabel, &FieldTypes, &FieldTextOffsets, &FieldPositions, &FieldLastLabel,
                          &LayoutPage, &LayoutX, &LayoutY, &LayoutRight, &LayoutStyle, &FieldFirstCategory,
                          &FieldLastCategory, &FieldStatisticsIndex, &FieldNumericIndex})
        t->fill(0);

    const DeclarationResult r = ReadDeclarations(declarations);
    SetLastLabels(r.declared, r.labels, r.withoutList);
    ResetSearchConditionsAllTerritories();
    SetCategorySlots(r.declared);
    SetStatisticsCounters(r.declared);
    SetNumericOrdinals(r.declared);
    ReadPlacement(placement);

    WriteFileAtomic(DataFilePath(data_file::kFieldName), r.names);
    WriteFileAtomic(DataFilePath(data_file::kLabel), r.labelRecords);
    WriteDefinitionFile();
}

void ConvertInfoFile() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kLayoutText));
    std::string items;
    std::string styles;
    int page = 0;
    while (!in.Eof()) {
        const std::string head = in.ReadChars(36);
        if (!head.empty() && head[0] == '#') {
            ++page;
            in.SkipLine();
            continue;
        }
        if (page == 0) {
            for (int i = 0; i < 9; ++i)
                AppendI16(styles, Keep16(ReadColumnNumber(head, 4 * i + 1, 4 * i + 4)));
            in.SkipLine();
            continue;
        }
        const std::string text = in.ReadLine(200);
        uint8_t record[kLayoutItemBytes] = {};
        PutI16(record + 0, Saturate16(page));
        PutI16(record + 2, Keep16(ReadColumnNumber(head, 1, 4)));
        PutI16(record + 4, Keep16(ReadColumnNumber(head, 5, 8)));
        PutI16(record + 6, Keep16(ReadColumnNumber(head, 9, 12)));
        PutI16(record + 8, Keep16(ReadColumnNumber(head, 13, 16)));
        EncodeShortString(text, 200, record + 10);
        items.append(reinterpret_cast<const char*>(record), kLayoutItemBytes);
    }
    WriteFileAtomic(DataFilePath(data_file::kLayoutItem), items);
    WriteFileAtomic(DataFilePath(data_file::kStyle), styles);
}

}  // namespace qv
