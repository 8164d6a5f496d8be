#include "quick/preparation.h"

#include <algorithm>
#include <cstdio>

#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "core/prepared_snapshot.h"
#include "core/selected_cards.h"
#include "elaborations/card_classifier.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kBlockBytes = 4 << 20;       // card words read at a time
constexpr int64_t kBatchBytes = 32 << 20;  // matrix bytes held between writes
constexpr int64_t kClassifiedCards = 512;  // classified together: their words stay at hand
constexpr int kLinkValueColumn = 37, kLinkValueWidth = 50;
constexpr int kLinkLines = 8;

// Puts the bar back to 0 when a pass over the cards ends, however it ends.
struct BarBackToZero {
    Progress& progress;
    ~BarBackToZero() { progress.SetPosition(0); }
};

// Calls visit(first, count, words) for cards 0..last of the open archive in order, a block at
// a time (card first+k's word 1 at words[k * wordCount]), read from "num-sch.dat"; cards past the
// end of the file read empty.
template <typename Visit>
void ForEachBlock(int32_t last, Progress& progress, Visit&& visit) {
    CardProgress moved(progress, last);
    BarBackToZero reset{progress};
    ForEachCardBlock(last, [&](int32_t first, int32_t count, int32_t, const uint16_t* block) {
        for (int64_t card = first; card < first + count; ++card) moved.At(card);
        visit(first, count, block);
    });
}

// The same a card at a time: visit(card, words), word 1 at words[0].
template <typename Visit>
void ForEachCard(int32_t last, Progress& progress, Visit&& visit) {
    const size_t words = size_t(std::max(CurrentCardGeometry().wordCount, 1));
    ForEachBlock(last, progress, [&](int32_t first, int32_t count, const uint16_t* block) {
        for (int32_t k = 0; k < count; ++k) visit(int64_t(first) + k, block + size_t(k) * words);
    });
}

// Whole records of `valueBytes`-byte values: the last one is filled with zeros.
void PadToRecords(std::string& bytes, int valueBytes) {
    const size_t record = size_t(kPreparedValuesPerRecord) * size_t(valueBytes);
    if (bytes.size() % record) bytes.append(record - bytes.size() % record, '\0');
}

std::string Trimmed(std::string_view s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

// "first-last", byte positions (1-based) inside a text record.
struct TextRange {
    int32_t first = 0, last = 0;
};
TextRange ParseRange(const std::string& value) {
    TextRange r;
    const size_t dash = value.find('-');
    r.first = ReadColumnNumber(value.substr(0, dash), 1);
    if (dash != std::string::npos) r.last = ReadColumnNumber(value.substr(dash + 1), 1);
    return r;
}

// The characters of a range, up to the first zero byte.
void AppendRange(std::string& out, const uint8_t* record, int32_t recordBytes, TextRange r) {
    const int32_t first = std::max(r.first, 1), last = std::min(r.last, recordBytes);
    for (int32_t p = first; p <= last && record[p - 1] != 0; ++p) out.push_back(char(record[p - 1]));
}

// The directory of a linked archive: a sibling of the open archive's directory. The name comes
// from the link definitions, a Windows-1252 text.
std::string SiblingDirectory(const std::string& name) {
    std::string dir = CoreState.ArchiveDir;
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    const size_t slash = dir.find_last_of('/');
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    std::string sibling = PathFromStored(Trimmed(name));
    std::replace(sibling.begin(), sibling.end(), '\\', '/');
    while (!sibling.empty() && sibling.front() == '/') sibling.erase(sibling.begin());
    while (!sibling.empty() && sibling.back() == '/') sibling.pop_back();
    return dir + sibling + "/";
}

// The last card to prepare: the index must be there, but the cards are those the files hold, so
// an index that disagrees with them (a damaged one, read-only) lays out nothing of its own.
int32_t LastHeldCard(const CardFiles& files) {
    if (!FileIsThere(files.IndexPath())) ThrowIo(kFileNotFound, files.IndexPath());
    return files.CountCards(true).last;
}

void BuildLinkKeys(const std::string& path, int32_t position, Progress& progress) {
    const int wordCount = CurrentCardGeometry().wordCount;
    const int offset = position >= 1 && position <= wordCount ? position - 1 : -1;
    std::string bytes;
    const int32_t last = CoreState.LastCard;
    bytes.reserve(size_t(std::max(last + 1, 0)) * 2 + size_t(kPreparedValuesPerRecord) * 2);
    ForEachCard(last, progress,
                [&](int64_t, const uint16_t* words) { AppendU16(bytes, offset >= 0 ? words[offset] : 0); });
    PadToRecords(bytes, 2);
    WriteFileAtomic(path, bytes);
}

void BuildLinkNames(const std::string& path, const LinkBlock& block, const std::string& definitionsPath,
                    Progress& progress) {
    const int32_t recordBytes = ReadColumnNumber(block.Values[4], 1);
    if (recordBytes <= 0) ThrowIo(kInvalidNumber, definitionsPath);
    const int32_t last =
        LastHeldCard(CardFiles(DataFilePath(data_file::kOtherCardText), std::string(),
                               DataFilePath(data_file::kOtherLastCard), CardGeometry{recordBytes, 0}));
    const TextRange first = ParseRange(block.Values[5]), second = ParseRange(block.Values[6]);
    TextBuilder out;
    if (last >= 0) {
        RecordFile text(DataFilePath(data_file::kOtherCardText), recordBytes, RecordFile::Mode::Read);
        const int64_t blockCards = std::max(1, kBlockBytes / recordBytes);
        std::vector<uint8_t> records;
        CardProgress moved(progress, last);
        BarBackToZero reset{progress};
        std::string line;
        for (int64_t j0 = 0; j0 <= last; j0 += blockCards) {
            const int64_t count = std::min<int64_t>(blockCards, int64_t(last) - j0 + 1);
            records.resize(size_t(count) * size_t(recordBytes));
            text.Read(j0, records.data(), count);
            for (int64_t j = j0; j < j0 + count; ++j) {
                moved.At(j);
                const uint8_t* record = records.data() + size_t(j - j0) * size_t(recordBytes);
                line.clear();
                AppendRange(line, record, recordBytes, first);
                line += ';';
                AppendRange(line, record, recordBytes, second);
                line += ';';
                out.Line(line);
            }
        }
    }
    out.Save(path);
}

}  // namespace

