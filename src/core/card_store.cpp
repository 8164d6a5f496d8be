#include "core/card_store.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "core/card_notes.h"
#include "core/card_window_mode.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kIndexRecordBytes = 4;
constexpr int32_t kShortCardFileText = 1641;
constexpr int32_t kMissingCardsText = 1642;
constexpr int32_t kShortPassText = 1643;
constexpr int32_t kMissingFieldsText = 1975;
constexpr int32_t kArchiveFullText = 2120;
static_assert(kLastCardNumber == kSelectionMaskBytes * 8 - 1);

// Runs an edit of stored cards under the index lock, refused while a job's commit is pending:
// its later finish or rollback would overwrite the edit.
template <typename Edit>
void UnderEditLock(const std::string& indexPath, Edit edit) {
    FileLock lock(indexPath);
    if (!lock.Locked() && FileIsThere(indexPath)) ThrowIo(kAccessDenied, indexPath);
    RefusePendingCommits(DirectoryPart(indexPath));
    edit();
}

void DecodeWords(const uint8_t* bytes, uint16_t* words, size_t count) {
    for (size_t i = 0; i < count; ++i) words[i] = GetU16(bytes + 2 * i);
}

constexpr int32_t kBlockCardLimit = 4096;
constexpr int64_t kBlockByteLimit = 4 << 20;

void WriteRecords(const std::string& path, int recordSize, int64_t index, const void* data, int64_t count,
                  RecordFile::Mode mode, bool sync) {
    RecordFile file(path, recordSize, mode);
    file.Write(index, data, count);
    if (sync) file.Sync();
}

RecordFile::Mode WriteMode(bool createFile) {
    return createFile ? RecordFile::Mode::Create : RecordFile::Mode::ReadWrite;
}

std::vector<uint8_t> EncodeWords(const uint16_t* words, size_t count) {
    std::vector<uint8_t> bytes(count * 2);
    for (size_t i = 0; i < count; ++i) PutU16(bytes.data() + 2 * i, words[i]);
    return bytes;
}

void WriteTextRecords(const CardFiles& files, int32_t card, const uint8_t* text, bool createFile) {
    const int records = files.Geometry().TextRecords();
    WriteRecords(files.TextPath(), kCardTextRecordBytes, int64_t(card) * records, text, records,
                 WriteMode(createFile), false);
}

void WriteValueRecords(const CardFiles& files, int32_t card, const uint16_t* words, bool createFile) {
    const int records = files.Geometry().ValueRecords();
    const std::vector<uint8_t> bytes = EncodeWords(words, size_t(records) * kCardValueRecordWords);
    WriteRecords(files.ValuesPath(), kCardValueRecordBytes, int64_t(card) * records, bytes.data(), records,
                 WriteMode(createFile), false);
}

// Bounds of the card in hand: words 1..WordLimit(), text bytes 1..TextLimit().
int WordLimit() {
    return CurrentCardGeometry().wordCount;
}
int TextLimit() {
    return CurrentCardGeometry().textBytes;
}
bool WordInCard(int position) {
    return position >= 1 && position <= WordLimit();
}
bool ValidField(int field) {
    return field >= 1 && field <= kMaxFields;
}

// The bytes of a text field that lie inside the card's text, as [first, last].
bool TextFieldBytes(int field, int& first, int& last) {
    const int length = TypeOfField(field).TextWidth();
    first = FieldTextOffsets[field];
    last = std::min(first + length - 1, TextLimit());
    return length > 0 && first >= 1 && first <= last;
}

bool IsTextFilled(int field) {
    const int offset = FieldTextOffsets[field];
    return TypeOfField(field).IsText() && offset >= 1 && offset <= TextLimit() &&
           CurrentCardText[offset] != 0;
}

// Whether a field of the card in hand holds a value, by its type.
bool IsFieldFilled(int field) {
    const FieldType type = FieldTypes[field];
    if (type.IsText()) return IsTextFilled(field);
    const int p = FieldPositions[field];
    switch (type) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
        case FieldType::kMunicipality:
            return WordInCard(p) && CurrentCardValues[p] != 0;
        case FieldType::kDate:
            for (int i = 0; i < 3; ++i)
                if (WordInCard(p + i) && CurrentCardValues[p + i] != 0) return true;
            return false;
        case FieldType::kNumber:
        case FieldType::kTime:
        case FieldType::kPercent:
            return WordInCard(p) && CurrentCardValues[p] != kEmptyWord;
        case FieldType::kNumber32:
            return GetCardNumber(field) != kEmptyNumber;
        default:
            return false;
    }
}

