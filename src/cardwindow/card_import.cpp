#include "cardwindow/card_import.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdio>
#include <cstring>

#include "cardwindow/shared_archive.h"
#include "cardwindow/write_permission.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "core/text_tables.h"
#include "core/typed_values.h"
#include "platform/assertion.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr size_t kFieldOrderLineChars = 30;
constexpr int kCannotOpenText = 1020;
constexpr int kWholeLimit = 30000;
constexpr int kCardHeadText = 1974;
constexpr int kImportStoppedText = 2421, kCardsAlreadyInText = 2422;
// Report texts of the conversion errors, by ImportError.
constexpr int kErrorTexts[] = {0, 1017, 1018, 1019, 2215, 2216, 2300};

bool IsBlankOrControl(char c) {
    return uint8_t(c) <= 32;
}

bool IsFixedLayout(int format) {
    return format == kImportFixed || format == kImportFixed + kImportYearFirst;
}

// The word `offset` after the field's position, when it lies inside the card.
void SetFieldWord(const CardGeometry& card, int field, int offset, int16_t value) {
    const int p = FieldPositions[field] + offset;
    if (p >= 1 && p <= card.wordCount) CurrentCardValues[p] = uint16_t(value);
}

void StoreText(const CardGeometry& card, int field, std::string_view piece) {
    const int length = TypeOfField(field).TextWidth();
    const int first = FieldTextOffsets[field];
    if (first < 1) return;
    for (int i = 0; i < length && first + i <= card.textBytes; ++i)
        CurrentCardText[first + i] = i < int(piece.size()) ? uint8_t(piece[i]) : 0;
}

// The number a coded piece stands for: the whole piece as a number strictly inside -30000 ..
// 30000, the first character of a quick-entry field, one more with the zero-as-one mark. None
// is kNoNumber, below every number (a plain int: an optional comes back through memory).
constexpr int kNoNumber = INT_MIN;
int CodedNumber(int field, std::string_view piece) {
    int v = kNoNumber;
    // Only a digit or a sign may lead a number.
    const char first = piece.empty() ? ' ' : piece[0];
    if (IsDigit(first) || first == '-' || first == '+')
        if (const auto whole = WholeInteger(piece); whole && *whole > -kWholeLimit && *whole < kWholeLimit)
            v = int(*whole);
    if (IsQuickEntryField(field) && !piece.empty()) {
        if (IsDigit(first)) v = first - '0';
        if (first >= 'A' && first <= 'Z') v = first - 'A' + 10;
        if (first >= 'a' && first <= 'z') v = first - 'a' + 10;
    }
    if (v != kNoNumber && IsPlusOneField(field)) v += 1;
    return v;
}

ImportError StoreCategory(int field, std::string_view piece, ImportTables& tables) {
    const CardGeometry& card = tables.Geometry();
    const int count = std::max(FieldLastLabel[field] - FieldFirstLabel[field] + 1, 0);
    const int v = CodedNumber(field, piece);
    const char first = piece.empty() ? '\0' : piece[0];
    if (v >= 0 || IsDigit(first) || first == '-' || first == '+') {
        if (v < 0) return ImportError::None;
        if (v > count) return ImportError::CategoryAboveCount;
        SetFieldWord(card, field, 0, int16_t(v));
        return ImportError::None;
    }
    if (uint8_t(first) <= uint8_t('9')) return ImportError::None;
    const std::vector<int>& found = tables.Labels().Find(field, piece);
    if (found.size() != 1)
        return found.empty() ? ImportError::CategoryNotFound : ImportError::CategoryAmbiguous;
    SetFieldWord(card, field, 0, int16_t(found.front()));
    return ImportError::None;
}