int64_t MatrixAreaRecords(int32_t lastCard) {
    return ((int64_t(lastCard) / 8) + 1) / kMatrixRecordBytes + 1;
}

int32_t ReadMatrixCardCount(bool withAdditional) {
    RequirePreparedGrid(withAdditional);
    return ReadPreparedCardCount();
}

CardBitmap ReadMatrixArea(int variable, int32_t lastCard) {
    const int64_t b = MatrixAreaRecords(lastCard);
    CardBitmap area(size_t(b) * kMatrixRecordBytes);
    RecordFile file(DataFilePath(data_file::kBitMatrix), kMatrixRecordBytes, RecordFile::Mode::Read);
    if (variable < 0) ThrowIo(kReadPastEnd, file.Path());
    file.Read(int64_t(variable) * b, area.Bytes(), b);
    return area;
}

MatrixOutcome BuildDichotomousMatrix(Progress& progress) {
    const int32_t last = LastHeldCard(CardFiles::Current());
    const CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kQuickGrid));
    if (grid.MoreLines) return MatrixOutcome::GridTooLong;
    const std::string gridRecord = NewPreparedGridRecord();
    // Only a list that is not there clears the choice; one that fails to read is an error.
    if (!TryReadFile(DataFilePath(data_file::kQuickQuantGrid))) CoreState.CountByQuantUnit = 0;

    const int variables = grid.Count;
    const int64_t areaRecords = MatrixAreaRecords(last);
    const int64_t areaBytes = areaRecords * kMatrixRecordBytes;
    // Each variable's bytes of a run of cards are held, then written as whole records at their
    // place in the variable's area. A run that holds whole areas is the file itself, written at
    // once; shorter runs go into a file first laid out full of zeros.
    int64_t run = kBatchBytes / std::max(variables, 1) / kMatrixRecordBytes * kMatrixRecordBytes;
    run = std::clamp<int64_t>(run, kMatrixRecordBytes, areaBytes);
    const bool whole = run == areaBytes;
    // Row 0 takes the bits of no variable; the last row has room for a pair of bytes past it.
    std::vector<uint8_t> rows(size_t(variables + 1) * size_t(run) + 2, 0);
    const uint8_t* const held = rows.data() + run;  // variable v's run at held + v * run

    // The matrix and its card count are replaced as one (a left commit is finished at the next
    // opening), from temporaries made afresh beside them, which a failure removes.
    CrashSafeArchiveReplacement commit(CoreState.ArchiveDir);
    RecordFile matrix(commit.Stage(DataFilePath(data_file::kBitMatrix)), kMatrixRecordBytes,
                      RecordFile::Mode::ReadWrite);
    if (!whole) matrix.Truncate(int64_t(variables) * areaRecords);

    int64_t runStart = 0;  // byte of the area the held run begins at
    // The held run written (`used` bytes of each area), and cleared for the next one if any.
    auto flush = [&](int64_t used, bool more) {
        if (whole) {
            matrix.Write(0, held, int64_t(variables) * areaRecords);
            return;
        }
        const int64_t records = (used + kMatrixRecordBytes - 1) / kMatrixRecordBytes;
        for (int v = 0; v < variables; ++v)
            matrix.Write(int64_t(v) * areaRecords + runStart / kMatrixRecordBytes,
                         held + size_t(v) * size_t(run), records);
        if (more) std::fill(rows.begin(), rows.end(), 0);
    };

    const std::vector<uint8_t> everyLine(size_t(variables) + 2, 1);
    const int wordCount = CurrentCardGeometry().wordCount;
    const size_t stride = size_t(std::max(wordCount, 1));
    CardClassifier classifier(grid, everyLine, wordCount);
    // The cards of a block a batch at a time, no batch across the end of the held run; a batch's
    // bits go straight into the run (line c's at row c).
    const int64_t runCards = run * 8;
    ForEachBlock(last, progress, [&](int32_t first, int32_t count, const uint16_t* block) {
        for (int64_t card = first, end = int64_t(first) + count; card < end;) {
            if ((card >> 3) - runStart >= run) {
                flush(run, true);
                runStart += run;
            }
            const int64_t n = std::min({end - card, runStart * 8 + runCards - card, kClassifiedCards});
            classifier.SetTrueBits(block + size_t(card - first) * stride, stride, size_t(n), size_t(card & 7),
                                   rows.data() + size_t((card >> 3) - runStart), size_t(run));
            card += n;
        }
    });
    flush((int64_t(last) >> 3) + 1 - runStart, false);

    // The card count gives the matrix its geometry: the two never replace their old files apart.
    RecordFile count(commit.Stage(DataFilePath(data_file::kPreparedCount)), 4, RecordFile::Mode::ReadWrite);
    uint8_t lastBytes[4];
    PutI32(lastBytes, last);
    count.Write(0, lastBytes);
    // What the areas stand for goes with them, so no report counts them under other lines.
    RecordFile record(commit.Stage(DataFilePath(data_file::kPreparedGrid)), int(gridRecord.size()),
                      RecordFile::Mode::ReadWrite);
    record.Write(0, gridRecord.data());
    matrix.Close();
    count.Close();
    record.Close();
    {
        const std::string index = DataFilePath(data_file::kLastCard);
        FileLock lock(index);
        if (!lock.Locked()) ThrowIo(kAccessDenied, index);
        commit.Commit();
    }
    // The value files follow the cards of their own moment: they are prepared again.
    CoreState.PreparedQuantVar = 0;
    CoreState.PreparedTerritoryVar = 0;
    CoreState.PreparedDateVar = 0;
    return MatrixOutcome::Done;
}