void ClearField(int field) {
    const FieldType type = FieldTypes[field];
    if (type.IsText()) {
        int first, last;
        if (TextFieldBytes(field, first, last))
            std::fill(&CurrentCardText[first], &CurrentCardText[last] + 1, 0);
        return;
    }
    const int p = FieldPositions[field];
    switch (type) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
        case FieldType::kMunicipality:
            if (WordInCard(p)) CurrentCardValues[p] = 0;
            break;
        case FieldType::kDate:
            for (int i = 0; i < 3; ++i)
                if (WordInCard(p + i)) CurrentCardValues[p + i] = 0;
            break;
        case FieldType::kNumber:
        case FieldType::kTime:
        case FieldType::kPercent:
            if (WordInCard(p)) CurrentCardValues[p] = kEmptyWord;
            break;
        case FieldType::kNumber32:
            PutCardNumber(kEmptyNumber, field);
            break;
        default:
            break;
    }
}

void SetEmptyValues() {
    const CardGeometry g = CurrentCardGeometry();
    const std::vector<uint16_t> empty = EmptyCardValues(g);
    std::copy(empty.begin(), empty.end(), &CurrentCardValues[1]);
}

// The field number of a "cfs-sch.imp" line: the text before the first comma; 0 when there is
// no comma or no clean number.
int RequiredFieldNumber(const std::string& line) {
    const size_t comma = line.find(',');
    if (comma == std::string::npos) return 0;
    return PaddedDigits(std::string_view(line).substr(0, comma), 5).value_or(0);
}

bool TestMark(int field, int mask) {
    return ValidField(field) && (FieldAttributes[field] & mask) != 0;
}

}  // namespace

CardGeometry CurrentCardGeometry() {
    CardGeometry g;
    g.textBytes = std::clamp(CoreState.CardTextBytes, 0, kMaxCardTextBytes) / kCardTextRecordBytes *
                  kCardTextRecordBytes;
    g.wordCount =
        std::clamp(CoreState.CardWordCount, 0, kMaxCardWords) / kCardValueRecordWords * kCardValueRecordWords;
    return g;
}

CardFiles::CardFiles(std::string textPath, std::string valuesPath, std::string indexPath,
                     CardGeometry geometry)
    : textPath_(std::move(textPath)),
      valuesPath_(std::move(valuesPath)),
      indexPath_(std::move(indexPath)),
      geometry_(geometry) {}

CardFiles CardFiles::InDirectory(const std::string& dir, CardGeometry geometry) {
    return CardFiles(dir + "alf-sch.dat", dir + "num-sch.dat", dir + "dli-sch.dat", geometry);
}

CardFiles CardFiles::Current() {
    return CardFiles(DataFilePath(data_file::kCardText), DataFilePath(data_file::kCardValues),
                     DataFilePath(data_file::kLastCard), CurrentCardGeometry());
}

bool CardFiles::ReadText(int32_t card, uint8_t* text) const {
    const int records = geometry_.TextRecords();
    RecordFile file(textPath_, kCardTextRecordBytes, RecordFile::Mode::Read);
    std::vector<uint8_t> bytes(size_t(records) * kCardTextRecordBytes);
    if (file.ReadUpTo(int64_t(card) * records, bytes.data(), records) < records) return false;
    std::copy(bytes.begin(), bytes.end(), text);
    return true;
}

bool CardFiles::ReadValues(int32_t card, uint16_t* words) const {
    const int records = geometry_.ValueRecords();
    RecordFile file(valuesPath_, kCardValueRecordBytes, RecordFile::Mode::Read);
    std::vector<uint8_t> bytes(size_t(records) * kCardValueRecordBytes);
    if (file.ReadUpTo(int64_t(card) * records, bytes.data(), records) < records) return false;
    DecodeWords(bytes.data(), words, bytes.size() / 2);
    return true;
}

void CardFiles::WriteText(int32_t card, const uint8_t* text, bool createFile) const {
    WriteTextRecords(*this, card, text, createFile);
}

void CardFiles::WriteValues(int32_t card, const uint16_t* words, bool createFile) const {
    WriteValueRecords(*this, card, words, createFile);
}

