#include "elaborations/count_table.h"

#include <optional>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"

namespace qv {

namespace {
constexpr size_t kRecordBytes = kCountTableFields * 4;
}  // namespace

std::vector<int32_t> FlaggedColumnLines(int gridLines) {
    std::vector<int32_t> columns;
    for (int line = 0; line < gridLines && int(columns.size()) < kMaxCountedColumns; ++line)
        if (StandardColumnFlags[size_t(line)]) columns.push_back(line + 1);
    return columns;
}

std::vector<int32_t> CountedColumns(int gridLines) {
    std::vector<int32_t> columns = FlaggedColumnLines(gridLines);
    if (columns.empty() && gridLines >= 1) columns.push_back(1);
    return columns;
}

int32_t GridFingerprint() {
    return FileFingerprint(data_file::kGrid);
}

int32_t QuantGridFingerprint() {
    return FileFingerprint(data_file::kQuantGrid);
}

CountTable ReadCountTable(int gridLines) {
    CountTable table;
    const std::optional<std::string> bytes = TryReadFile(DataFilePath(data_file::kCountTable));
    if (!bytes) return table;
    table.State = CountTableState::Stale;
    const size_t records = size_t(gridLines) + 2;
    if (bytes->size() != records * kRecordBytes) return table;
    const int32_t fingerprint = GetI32(Bytes(*bytes));
    if (fingerprint != 0 && fingerprint != GridFingerprint()) return table;
    const std::vector<int32_t> columns = CountedColumns(gridLines);
    const uint8_t* names = Bytes(*bytes) + (records - 1) * kRecordBytes;
    for (int k = 1; k <= kMaxCountedColumns; ++k) {
        const int32_t expected = size_t(k) <= columns.size() ? columns[size_t(k) - 1] : 0;
        if (GetI32(names + size_t(k) * 4) != expected) return table;
    }
    // Written with the rows and the unit it counted: nothing prints for a row left out or as
    // counts of another unit.
    const int32_t unit = GetI32(names + kCountedUnitField * 4);
    if (unit != 0) {
        if (unit != CountedUnitMark(CoreState.CountByQuantUnit != 0, CoreState.QuantUnitVar)) {
            table.State = CountTableState::Uncounted;
            return table;
        }
        for (size_t line = 0; line < size_t(gridLines); ++line)
            if (StandardRowFlags[line] && GetI32(Bytes(*bytes) + (line + 1) * kRecordBytes) != 1) {
                table.State = CountTableState::Uncounted;
                return table;
            }
    }
    table.Records.resize(records);
    for (size_t r = 0; r < records; ++r)
        for (size_t f = 0; f < size_t(kCountTableFields); ++f)
            table.Records[r][f] = GetI32(Bytes(*bytes) + r * kRecordBytes + f * 4);
    table.ColumnLines.assign(columns.begin(), columns.end());
    table.State = CountTableState::Ready;
    return table;
}

}  // namespace qv