std::optional<std::vector<QuickVariable>> ReadQuickVariableList(int listId) {
    std::optional<std::vector<std::string>> lines = TextReader::ReadLines(DataFilePath(listId));
    if (!lines) return std::nullopt;
    std::vector<QuickVariable> list;
    for (const std::string& line : *lines) {
        QuickVariable v;
        const size_t star = line.find('*');
        if (star != std::string::npos) {
            const size_t second = line.find('*', star + 1);
            v.Field = ReadColumnNumber(
                line.substr(star + 1, second == std::string::npos ? std::string::npos : second - star - 1),
                1);
            if (second != std::string::npos) v.Label = line.substr(second + 1);
        }
        list.push_back(std::move(v));
    }
    return list;
}

bool PreparePerCardValues(PerCardValueKind kind, int item, Progress& progress) {
    const int listId = kind == PerCardValueKind::Quantity    ? data_file::kQuickQuantGrid
                       : kind == PerCardValueKind::Territory ? data_file::kQuickTerritoryList
                                                             : data_file::kQuickDateList;
    int& choice = kind == PerCardValueKind::Quantity    ? CoreState.PreparedQuantVar
                  : kind == PerCardValueKind::Territory ? CoreState.PreparedTerritoryVar
                                                        : CoreState.PreparedDateVar;
    const std::optional<std::vector<QuickVariable>> list = ReadQuickVariableList(listId);
    if (!list) return false;
    if (item < 1 || size_t(item) > list->size()) {
        choice = 0;
        return true;
    }
    const int32_t field = (*list)[size_t(item) - 1].Field;
    const bool known = field >= 1 && field <= kMaxFields;
    const FieldType type = TypeOrNone(known ? field : 0);
    const FieldWords w = LocateField(known ? field : 0, CurrentCardGeometry().wordCount);
    const int32_t last = CoreState.LastCard;
    const int valueBytes = kind == PerCardValueKind::Territory ? 2 : 4;

    std::string bytes;
    bytes.reserve(size_t(std::max(last + 1, 0)) * size_t(valueBytes) + size_t(kPreparedValuesPerRecord) * 4);
    ForEachCard(last, progress, [&](int64_t, const uint16_t* words) {
        switch (kind) {
            case PerCardValueKind::Quantity: {
                int32_t v = 0;
                if (type == FieldType::kNumber32)
                    v = NumberAt(words, w);
                else if (known && !type.IsText())
                    v = WordAt(words, w.first);
                if (v == kEmptyNumber || v == kEmptyShort) v = 0;
                AppendI32(bytes, v);
                break;
            }
            case PerCardValueKind::Territory:
                AppendU16(bytes, uint16_t(WordAt(words, w.first)));
                break;
            case PerCardValueKind::Date: {
                const int32_t day = WordAt(words, w.first), month = WordAt(words, w.second);
                const int32_t year = WordAt(words, w.third);
                AppendI32(bytes, (year + 1900) * 10000 + month * 100 + day);
                break;
            }
        }
    });
    PadToRecords(bytes, valueBytes);
    const int fileId = kind == PerCardValueKind::Quantity    ? data_file::kQuantValues
                       : kind == PerCardValueKind::Territory ? data_file::kPreparedTerritory
                                                             : data_file::kDateValues;
    WriteFileAtomic(DataFilePath(fileId), bytes);
    // Stored once the file is there, so a failed build never names a variable it did not prepare.
    choice = item;
    return true;
}

