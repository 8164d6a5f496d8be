#include "territory/territorial_base.h"

#include <algorithm>
#include <cstring>

#include "core/comune_names.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/short_string.h"
#include "platform/text_file.h"
#include "territory/map_tables.h"

namespace qv {

namespace {

constexpr int kMatrixRecordSize = 200;
constexpr int kMatrixValuesPerRecord = 50;
constexpr int kUnitOffset = 333;
constexpr int kMaxSigle = 1000;

bool AboveBlank(const std::string& line) {
    return !line.empty() && uint8_t(line[0]) > ' ';
}

// Characters `from`..`from + count - 1` (1-based) of a line, fewer when it is shorter.
std::string Columns(const std::string& line, size_t from, size_t count) {
    return from - 1 < line.size() ? line.substr(from - 1, count) : std::string();
}

}  // namespace

std::vector<int32_t> ReadTerritorialVariable(int variable) {
    const int records = std::max(0, MapState.VariableLength / kMatrixValuesPerRecord);
    std::vector<int32_t> values(size_t(records) * kMatrixValuesPerRecord);
    const RecordFile file(DataFilePath(data_file::kTerritorialMatrix), kMatrixRecordSize,
                          RecordFile::Mode::Read);
    if (records == 0) return values;
    std::vector<uint8_t> bytes(size_t(records) * kMatrixRecordSize);
    file.Read(int64_t(variable) * records, bytes.data(), records);
    for (size_t i = 0; i < values.size(); ++i) values[i] = GetI32(bytes.data() + 4 * i);
    return values;
}

void LoadTerritorialVariable(TerritorialReading reading) {
    if (reading == TerritorialReading::Aggregation) {
        std::fill(MapValueIndex.begin(), MapValueIndex.end(), 0);
        const std::vector<int32_t> values =
            ReadTerritorialVariable(std::max(0, MapState.AggregationVariable));
        // Comuni beyond the variable's run have no unit rather than the next variable's values.
        const int count = std::min<int>(MapValueCount(), int(values.size()));
        for (int k = 1; k <= count; ++k) {
            const int64_t unit = values[size_t(k - 1)] > 0 ? int64_t(values[size_t(k - 1)]) - kUnitOffset : 0;
            MapValueIndex[size_t(k)] = unit >= 0 && unit <= kMaxMapComune ? int32_t(unit) : 0;
        }
        return;
    }
    if (MapState.BorderVariable <= 0) return;
    const std::vector<int32_t> values = ReadTerritorialVariable(MapState.BorderVariable - 1);
    const int count = std::min<int>(kMaxMapComune, int(values.size()));
    for (int k = 1; k <= count; ++k) MapBorderValues[size_t(k)] = uint16_t(values[size_t(k - 1)] & 0xFFFF);
}

std::vector<int32_t> ReadComuneTranslation() {
    std::vector<int32_t> table(kMapTableSize, -1);
    table[0] = 0;
    RecordFile file(DataFilePath(data_file::kTranslation), 2, RecordFile::Mode::Read);
    const int64_t count = std::min<int64_t>(file.RecordCount(), kMaxMapComune);
    std::vector<uint8_t> bytes(size_t(count) * 2);
    file.Read(0, bytes.data(), count);
    for (int64_t j = 1; j <= count; ++j) table[size_t(j)] = GetI16(bytes.data() + 2 * (j - 1));
    return table;
}

std::vector<SiglaEntry> LoadSigle() {
    TextReader list;
    const std::string listPath = DataFilePath(data_file::kSigleList);
    list.OpenOrThrow(listPath);
    std::string line;
    for (int i = 0; i <= std::max(0, MapState.SigleSet); ++i) {
        if (list.Eof()) ThrowIo(100, listPath);
        line = list.ReadLine(50);
    }
    const size_t semicolon = line.find(';');
    // A file name from a Windows-1252 list, made a file-system name.
    const std::string name =
        PathFromStored(semicolon == std::string::npos ? line : line.substr(semicolon + 1, 50));
    // The set's path is built through the other archive's name; that name is put back, since
    // linked archives still need it after the map.
    const std::string saved = CoreState.OtherArchiveDir;
    CoreState.OtherArchiveDir = name;
    const std::string setPath = DataFilePath(data_file::kSigleSet);
    CoreState.OtherArchiveDir = saved;

    TextReader set;
    set.OpenOrThrow(setPath);
    std::vector<SiglaEntry> sigle;
    while (!set.Eof() && int(sigle.size()) < kMaxSigle) {
        const std::string entry = set.ReadLine(35);
        SiglaEntry sigla;
        // A code that is not a number reads as 0, which ends the set.
        sigla.Comune = PaddedDigits(Columns(entry, 1, 4), 4).value_or(0) - MapState.ComuneNumberOffset;
        sigla.Text = LastNonBlank(Columns(entry, 6, 30));
        sigle.push_back(std::move(sigla));
    }
    return sigle;
}

void BuildUnitNames() {
    TextReader names;
    names.OpenOrThrow(DataFilePath(data_file::kUnitNames));
    names.SkipLine();
    names.SkipLine();
    int headers = 0;
    while (headers < MapState.AggregationVariable && !names.Eof())
        if (AboveBlank(names.ReadLine(6))) ++headers;
    std::string records;
    while (!names.Eof()) {
        const std::string line = names.ReadLine(6 + kUnitNameWidth);
        std::string name = Columns(line, 7, kUnitNameWidth);
        name.resize(kUnitNameWidth, ' ');
        std::string record(kUnitRecordSize, '\0');
        std::memcpy(record.data(), name.data(), name.size());
        records += record;
        // The next variable's header ends the list; it is written as its last record.
        if (AboveBlank(line)) break;
    }
    WriteFileAtomic(DataFilePath(data_file::kListStaging), records);
}

void OpenMapComuneNames(RecordFile& file) {
    file.Open(DataFilePath(data_file::kMapNames), kComuneRecordBytes, RecordFile::Mode::Read);
}

std::string ReadMapComuneName(const RecordFile& file, int record) {
    uint8_t bytes[kComuneRecordBytes];
    file.Read(record, bytes);
    return LastNonBlank(DecodeComuneName(bytes));
}

std::string LastNonBlank(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && uint8_t(text[end - 1]) <= ' ') --end;
    return text.substr(0, end);
}

}  // namespace qv