int32_t CardFiles::ReadValuesBlock(int32_t first, int32_t count, uint16_t* words,
                                   std::span<const uint16_t> emptyCard) const {
    return CardValuesReader(*this).Read(first, count, words, emptyCard);
}

int32_t CardValuesReader::Read(int32_t first, int32_t count, uint16_t* words,
                               std::span<const uint16_t> emptyCard) {
    const CardGeometry& geometry = files_.Geometry();
    const int records = geometry.ValueRecords();
    const size_t cardWords = size_t(geometry.wordCount);
    if (count <= 0 || records == 0) return 0;
    if (!file_.IsOpen()) file_.Open(files_.ValuesPath(), kCardValueRecordBytes, RecordFile::Mode::Read);
    // One read straight into the caller's buffer, then the words put in host order.
    const int64_t got = file_.ReadUpTo(int64_t(first) * records, words, int64_t(count) * records);
    if constexpr (std::endian::native != std::endian::little) {
        uint8_t* raw = reinterpret_cast<uint8_t*>(words);
        for (size_t i = 0; i < size_t(got) * kCardValueRecordWords; ++i) {
            uint16_t w = GetU16(raw + 2 * i);
            std::memcpy(raw + 2 * i, &w, 2);
        }
    }
    const int32_t found = int32_t(got / records);
    for (int32_t k = found; k < count; ++k) {
        uint16_t* card = words + size_t(k) * cardWords;
        const size_t n = std::min(cardWords, emptyCard.size());
        std::copy_n(emptyCard.begin(), n, card);
        std::fill(card + n, card + cardWords, 0);
    }
    return found;
}

CardCount CardFiles::CountCards(bool acceptDamaged) const {
    CardCount count;
    RecordFile index;
    if (index.TryOpen(indexPath_, kIndexRecordBytes, RecordFile::Mode::Read)) {
        // An index cut short holds no number at all: damaged, like one out of range.
        count.shortIndex = acceptDamaged && index.RecordCount() == 0;
        if (!count.shortIndex) {
            uint8_t bytes[kIndexRecordBytes];
            index.Read(0, bytes);
            count.index = GetI32(bytes);
        }
    } else if (errno != ENOENT) {
        // Only an index that is not there means no cards; one failing to open is an error.
        ThrowErrno(indexPath_);
    }
    count.damagedIndex =
        acceptDamaged && (count.shortIndex || count.index < -1 || count.index > kLastCardNumber);
    if (count.index < -1 && !acceptDamaged) ThrowIo(kInvalidNumber, indexPath_);
    // The card after the last must have a number too.
    count.last = count.damagedIndex ? kLastCardNumber : std::min(count.index, INT32_MAX - 1);
    // Cards a file holds whole; a missing file holds none.
    auto measure = [&count](const std::string& path, int cardBytes) {
        if (cardBytes <= 0) return;
        RecordFile file;
        int64_t cards = 0;
        if (file.TryOpen(path, cardBytes, RecordFile::Mode::Read))
            cards = file.RecordCount();
        else if (errno != ENOENT)
            ThrowErrno(path);
        if (cards - 1 < count.last) {
            count.last = int32_t(cards - 1);
            if (!count.damagedIndex) count.shortFile = path;
        }
    };
    measure(textPath_, geometry_.textBytes);
    measure(valuesPath_, geometry_.wordCount * 2);
    return count;
}

void RefuseFullArchive(const std::string& indexPath) {
    throw IoError(kInvalidNumber, indexPath, LoadText(kArchiveFullText));
}

std::string MissingCardsText(const CardCount& count) {
    if (count.Missing() <= 0 || count.damagedIndex) return {};
    return LoadText(kShortCardFileText) + "\n" + count.shortFile + "\n" + LoadText(kMissingCardsText) + " " +
           std::to_string(count.Missing()) + " (" + std::to_string(int64_t(count.last) + 2) + " - " +
           std::to_string(int64_t(count.index) + 1) + ")";
}

std::string ShortPassText(const CardCount& count) {
    if (count.Missing() <= 0) return {};
    return LoadText(kShortPassText) + "\n" + MissingCardsText(count);
}

int32_t CardFiles::ReadLastCard() const {
    RecordFile file(indexPath_, kIndexRecordBytes, RecordFile::Mode::Read);
    uint8_t bytes[kIndexRecordBytes];
    file.Read(0, bytes);
    return GetI32(bytes);
}

