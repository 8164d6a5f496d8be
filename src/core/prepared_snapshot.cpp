#include "core/prepared_snapshot.h"

#include <cstdio>
#include <ctime>

#include "core/card_store.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"

namespace qv {

namespace {

constexpr int kSnapshotText = 2177, kCardsWord = 2178;
constexpr int kNotPreparedText = 2352, kGridChangedText = 2353;
constexpr size_t kGridRecordBytes = 8;

struct GridRecord {
    int32_t grid = 0, additional = 0;
};

std::optional<GridRecord> ReadGridRecord() {
    const std::optional<std::string> bytes = TryReadFile(DataFilePath(data_file::kPreparedGrid));
    if (!bytes || bytes->size() < kGridRecordBytes) return std::nullopt;
    return GridRecord{GetI32(Bytes(*bytes)), GetI32(Bytes(*bytes) + 4)};
}

std::string GridRecordBytes(const GridRecord& r) {
    std::string bytes;
    AppendI32(bytes, r.grid);
    AppendI32(bytes, r.additional);
    return bytes;
}

// The fingerprint of no file: no additional variable.
int32_t NoFileFingerprint() {
    return FileFingerprint(0);
}

std::optional<int32_t> LastCardOf(int fileId) {
    const std::optional<std::string> bytes = TryReadFile(DataFilePath(fileId));
    if (!bytes || bytes->size() < 4) return std::nullopt;
    return GetI32(Bytes(*bytes));
}

}  // namespace

std::optional<PreparedSnapshot> ReadPreparedSnapshot() {
    const std::string countPath = DataFilePath(data_file::kPreparedCount);
    const std::optional<int32_t> prepared = LastCardOf(data_file::kPreparedCount);
    const std::optional<int64_t> at = FileModifiedTime(countPath);
    if (!prepared || !at) return std::nullopt;
    PreparedSnapshot s;
    s.Cards = *prepared + 1;
    s.PreparedAt = *at;
    // The preparation counts the cards the files hold; a card stored since shows in the count or
    // in the files' times.
    s.Changed = CardFiles::Current().CountCards(true).last != *prepared;
    for (int id : {data_file::kCardValues, data_file::kCardText, data_file::kLastCard})
        if (const std::optional<int64_t> t = FileModifiedTime(DataFilePath(id)); t && *t > *at)
            s.Changed = true;
    return s;
}

std::string LocalDateOf(int64_t nanoseconds) {
    const std::time_t t = std::time_t(nanoseconds / 1000000000);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[40];  // room for any int the format could print
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
    return text;
}

std::string PreparedSnapshotNotice() {
    const std::optional<PreparedSnapshot> s = ReadPreparedSnapshot();
    if (!s || !s->Changed) return {};
    return LoadText(kSnapshotText) + " " + LocalDateOf(s->PreparedAt) + " (" + std::to_string(s->Cards) +
           " " + LoadText(kCardsWord) + ")";
}

void StartWithSnapshotNotice(TextBuilder& out) {
    if (const std::string notice = PreparedSnapshotNotice(); !notice.empty()) out.Line(notice).Line();
}

PreparedGrid ComparePreparedGrid(bool withAdditional) {
    const std::optional<GridRecord> r = ReadGridRecord();
    if (!r) return PreparedGrid::Unrecorded;
    if (r->grid != 0 && r->grid != FileFingerprint(data_file::kQuickGrid)) return PreparedGrid::Changed;
    if (withAdditional && r->additional != 0 &&
        r->additional != FileFingerprint(data_file::kAdditionalVariables))
        return PreparedGrid::Changed;
    return PreparedGrid::Same;
}

std::string NewPreparedGridRecord() {
    return GridRecordBytes({FileFingerprint(data_file::kQuickGrid), NoFileFingerprint()});
}

void RecordAdditionalVariables() {
    std::optional<GridRecord> r = ReadGridRecord();
    if (!r) return;  // a matrix prepared without the record stays unchecked
    r->additional = FileFingerprint(data_file::kAdditionalVariables);
    WriteFileAtomic(DataFilePath(data_file::kPreparedGrid), GridRecordBytes(*r));
}

void RequirePreparedGrid(bool withAdditional) {
    if (!TryReadFile(DataFilePath(data_file::kPreparedCount)))
        throw IoError(kFileNotFound, std::string(), LoadText(kNotPreparedText));
    if (ComparePreparedGrid(withAdditional) == PreparedGrid::Changed)
        throw IoError(kInvalidNumber, std::string(), PreparedGridChangedText());
}

std::string PreparedGridChangedText() {
    return LoadText(kGridChangedText);
}

}  // namespace qv