ImportError StoreComune(int field, std::string_view piece, ImportTables& tables) {
    const CardGeometry& card = tables.Geometry();
    SetFieldWord(card, field, 0, 0);
    if (const int v = CodedNumber(field, piece); v >= 1 && v <= TerritoryCount) {
        SetFieldWord(card, field, 0, int16_t(v));
        return ImportError::None;
    }
    if (piece.empty()) return ImportError::None;
    const std::vector<int>& codes = tables.ComuniNamed(piece);
    if (codes.size() != 1) return codes.empty() ? ImportError::ComuneNotFound : ImportError::ComuneAmbiguous;
    SetFieldWord(card, field, 0, int16_t(codes.front()));
    return ImportError::None;
}

// The piece of a fixed-width entry: `width` characters from `pos`, never past the line.
std::string_view CutFixed(std::string_view line, size_t& pos, int width) {
    const size_t end = pos + std::min<size_t>(size_t(width), line.size() - pos);
    std::string_view piece = line.substr(pos, std::min(end - pos, kImportPieceChars));
    pos = std::min(end + 1, line.size());
    // A piece of blanks and controls alone ends empty.
    while (!piece.empty() && IsBlankOrControl(piece.back())) piece.remove_suffix(1);
    return piece;
}

// The first character from `at` below code 32 or equal to `stop`, else the line's end; eight
// at a time, since lines run to thousands of characters.
size_t NextControlOrStop(std::string_view line, size_t at, char stop) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    const uint64_t stops = kOnes * uint8_t(stop);
    for (; at + 8 <= line.size(); at += 8) {
        uint64_t w;
        std::memcpy(&w, line.data() + at, 8);
        const uint64_t x = w ^ stops;
        // The lowest flag of each test is exact (a borrow runs only upwards).
        if (const uint64_t m = ((w - 32 * kOnes) & ~w & kHigh) | ((x - kOnes) & ~x & kHigh))
            return at + size_t(std::countr_zero(m) / 8);
    }
    while (at < line.size() && uint8_t(line[at]) >= 32 && line[at] != stop) ++at;
    return at;
}

// The piece up to the separator, its control characters dropped (into `room` when it has any).
std::string_view CutDelimited(std::string_view line, size_t& pos, std::optional<char> separator,
                              std::string& room) {
    size_t end = NextControlOrStop(line, pos, separator.value_or('\0'));
    const bool controls = end < line.size() && !(separator && line[end] == *separator);
    if (controls) end = separator ? std::min(line.find(*separator, end), line.size()) : line.size();
    std::string_view piece = line.substr(pos, end - pos);
    pos = end < line.size() ? end + 1 : end;
    if (!controls) {
        piece = piece.substr(0, kImportPieceChars);
    } else {
        room.clear();
        for (char c : piece)
            if (uint8_t(c) >= 32 && room.size() < kImportPieceChars) room.push_back(c);
        piece = room;
    }
    // Controls are gone already; a piece of blanks keeps one.
    while (piece.size() > 1 && piece.back() == ' ') piece.remove_suffix(1);
    return piece;
}

// Report lines, texts read once per run.
class ImportReport {
  public:
    // The report is Windows-1252 text: the data file's path is written as texts show paths.
    ImportReport(const std::string& dataFile, RunTexts& text)
        : dataFile_(DisplayPath(dataFile)), text_(text) {}

    void Findings(const std::vector<std::string>& findings) {
        out_.Line(text_(1008)).Line();
        for (const std::string& f : findings) out_.Line(f);
        reported_ = true;
    }

    void CannotOpen() {
        out_.Line(text_(kCannotOpenText) + " " + dataFile_);
        reported_ = true;
    }

    void ConversionError(int32_t card, int line, int field, const std::string& piece, ImportError error) {
        if (texts_.empty()) {
            for (int n = 1014; n <= 1016; ++n) texts_.push_back(text_(n));
            texts_.push_back(text_(kCardHeadText));
            for (int n : kErrorTexts) errorTexts_.push_back(n ? text_(n) : std::string());
            out_.Line().Line(texts_[0] + " " + dataFile_).Line();
        }
        // A file of bad lines has hundreds of thousands: the card's head, the same for each of its
        // errors, and each field's number are written out once.
        if (card != headCard_ || line != headLine_) {
            head_ = texts_[3] + RightAligned(int64_t(card) + 1, 6);
            if (int64_t(card) + 1 != line) head_ += texts_[1] + RightAligned(line, 6);
            headCard_ = card;
            headLine_ = line;
        }
        if (fieldTexts_.size() <= size_t(field)) fieldTexts_.resize(size_t(field) + 1);
        if (fieldTexts_[size_t(field)].empty())
            fieldTexts_[size_t(field)] = " " + RightAligned(field, 4) + " \"";
        out_.Line(head_).Put(texts_[2]).Put(fieldTexts_[size_t(field)]).Put(piece).Put("\" - ");
        out_.Line(errorTexts_[size_t(error)]);
        reported_ = true;
    }