void CardFiles::WriteLastCard(int32_t last) const {
    RecordFile file(indexPath_, kIndexRecordBytes, RecordFile::Mode::OpenOrCreate);
    uint8_t bytes[kIndexRecordBytes];
    PutI32(bytes, last);
    file.Write(0, bytes);
    file.Sync();
}

void CardFiles::RewriteCard(int32_t card, const uint8_t* text, const uint16_t* words,
                            const std::function<void()>& underLock) const {
    UnderEditLock(indexPath_, [&] {
        if (underLock) underLock();
        CrashSafeRecordEdit journal(DirectoryPart(indexPath_));
        journal.Add(textPath_, int64_t(card) * geometry_.textBytes,
                    std::vector<uint8_t>(text, text + geometry_.textBytes));
        journal.Add(valuesPath_, int64_t(card) * geometry_.wordCount * 2,
                    EncodeWords(words, size_t(geometry_.wordCount)));
        journal.Commit();
    });
}

void CardFiles::RewriteWords(int32_t card, std::initializer_list<std::pair<int, uint16_t>> words) const {
    if (std::none_of(words.begin(), words.end(),
                     [&](const auto& w) { return w.first >= 1 && w.first <= geometry_.wordCount; }))
        return;
    UnderEditLock(indexPath_, [&] {
        std::vector<uint16_t> values(size_t(geometry_.wordCount));
        if (!ReadValues(card, values.data())) ThrowIo(kReadPastEnd, valuesPath_);
        for (const auto& [word, value] : words)
            if (word >= 1 && word <= geometry_.wordCount) values[size_t(word - 1)] = value;
        CrashSafeRecordEdit journal(DirectoryPart(indexPath_));
        journal.Add(valuesPath_, int64_t(card) * geometry_.wordCount * 2,
                    EncodeWords(values.data(), values.size()));
        journal.Commit();
    });
}

int32_t CardFiles::AppendCard(const uint8_t* text, const uint16_t* words,
                              const std::function<void()>& underLock) const {
    CardRecords card{geometry_};
    return AppendCards(card, [&] {
        if (underLock) underLock();
        card.Add(text, words);
    });
}

void CardFiles::WriteCards(int32_t first, const CardRecords& cards, bool createMissing) const {
    if (cards.count <= 0) return;
    // Card records first and on disk; the caller raises the index only after this. The numbers
    // go before the text, so that the text file never holds more cards than the numbers file:
    // the opening takes a text file that does for one cut to another card size.
    const auto mode = createMissing ? RecordFile::Mode::OpenOrCreate : RecordFile::Mode::ReadWrite;
    WriteRecords(valuesPath_, kCardValueRecordBytes, int64_t(first) * geometry_.ValueRecords(),
                 cards.values.data(), int64_t(cards.count) * geometry_.ValueRecords(), mode, true);
    WriteRecords(textPath_, kCardTextRecordBytes, int64_t(first) * geometry_.TextRecords(), cards.text.data(),
                 int64_t(cards.count) * geometry_.TextRecords(), mode, true);
}

CardRecords CardFiles::ReadCards(int32_t first, int32_t count) const {
    CardRecords cards{geometry_};
    if (count <= 0) return cards;
    cards.count = count;
    cards.text.resize(size_t(count) * size_t(geometry_.textBytes));
    cards.values.resize(size_t(count) * size_t(geometry_.wordCount) * 2);
    RecordFile(textPath_, kCardTextRecordBytes, RecordFile::Mode::Read)
        .Read(int64_t(first) * geometry_.TextRecords(), cards.text.data(),
              int64_t(count) * geometry_.TextRecords());
    RecordFile(valuesPath_, kCardValueRecordBytes, RecordFile::Mode::Read)
        .Read(int64_t(first) * geometry_.ValueRecords(), cards.values.data(),
              int64_t(count) * geometry_.ValueRecords());
    return cards;
}

