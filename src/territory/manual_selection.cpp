#include "territory/manual_selection.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "core/comune_names.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/short_string.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kMaxCentroidPairs = 10000;
constexpr int kNotPlaced = -30000;

int CodeLimit() {
    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kTerritoryTableSize);
    return std::clamp(TerritoryCount, 0, kTerritoryTableSize);
}

bool ValidStart(int32_t start) {
    return start >= 1 && start <= CodeLimit();
}

}  // namespace

ProvinceTable ReadProvinceTable() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kProvinceStarts));
    ProvinceTable table;
    ProvinceStartTable.fill(0);
    while (!in.Eof() && int(table.names.size()) < kMaxProvinceLines) {
        const std::string line = in.ReadLine(255);
        ProvinceStartTable[table.names.size()] = LeadingInteger(line, 4);
        table.names.push_back(line.size() > 5 ? line.substr(5, 200) : std::string());
    }
    ProvinceStartTable[table.names.size()] = CodeLimit() + 1;
    for (int p = 0; p < int(table.names.size()); ++p) {
        if (!ValidStart(ProvinceStartTable[size_t(p)])) continue;
        if (table.firstValid < 0) table.firstValid = p;
        table.listed.push_back(p);
    }
    MarkProvinces(table);
    return table;
}

CodeRange ProvinceCodes(int line) {
    if (line < 0 || line + 1 >= kProvinceSlots) return {};
    const int first = ProvinceStartTable[size_t(line)];
    // The line runs up to the next valid start; a line with a damaged start is passed over.
    int next = CodeLimit() + 1;
    for (int q = line + 1; q < kProvinceSlots; ++q) {
        const int start = ProvinceStartTable[size_t(q)];
        if (start >= 1 && start <= CodeLimit() + 1) {
            next = start;
            break;
        }
    }
    return {first, std::min(next - 1, CodeLimit())};
}

int ProvinceContaining(const ProvinceTable& table, int code) {
    for (int p : table.listed) {
        const CodeRange r = ProvinceCodes(p);
        if (code >= r.first && code <= r.last) return p;
    }
    return -1;
}

void MarkProvinces(const ProvinceTable& table) {
    ProvinceMarks.fill(0);
    for (int p : table.listed)
        if (CountSelectedCodes(ProvinceCodes(p)) > 0) ProvinceMarks[size_t(p)] = 1;
}

std::vector<std::string> ProvinceListItems(const ProvinceTable& table) {
    std::vector<std::string> items;
    for (int p : table.listed)
        items.push_back((ProvinceMarks[size_t(p)] ? "-> " : "-  ") + table.names[size_t(p)]);
    return items;
}

int ListPosition(const ProvinceTable& table, int line) {
    const auto it = std::find(table.listed.begin(), table.listed.end(), line);
    return it == table.listed.end() ? -1 : int(it - table.listed.begin());
}

int ShownProvince(const ProvinceTable& table) {
    if (table.listed.empty()) return -1;
    const int line = table.firstValid + CoreState.ProvinceIndex;
    return ListPosition(table, line) >= 0 ? line : table.listed.front();
}

std::vector<std::string> ComuneNames(CodeRange range) {
    if (range.first > range.last) return {};
    return ReadComuneNames(range.first, range.last - range.first + 1);
}

ComuneSearchList ReadComuneSearchList() {
    ComuneSearchList list;
    if (auto lines = TextReader::ReadLines(DataFilePath(data_file::kSearchNames))) {
        list.names = std::move(*lines);
        for (int i = 0; i < int(list.names.size()); ++i) list.records.push_back(i);
        return list;
    }
    const std::string index = ReadFileOrThrow(DataFilePath(data_file::kAlphaIndex));
    const std::vector<std::string> names = ReadAllComuneNames();
    const size_t nameCount = names.size();
    for (size_t r = 0; r + 2 <= index.size(); r += 2) {
        const int code = GetI16(Bytes(index) + r);
        if (code < 1 || size_t(code) > nameCount || code > CodeLimit()) continue;
        std::string name = names[size_t(code - 1)];
        if (name.find_first_not_of(' ') == std::string::npos) continue;
        list.names.push_back(std::move(name));
        list.records.push_back(int(r / 2));
    }
    return list;
}

int AlphabeticalCode(int record) {
    RecordFile file(DataFilePath(data_file::kAlphaIndex), 2, RecordFile::Mode::Read);
    uint8_t b[2];
    file.Read(record, b);
    return GetI16(b);
}

void SetTerritoryCodes(CodeRange range, bool on) {
    const int first = std::max(range.first, 1);
    const int last = std::min(range.last, CodeLimit());
    for (int c = first; c <= last; ++c) TerritorySelection[size_t(c - 1)] = on ? 1 : 0;
}

int CountSelectedCodes(CodeRange range) {
    const int first = std::max(range.first, 1);
    const int last = std::min(range.last, CodeLimit());
    int n = 0;
    for (int c = first; c <= last; ++c) n += TerritorySelection[size_t(c - 1)] ? 1 : 0;
    return n;
}

void ApplyKmRadius(int chosenCode, int radius) {
    const int limit = CodeLimit();
    if (chosenCode < 1 || chosenCode > limit) return;
    // Only the program directory's positions are in kilometres: the ones the map window keeps in
    // the territorial base are pixels of its picture, so without the former nothing is measured.
    const std::string bytes = ReadFileOrThrow(DataFilePath(data_file::kCentroid));
    const int pairs = int(std::min<size_t>(bytes.size() / 4, kMaxCentroidPairs));
    auto x = [&](int code) { return int(GetI16(Bytes(bytes) + 4 * size_t(code - 1))); };
    auto y = [&](int code) { return int(GetI16(Bytes(bytes) + 4 * size_t(code - 1) + 2)); };

    SetTerritoryCodes({1, limit}, false);
    if (radius >= 0) TerritorySelection[size_t(chosenCode - 1)] = 1;
    if (chosenCode > pairs || x(chosenCode) == kNotPlaced) return;
    const int x0 = x(chosenCode);
    const int y0 = y(chosenCode);
    for (int j = 1; j <= std::min(limit, pairs); ++j) {
        if (x(j) == kNotPlaced) continue;
        if (std::abs(x0 - x(j)) + std::abs(2 * y0 - 2 * y(j)) <= radius)
            TerritorySelection[size_t(j - 1)] = 1;
    }
}

}  // namespace qv
