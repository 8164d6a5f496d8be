#include "territory/territorial_list.h"

#include <algorithm>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/order_index.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/short_string.h"
#include "platform/text_file.h"
#include "territory/territorial_base.h"

namespace qv {

namespace {

constexpr int kMaxCodes = 10000;

std::string Trimmed(std::string_view s) {
    size_t from = 0, to = s.size();
    while (from < to && s[from] == ' ') ++from;
    while (to > from && s[to - 1] == ' ') --to;
    return std::string(s.substr(from, to - from));
}

// A whole number with an optional sign between blanks; 0 for anything else.
int32_t ParseNumber(std::string_view s) {
    return WholeInteger(Trimmed(s)).value_or(0);
}

}  // namespace

TerritorialLink ReadTerritorialLink(int field) {
    TerritorialLink link;
    TextReader reader;
    if (!reader.Open(DataFilePath(data_file::kTerritorialLink))) return link;
    while (!reader.Eof()) {
        // The whole line: a directory path is never cut.
        const std::string line = reader.ReadLine(std::string::npos);
        const size_t first = line.find(',');
        if (first == std::string::npos) continue;
        const size_t second = line.find(',', first + 1);
        if (second == std::string::npos) continue;
        if (ParseNumber(std::string_view(line).substr(0, first)) != field) continue;
        link.Found = true;
        link.CommuneField = ParseNumber(std::string_view(line).substr(first + 1, second - first - 1));
        link.Dir = StoredDir(Trimmed(std::string_view(line).substr(second + 1)));
    }
    return link;
}

std::vector<std::string> ReadLinkedCategories() {
    std::vector<std::string> names;
    TextReader reader;
    if (!reader.Open(DataFilePath(data_file::kLinkedCategories))) return names;
    reader.SkipLine();
    reader.SkipLine();
    while (!reader.Eof()) {
        const std::string line = reader.ReadLine(109);
        if (LastNonBlank(line.substr(0, 9)) == "     ///") break;
        names.push_back(LastNonBlank(line.size() > 9 ? line.substr(9) : std::string()));
    }
    return names;
}

int32_t CardTerritoryCode(int field) {
    if (field < 1 || field > kMaxFields) return 0;
    const int p = FieldPositions[size_t(field)];
    if (p < 1 || p > std::min(CoreState.CardWordCount, kMaxCardWords)) return 0;
    return int16_t(CurrentCardValues[size_t(p)]);
}

std::string UpperCp1252(std::string text) {
    for (char& c : text) {
        const auto b = uint8_t(c);
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
            c = char(b - 0x20);
        else if (b == 0x9A || b == 0x9C || b == 0x9E)
            c = char(b - 0x10);
        else if (b == 0xFF)
            c = char(0x9F);
    }
    return text;
}

void WriteTerritorialList(const std::string& linkedDir, const std::vector<uint8_t>& wanted,
                          const std::string& search) {
    TextBuilder out;
    if (linkedDir.empty()) {
        out.Save(DataFilePath(data_file::kReport));
        return;
    }
    CoreState.OtherArchiveDir = linkedDir;
    const std::string needle = UpperCp1252(search.substr(0, kMaxSearch));

    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kMaxCodes);
    const int codes = std::clamp(TerritoryCount, 0, kMaxCodes);
    const std::string firstLastPath = DataFilePath(data_file::kLinkedFirstLast);
    const std::string firstLast = ReadFileOrThrow(firstLastPath);
    if (firstLast.size() < size_t(codes) * 8) ThrowIo(kReadPastEnd, firstLastPath);
    const auto* bounds = reinterpret_cast<const uint8_t*>(firstLast.data());

    const std::string positionsPath = DataFilePath(data_file::kLinkedPositions);
    const std::string positions = ReadFileOrThrow(positionsPath);
    const int64_t entries = int64_t(positions.size() / 12);
    const auto* triples = reinterpret_cast<const uint8_t*>(positions.data());
    RecordFile lines(DataFilePath(data_file::kLinkedLines), kListLineRecordBytes, RecordFile::Mode::Read);

    const int selectable = std::min(codes, kTerritoryTableSize);
    for (int code = 1; code <= selectable; ++code) {
        if (!TerritorySelection[size_t(code - 1)]) continue;
        const int32_t first = GetI32(bounds + 4 * size_t(code - 1));
        const int32_t last = GetI32(bounds + 4 * size_t(codes + code - 1));
        // The order marks a code without cards, and one whose first card stands at position 0,
        // both with 0: the entries' own codes tell them apart.
        if (first < 0 || last < first) continue;
        if (first == 0 && (entries == 0 || GetI32(triples) != code)) continue;
        if (last >= entries) ThrowIo(kReadPastEnd, positionsPath);
        for (int64_t p = first; p <= last; ++p) {
            const uint8_t* entry = triples + 12 * p;
            if (GetI32(entry) != code) continue;
            const int32_t category = GetI32(entry + 4);
            if (category < 1 || size_t(category) > wanted.size() || !wanted[size_t(category - 1)]) continue;
            // Record p holds the list line of position p, as the territorial order writes it.
            uint8_t record[kListLineRecordBytes];
            lines.Read(p, record);
            const std::string line = DecodeZeroPadded(record, kListLineRecordBytes - 1);
            if (!needle.empty() && UpperCp1252(line).find(needle) == std::string::npos) continue;
            out.Line(line);
        }
    }
    out.Save(DataFilePath(data_file::kReport));
}

}  // namespace qv