int32_t CardFiles::AppendCards(const CardRecords& cards, const std::function<void()>& underLock) const {
    FileLock lock(indexPath_);
    RecordFile index(indexPath_, kIndexRecordBytes, RecordFile::Mode::ReadWrite);
    if (!lock.Locked()) ThrowIo(kAccessDenied, indexPath_);
    RefusePendingCommits(DirectoryPart(indexPath_));
    if (underLock) underLock();
    uint8_t bytes[kIndexRecordBytes];
    index.Read(0, bytes);
    const int32_t last = GetI32(bytes);
    if (last < -1 || last > kLastCardNumber) ThrowIo(kInvalidNumber, indexPath_);
    if (int64_t(last) + cards.count > kLastCardNumber) RefuseFullArchive(indexPath_);
    const int32_t first = last + 1;
    // A crash before the index is raised leaves the old count: the block is not counted at all.
    WriteCards(first, cards);
    PutI32(bytes, last + cards.count);
    try {
        index.Write(0, bytes);
        index.Sync();
    } catch (const IoError&) {
        // A raised index that failed to sync may still count the block: put back, so that a
        // failure told counts nothing.
        PutI32(bytes, last);
        try {
            index.Write(0, bytes);
            index.Sync();
        } catch (const IoError&) {
        }
        throw;
    }
    return first;
}

void CardRecords::Add(const uint8_t* cardText, const uint16_t* words) {
    text.insert(text.end(), cardText, cardText + geometry.textBytes);
    const size_t at = values.size();
    values.resize(at + size_t(geometry.wordCount) * 2);
    for (int i = 0; i < geometry.wordCount; ++i) PutU16(&values[at + 2 * size_t(i)], words[i]);
    ++count;
}

void CardRecords::Clear() {
    text.clear();
    values.clear();
    count = 0;
}

int32_t CardRecords::BlockCards() const {
    const int64_t cardBytes = std::max(geometry.textBytes + geometry.wordCount * 2, 1);
    return int32_t(std::clamp<int64_t>(kBlockByteLimit / cardBytes, 1, kBlockCardLimit));
}

int FieldWordCount(int type) {
    switch (type) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
        case FieldType::kMunicipality:
        case FieldType::kNumber:
        case FieldType::kTime:
        case FieldType::kPercent:
            return 1;
        case FieldType::kDate:
            return 3;
        case FieldType::kNumber32:
            return 2;
        default:
            return 0;
    }
}

std::vector<uint16_t> EmptyCardValues(const CardGeometry& geometry) {
    const int words = geometry.wordCount;
    std::vector<uint16_t> empty(size_t(std::max(words, 0)), 0);
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= fields; ++f) {
        const int p = FieldPositions[f];
        switch (FieldTypes[f]) {
            case FieldType::kNumber:
            case FieldType::kTime:
            case FieldType::kPercent:
                if (p >= 1 && p <= words) empty[p - 1] = kEmptyWord;
                break;
            case FieldType::kNumber32:
                if (p >= 1 && p + 1 <= words) EncodeCardNumber(kEmptyNumber, empty[p - 1], empty[p]);
                break;
            default:
                break;
        }
    }
    return empty;
}

int32_t NewCardNumber() {
    return int32_t(std::clamp<int64_t>(int64_t(CoreState.LastCard) + 1, 0, INT32_MAX));
}

void ReadCardText() {
    if (CoreState.CurrentCard > CoreState.LastCard) {
        ClearCardFields(1, CoreState.FieldCount);
        return;
    }
    if (CoreState.CurrentCard < 0) return;
    if (!CardFiles::Current().ReadText(CoreState.CurrentCard, &CurrentCardText[1]))
        ClearCardFields(1, CoreState.FieldCount);
}

void ReadCardValues() {
    if (CoreState.CurrentCard > CoreState.LastCard) {
        SetEmptyValues();
    } else if (CoreState.CurrentCard >= 0) {
        // A numeric file shorter than the text file must not leave the previous card's words,
        // which a save would then store into this card.
        if (!CardFiles::Current().ReadValues(CoreState.CurrentCard, &CurrentCardValues[1])) SetEmptyValues();
    }
    CoreState.FirstCardWord = CurrentCardValues[1];
}

void ReadCardInHandAfterJob() {
    try {
        ReadCardText();
        ReadCardValues();
    } catch (const IoError& e) {
        ReportIoError(e);
    }
}

void WriteCardText() {
    CardFiles::Current().WriteText(CoreState.CurrentCard, &CurrentCardText[1]);
}
void WriteCardValues() {
    CardFiles::Current().WriteValues(CoreState.CurrentCard, &CurrentCardValues[1]);
}
void CreateCardTextFile() {
    CardFiles::Current().WriteText(CoreState.CurrentCard, &CurrentCardText[1], true);
}
void CreateCardValuesFile() {
    CardFiles::Current().WriteValues(CoreState.CurrentCard, &CurrentCardValues[1], true);
}