    bool Reported() const { return reported_; }
    void Save() const { out_.Save(DataFilePath(data_file::kReport)); }

  private:
    std::string dataFile_;
    RunTexts& text_;
    TextBuilder out_;
    std::vector<std::string> texts_;
    std::vector<std::string> errorTexts_;
    int32_t headCard_ = -1;
    int headLine_ = -1;
    std::string head_;
    std::vector<std::string> fieldTexts_;  // by field: its number as an error line writes it
    bool reported_ = false;
};

}  // namespace

ImportFieldOrder ReadImportFieldOrder(const std::string& fileBytes, int format) {
    RunTexts texts;
    return ReadImportFieldOrder(fileBytes, format, texts);
}

ImportFieldOrder ReadImportFieldOrder(const std::string& fileBytes, int format, RunTexts& text) {
    TextReader in(fileBytes);
    std::vector<std::string> lines;
    while (!in.Eof() && int(lines.size()) < kImportMaxPieces)
        lines.push_back(in.ReadLine(kFieldOrderLineChars));
    while (!lines.empty() && TrimBlanks(lines.back()).empty()) lines.pop_back();

    ImportFieldOrder order;
    std::vector<std::string> texts;  // 1009 .. 1013
    for (int n = 1009; n <= 1013; ++n) texts.push_back(text(n));
    QV_ASSERT(CoreState.FieldCount >= 0 && CoreState.FieldCount <= kMaxFields);
    const int fieldCount = std::clamp(CoreState.FieldCount, 0, kMaxFields);
    for (size_t k = 0; k < lines.size(); ++k) {
        const int lineNo = int(k) + 1;
        const std::string text = lines[k] + ",,";
        const size_t comma1 = text.find(',');
        const size_t comma2 = text.find(',', comma1 + 1);
        const std::string fieldText = text.substr(0, comma1);
        const std::string widthText = text.substr(comma1 + 1, comma2 - comma1 - 1);
        const std::string head = texts[0] + " " + RightAligned(lineNo, 4);

        ImportPiece piece;
        if (const auto field = WholeInteger(TrimBlanks(fieldText))) {
            if (*field > fieldCount)
                order.findings.push_back(head + " - " + std::to_string(*field) + texts[1] + " " +
                                         std::to_string(fieldCount));
            else
                piece.field = int(std::max<int64_t>(*field, 0));
        } else {
            order.findings.push_back(head + texts[2] + fieldText + "\"");
        }
        bool widthUnreadable = false;
        if (!TrimBlanks(widthText).empty()) {
            if (const auto width = WholeInteger(TrimBlanks(widthText))) {
                piece.width = int(std::clamp<int64_t>(*width, 0, INT32_MAX));
            } else {
                order.findings.push_back(head + texts[4] + widthText + "\"");
                widthUnreadable = true;
            }
        }
        if (IsFixedLayout(format) && piece.width <= 0 && !widthUnreadable)
            order.findings.push_back(head + texts[3]);
        order.pieces.push_back(piece);
    }
    return order;
}

std::optional<char> ImportSeparator(int format) {
    switch (format) {
        case kImportTab:
        case kImportTab + kImportYearFirst:
            return '\t';
        case kImportDelimiter:
        case kImportDelimiter + kImportYearFirst:
            return char(CoreState.ImportDelimiter);
        default:
            return std::nullopt;
    }
}