bool LinkValueSet(const std::string& value) {
    static constexpr char kBlank[] = " ";
    return std::lexicographical_compare(kBlank, kBlank + 1, value.begin(), value.end(), [](char a, char b) {
        return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
    });
}

std::optional<std::vector<LinkBlock>> ReadLinkDefinitions() {
    std::optional<std::vector<std::string>> lines =
        TextReader::ReadLines(DataFilePath(data_file::kLinkDefinitions));
    if (!lines) return std::nullopt;
    std::vector<LinkBlock> blocks;
    for (size_t i = 0; i < lines->size(); ++i) {
        const size_t line = i % kLinkLines;
        if (line == 0) blocks.emplace_back();
        const std::string& text = (*lines)[i];
        if (line < 7) {
            if (text.size() > size_t(kLinkValueColumn))
                blocks.back().Values[line] = text.substr(kLinkValueColumn, kLinkValueWidth);
        } else {
            blocks.back().Complete = true;
        }
    }
    return blocks;
}

std::optional<int> BuildLinkFiles(Progress& progress) {
    const std::optional<std::vector<LinkBlock>> blocks = ReadLinkDefinitions();
    if (!blocks) return std::nullopt;
    const std::string definitionsPath = ResolveExisting(DataFilePath(data_file::kLinkDefinitions));
    int built = 0;
    for (const LinkBlock& block : *blocks) {
        if (!block.Complete || !LinkValueSet(block.Values[0]) || built == kMaxLinks) continue;
        const int32_t position = ReadColumnNumber(block.Values[0], 1);
        if (position < 1 || position > CurrentCardGeometry().wordCount)
            ThrowIo(kInvalidNumber, definitionsPath);
        ++built;
        const std::string digit(1, char('0' + built));
        BuildLinkKeys(DataFilePath(data_file::kLinkKeysStem) + digit, position, progress);
        CoreState.OtherArchiveDir = SiblingDirectory(block.Values[2]);
        BuildLinkNames(DataFilePath(data_file::kLinkNamesStem) + digit, block, definitionsPath, progress);
    }
    CoreState.LinkChoice1 = built >= 1 ? 1 : 0;
    CoreState.LinkChoice2 = built >= 2 ? 2 : 0;
    return built;
}

}  // namespace qv