void SaveCurrentCard() {
    if (!ArchiveWritable() || CoreState.CardWindowMode != kEntryMode || !CardHasData()) return;
    if (CoreState.CurrentCard <= CoreState.LastCard) {
        CardFiles::Current().RewriteCard(CoreState.CurrentCard, &CurrentCardText[1], &CurrentCardValues[1],
                                         SettleCardNotes);
        CardNotesStored();
        return;
    }
    // Numbered from the file, so cards appended meanwhile by another station are counted.
    const int32_t card =
        CardFiles::Current().AppendCard(&CurrentCardText[1], &CurrentCardValues[1], SettleCardNotes);
    CardNotesStored();
    CoreState.LastCard = card;
    CoreState.CurrentCard = card;
}

void ClearCardFields(int first, int last) {
    if (first == 1 && last == CoreState.FieldCount) {
        // The whole card: also any byte no field owns, and the notes head.
        std::fill(&CurrentCardValues[1], &CurrentCardValues[1] + std::max(WordLimit() - kNotesHeadWords, 0),
                  0);
        std::fill(&CurrentCardText[1], &CurrentCardText[1] + TextLimit(), 0);
        SetNotesHead(0);
    }
    for (int f = std::max(first, 1); f <= std::min(last, kMaxFields); ++f) ClearField(f);
}

bool CardHasData() {
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= fields; ++f)
        if (IsFieldFilled(f)) return true;
    // Notes typed on an otherwise blank card are kept with it.
    return fields >= 1 && GetNotesHead() > 0;
}

bool CheckRequiredFields() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kRequiredFields))) return false;
    TextBuilder report;
    report.Line(LoadText(kMissingFieldsText)).Line();
    bool missing = false;
    while (!in.Eof()) {
        const std::string line = in.ReadLine(255);
        const int f = RequiredFieldNumber(line);
        if (!ValidField(f)) continue;
        const bool filled =
            TypeOfField(f).IsText() ? IsTextFilled(f) : f <= CoreState.FieldCount && IsFieldFilled(f);
        if (!filled) {
            report.Line(line);
            missing = true;
        }
    }
    report.Save(DataFilePath(data_file::kMissingFieldsReport));
    return missing;
}

int PutCardNumber(int32_t value, int field) {
    if (!ValidField(field)) return 0;
    const int p = FieldPositions[field];
    if (!WordInCard(p) || !WordInCard(p + 1)) return 0;
    EncodeCardNumber(value, CurrentCardValues[p], CurrentCardValues[p + 1]);
    return p;
}

int32_t GetCardNumber(int field) {
    if (!ValidField(field)) return kEmptyNumber;
    const int p = FieldPositions[field];
    if (!WordInCard(p) || !WordInCard(p + 1)) return kEmptyNumber;
    return DecodeCardNumber(CurrentCardValues[p], CurrentCardValues[p + 1]);
}

int16_t GetCardWord(int field) {
    CoreState.DateMonth = 0;
    CoreState.DateYear = 0;
    if (!ValidField(field)) return 0;
    const int p = FieldPositions[field];
    if (!WordInCard(p)) return 0;
    if (WordInCard(p + 1)) CoreState.DateMonth = int16_t(CurrentCardValues[p + 1]);
    if (WordInCard(p + 2)) CoreState.DateYear = int16_t(CurrentCardValues[p + 2]);
    return int16_t(CurrentCardValues[p]);
}

int32_t GetNotesHead() {
    const int words = WordLimit();
    if (words < kNotesHeadWords) return 0;
    return DecodeCardNumber(CurrentCardValues[words - 1], CurrentCardValues[words]);
}

void SetNotesHead(int32_t head) {
    const int words = WordLimit();
    if (words < kNotesHeadWords) return;
    EncodeCardNumber(head, CurrentCardValues[words - 1], CurrentCardValues[words]);
}

bool IsTabStopField(int field) {
    return TestMark(field, 1);
}
bool IsQuickEntryField(int field) {
    return TestMark(field, 2);
}
bool IsPlusOneField(int field) {
    return TestMark(field, 4);
}
bool IsCopyField(int field) {
    return TestMark(field, 8);
}
bool IsClearField(int field) {
    return TestMark(field, 16);
}
bool IsStatisticsField(int field) {
    return TestMark(field, 32);
}
bool IsReorderField(int field) {
    return TestMark(field, 64);
}

}  // namespace qv