void CutImportLine(std::string_view line, const std::vector<ImportPiece>& pieces,
                   std::optional<char> separator, std::vector<std::string_view>& out,
                   std::vector<std::string>& rooms) {
    line = line.substr(0, kImportLineChars);
    out.resize(pieces.size());
    rooms.resize(pieces.size());
    size_t pos = 0;
    for (size_t k = 0; k < pieces.size(); ++k)
        out[k] = pieces[k].width >= 0 ? CutFixed(line, pos, pieces[k].width)
                                      : CutDelimited(line, pos, separator, rooms[k]);
}

std::vector<std::string> CutImportLine(std::string_view line, const std::vector<ImportPiece>& pieces,
                                       std::optional<char> separator) {
    std::vector<std::string_view> views;
    std::vector<std::string> rooms;
    CutImportLine(line, pieces, separator, views, rooms);
    return {views.begin(), views.end()};
}

std::optional<ImportDate> ReadImportDate(std::string_view piece, bool yearFirst) {
    // A piece without a digit holds no date.
    if (std::none_of(piece.begin(), piece.end(), IsDigit)) return ImportDate{};
    int parts[3] = {0, 0, 0};
    size_t count = 0;
    int64_t v = 0;
    bool big = false;
    // Every character but a digit ends a part, and so does the piece's end.
    for (size_t i = 0; i <= piece.size() && count < std::size(parts); ++i) {
        if (i < piece.size() && IsDigit(piece[i])) {
            v = v * 10 + (piece[i] - '0');
            big = big || v > kWholeLimit;
            if (big) v = 0;
            continue;
        }
        parts[count++] = big ? 0 : int(v);
        v = 0;
        big = false;
    }
    auto part = [&](size_t i) { return i < count ? std::optional<int>(parts[i]) : std::nullopt; };
    const std::optional<int> dayPart = part(yearFirst ? 2 : 0);
    const std::optional<int> yearPart = part(yearFirst ? 0 : 2);
    ImportDate date;
    const int day = dayPart.value_or(0);
    const int month = part(1).value_or(0);
    // Without a year any 29 February may be meant.
    int year = 2000;
    if (yearPart) {
        year = *yearPart;
        if (year < 100) year = FullYear(year);
        if (year - 1900 < 0) return ImportDate{};
        date.year = int16_t(year - 1900);
    }
    if (!DateExists(day, month, year)) return std::nullopt;
    date.day = int16_t(day);
    date.month = int16_t(month);
    return date;
}

ImportTables::ImportTables() : geometry_(CurrentCardGeometry()), now_(EntryClockNow()) {}

CategoryLabelTable& ImportTables::Labels() {
    if (!labels_) labels_.emplace();
    return *labels_;
}

const std::vector<int>& ImportTables::ComuniNamed(std::string_view name) {
    if (!comuni_) comuni_.emplace();
    comuni_->Matches(name, comuniFound_);
    return comuniFound_;
}

ImportError StoreImportPiece(int field, std::string_view piece, bool yearFirst, ImportTables& tables) {
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields)) return ImportError::None;
    const CardGeometry& card = tables.Geometry();
    const FieldType type = FieldTypes[field];
    if (type.IsText()) {
        StoreText(card, field, piece);
        return ImportError::None;
    }
    // Fixed columns hold right-aligned numbers: leading blanks say nothing. An empty piece leaves
    // the field as the cleared card has it (a missing time is no midnight).
    const auto start = std::find_if_not(piece.begin(), piece.end(), IsBlankOrControl);
    const std::string_view value = piece.substr(size_t(start - piece.begin()));
    if (value.empty()) return ImportError::None;
    switch (type) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
            return StoreCategory(field, value, tables);
        case FieldType::kDate: {
            const std::optional<ImportDate> date = ReadImportDate(value, yearFirst);
            SetFieldWord(card, field, 0, date ? date->day : 0);
            SetFieldWord(card, field, 1, date ? date->month : 0);
            SetFieldWord(card, field, 2, date ? date->year : 0);
            return date ? ImportError::None : ImportError::DateNotInCalendar;
        }
        case FieldType::kMunicipality:
            return StoreComune(field, value, tables);
        case FieldType::kNumber:
            SetFieldWord(card, field, 0, ReadShortNumber(value));
            return ImportError::None;
        case FieldType::kTime:
            SetFieldWord(card, field, 0, ReadTimeValue(value, tables.Now()).value_or(kEmptyShort));
            return ImportError::None;
        case FieldType::kPercent:
            SetFieldWord(card, field, 0, ReadPercentage(value).value_or(kEmptyShort));
            return ImportError::None;
        case FieldType::kNumber32:
            PutCardNumber(ReadLongNumber(value), field);
            return ImportError::None;
        default:
            return ImportError::None;
    }
}

void WriteDefaultFieldOrder() {
    if (auto old = TryReadFile(DataFilePath(data_file::kFieldOrder))) {
        TextReader in(std::move(*old));
        TextBuilder backup;
        while (!in.Eof()) backup.Line(in.ReadLine(std::string::npos));
        backup.Save(DataFilePath(data_file::kFieldOrderBackup));
    }
    TextBuilder order;
    for (int f = 1; f <= std::min(CoreState.FieldCount, kMaxFields); ++f) order.Line(std::to_string(f));
    order.Save(DataFilePath(data_file::kFieldOrder));
}

std::string LoadImportFileName() {
    TextReader in;
    if (in.Open(DataFilePath(data_file::kImportName)) && !in.Eof()) {
        std::string name = in.ReadLine(std::string::npos);
        if (!name.empty()) return PathFromStored(name);
    }
    return CoreState.ArchiveDir + "Dati.Txt";
}

void SaveImportFileName(const std::string& name) {
    TextBuilder().Line(StoredText(name)).Save(DataFilePath(data_file::kImportName));
}

ImportOutcome RunImport(const std::string& dataFile, ImportMode mode, Progress& progress,
                        int32_t blockCards) {
    ImportOutcome outcome;
    if (!CardChangesAllowed()) return outcome;
    outcome.ran = true;
    const int format = CoreState.ImportFormat;
    const bool yearFirst = format > kImportFixed;
    RunTexts texts;
    ImportReport report(dataFile, texts);

    // Without a field order no piece has a field: the report says the file is missing.
    const std::string orderPath = DataFilePath(data_file::kFieldOrder);
    ImportFieldOrder order;
    if (auto orderBytes = TryReadFile(orderPath))
        order = ReadImportFieldOrder(*orderBytes, format, texts);
    else
        order.findings.push_back(texts(kCannotOpenText) + " " + DisplayPath(orderPath));
    if (!order.findings.empty()) {
        report.Findings(order.findings);
        report.Save();
        outcome.reported = true;
        return outcome;
    }
    const std::optional<char> separator = ImportSeparator(format);

    auto bytes = TryReadFile(NormalizePath(dataFile));
    if (!bytes) {
        report.CannotOpen();
        report.Save();
        outcome.reported = true;
        return outcome;
    }
    // Read whole first: the count sets the progress bar. The lines are views of the file's bytes.
    TextReader data(std::move(*bytes));
    std::vector<std::string_view> lines;
    while (!data.Eof()) lines.push_back(data.ReadLineView(kImportLineChars));
    progress.SetMaximum(int(lines.size()));

    const CardFiles files = CardFiles::Current();
    const int fieldCount = std::min(CoreState.FieldCount, kMaxFields);
    std::optional<FileLock> lock;
    std::optional<CrashSafeArchiveReplacement> commit;
    std::optional<CardFiles> staged;
    int32_t next = 0;  // number of the next card stored
    if (mode == ImportMode::Replace) {
        // No other station appends while the archive is rebuilt. The new cards go to files
        // beside the old ones, which stay in place and counted until the import is complete.
        files.ReadLastCard();
        lock.emplace(files.IndexPath());
        if (!lock->Locked()) ThrowIo(kAccessDenied, files.IndexPath());
        RefusePendingCommits(CoreState.ArchiveDir);
        commit.emplace(CoreState.ArchiveDir);
        // The cards the shared archive received from here are replaced with the rest.
        ForgetSharedCopy(*commit);
        const std::string text = commit->Stage(files.TextPath());
        staged.emplace(text, commit->Stage(files.ValuesPath()), files.IndexPath(), files.Geometry());
    } else {
        // Only a hint: each block takes its numbers from the index under the lock.
        next = int32_t(std::clamp<int64_t>(int64_t(files.ReadLastCard()) + 1, 0, INT32_MAX));
    }

    // Cards are stored a block at a time; their conversion errors are reported once their
    // numbers are known (another station may append between two blocks).
    struct PendingError {
        int32_t card;
        int line, field;
        std::string piece;
        ImportError error;
    };
    CardRecords block{files.Geometry()};
    std::vector<PendingError> errors;
    auto storeBlock = [&](int lineNo) {
        if (block.count == 0) return;
        int32_t first = next;
        if (staged) {
            if (int64_t(first) + block.count - 1 > kLastCardNumber) RefuseFullArchive(files.IndexPath());
            staged->WriteCards(first, block);
        } else {
            first = files.AppendCards(block);
            CoreState.LastCard = first + block.count - 1;
        }
        for (const PendingError& e : errors)
            report.ConversionError(first + e.card, e.line, e.field, e.piece, e.error);
        next = first + block.count;
        outcome.cards += block.count;
        block.Clear();
        errors.clear();
        progress.SetPosition(lineNo);
    };

    const int32_t perBlock = blockCards > 0 ? blockCards : block.BlockCards();
    ImportTables tables;
    // Every line starts from the same cleared card, made once.
    const CardGeometry& card = tables.Geometry();
    ClearCardFields(1, CoreState.FieldCount);
    const std::vector<uint8_t> clearedText(&CurrentCardText[1], &CurrentCardText[1] + card.textBytes);
    const std::vector<uint16_t> clearedValues(&CurrentCardValues[1], &CurrentCardValues[1] + card.wordCount);
    int lineNo = 0;
    std::vector<std::string_view> pieces;
    std::vector<std::string> rooms;
    try {
        for (const std::string_view line : lines) {
            ++lineNo;
            std::copy(clearedText.begin(), clearedText.end(), &CurrentCardText[1]);
            std::copy(clearedValues.begin(), clearedValues.end(), &CurrentCardValues[1]);
            CutImportLine(line, order.pieces, separator, pieces, rooms);
            for (size_t k = 0; k < pieces.size(); ++k) {
                const int field = order.pieces[k].field;
                if (field < 1 || field > fieldCount) continue;
                const ImportError error = StoreImportPiece(field, pieces[k], yearFirst, tables);
                if (error != ImportError::None)
                    errors.push_back({block.count, lineNo, field, std::string(pieces[k]), error});
            }
            block.Add(&CurrentCardText[1], &CurrentCardValues[1]);
            if (block.count >= perBlock) storeBlock(lineNo);
        }
        storeBlock(lineNo);
    } catch (const IoError& e) {
        // Appended blocks stay: the person must know how many, or importing again doubles them.
        if (commit || outcome.cards == 0) throw;
        const std::string cause = e.Message().empty()
                                      ? LoadText(kImportStoppedText) + " " + std::to_string(e.Code()) + ")."
                                      : e.Message();
        throw IoError(e.Code(), e.Path(),
                      cause + "\n" + LoadText(kCardsAlreadyInText) + " " + std::to_string(outcome.cards));
    }
    if (commit) {
        commit->SetLastCard(files.IndexPath(), next - 1);
        commit->Commit();
        CoreState.LastCard = next - 1;
    }
    CoreState.CurrentCard = next;
    // The cards are in place: a report that cannot be written is shown, and the import is done.
    try {
        report.Save();
    } catch (const IoError& e) {
        ReportIoError(e);
    }
    progress.SetPosition(0);
    outcome.reported = report.Reported();
    return outcome;
}

}  // namespace qv
