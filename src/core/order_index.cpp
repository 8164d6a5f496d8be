#include "core/order_index.h"

#include <algorithm>
#include <functional>

#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/comune_names.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/selected_cards.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kScanBlockCards = 1000;
constexpr int kKeyPadding = 12;
constexpr int kPaddedKeyLimit = 29;
constexpr char kUnknownLabel[] = "???";

// A value of 0 or more, zero-filled on the left to `width`, never cut.
std::string ZeroFilled(int64_t value, size_t width) {
    std::string s = std::to_string(value);
    if (s.size() < width) s.insert(0, width - s.size(), '0');
    return s;
}

// Numbers, times and percentages as keys that sort as the values do: the value moved by a
// fixed offset into 0..4294967295, zero-filled, so that negative values come before 0 and
// 12 after 2.
std::string NumericKey(int64_t value) {
    constexpr int64_t kOffset = int64_t(1) << 31;
    return ZeroFilled(std::clamp<int64_t>(value + kOffset, 0, 2 * kOffset - 1), 10);
}

// Characters up to the first zero byte, at most `limit`.
std::string UpToZero(const uint8_t* bytes, size_t available, size_t limit) {
    size_t n = 0;
    while (n < available && n < limit && bytes[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(bytes), n);
}

int LastCardToScan() {
    return std::max<int32_t>(CoreState.LastCard, -1);
}

int FieldLimit() {
    QV_ASSERT(CoreState.FieldCount >= 0 && CoreState.FieldCount <= kMaxFields);
    return std::clamp(CoreState.FieldCount, 0, kMaxFields);
}

// Visits cards 0..LastCard in blocks of one read each, from the text part or the numeric
// part. A card file that ends before the last card raises IoError.
using CardVisitor = std::function<void(int32_t card, const uint8_t* text, const uint16_t* words)>;

void ScanCards(bool textPart, Progress& progress, const CardVisitor& visit) {
    const int32_t last = LastCardToScan();
    progress.SetMaximum(std::max(last, 0));
    const CardGeometry g = CurrentCardGeometry();
    if (!textPart) {
        ForEachCardBlock(last, [&](int32_t first, int32_t count, int32_t found, const uint16_t* words) {
            for (int32_t k = 0; k < found; ++k) {
                progress.SetPosition(first + k);
                visit(first + k, nullptr, words + size_t(k) * size_t(g.wordCount));
            }
            if (found < count) ThrowIo(kReadPastEnd, DataFilePath(data_file::kCardValues));
        });
        return;
    }
    if (g.textBytes <= 0) ThrowIo(kReadPastEnd, DataFilePath(data_file::kCardText));
    RecordFile textFile(DataFilePath(data_file::kCardText), g.textBytes, RecordFile::Mode::Read);
    std::vector<uint8_t> text(size_t(kScanBlockCards) * size_t(g.textBytes));
    for (int32_t first = 0; first <= last; first += kScanBlockCards) {
        const int32_t count = std::min<int32_t>(kScanBlockCards, last - first + 1);
        const int32_t found = int32_t(textFile.ReadUpTo(first, text.data(), count));
        for (int32_t k = 0; k < found; ++k) {
            progress.SetPosition(first + k);
            visit(first + k, text.data() + size_t(k) * size_t(g.textBytes), nullptr);
        }
        if (found < count) ThrowIo(kReadPastEnd, DataFilePath(data_file::kCardText));
    }
}

// One word of a card's numeric part, 0 outside the card.
int16_t Word(const uint16_t* words, int position) {
    if (position < 1 || position > CurrentCardGeometry().wordCount) return 0;
    return int16_t(words[position - 1]);
}

void WriteKeyFile(const std::vector<std::string>& keys) {
    std::string out(keys.size() * kSortKeyRecordBytes, '\0');
    for (size_t n = 0; n < keys.size(); ++n)
        out.replace(n * kSortKeyRecordBytes, std::min<size_t>(keys[n].size(), kSortKeyMaxLength), keys[n]);
    WriteFileAtomic(DataFilePath(data_file::kSortKey), out);
}

void WriteCardNumbers(const std::string& path, const std::vector<int32_t>& cards) {
    std::string out;
    out.reserve(cards.size() * kOrderRecordBytes);
    for (int32_t c : cards) AppendI32(out, c);
    WriteFileAtomic(path, out);
}

void SortInto(const std::string& path, Progress& progress) {
    const std::vector<std::string> keys = ReadSortKeys(LastCardToScan() + 1);
    progress.SetMaximum(std::max(LastCardToScan(), 0));
    WriteCardNumbers(path, OrderBySortKeys(keys, progress));
}

}  // namespace

std::string AlphabeticalOrderFileName(int field) {
    std::string name = "ALFA.";
    name += char('0' + field / 100);
    name += char('0' + (field / 10) % 10);
    name += char('0' + field % 10);
    return name;
}

AlphaKeyBuilder::AlphaKeyBuilder(int field) : field_(field), type_(TypeOrNone(field)) {}

std::optional<std::vector<int32_t>> ReadAlphabeticalOrder(int field, size_t limit) {
    if (field <= 0) return std::nullopt;
    RecordFile file;
    if (!file.OpenIfExists(CoreState.ArchiveDir + AlphabeticalOrderFileName(field), kOrderRecordBytes,
                           RecordFile::Mode::Read))
        return std::nullopt;
    const int64_t entries =
        std::min<int64_t>(file.RecordCount(), int64_t(std::min<size_t>(limit, INT32_MAX)));
    std::string bytes(size_t(entries) * kOrderRecordBytes, '\0');
    const int64_t got = file.ReadUpTo(0, bytes.data(), entries);
    std::vector<int32_t> order(static_cast<size_t>(got));
    for (size_t i = 0; i < order.size(); ++i) order[i] = GetI32(Bytes(bytes) + kOrderRecordBytes * i);
    return order;
}

std::string AlphaKeyBuilder::LabelKey(int value) {
    if (value == 0) return {};
    const int count = FieldCategoryCount(field_);
    if (value < 0 || value > count) return kUnknownLabel;
    if (!labelsLoaded_) {
        labels_ = ReadAllNameRecords(DataFilePath(data_file::kLabel));
        labelsLoaded_ = true;
    }
    const int64_t record = int64_t(FieldFirstLabel[field_]) + value - 1;
    // A label the file does not hold is unknown, like a code beyond the field's labels.
    if (record < 0 || record >= int64_t(labels_.size())) return kUnknownLabel;
    return labels_[size_t(record)].substr(0, kSortKeyMaxLength);
}

std::string AlphaKeyBuilder::ComuneKey(int value) {
    if (value == 0) return {};
    if (!namesLoaded_) {
        names_ = ReadAllComuneNames();
        namesLoaded_ = true;
    }
    const int64_t record = int64_t(value) - 1;
    if (record < 0 || record >= int64_t(names_.size())) return kUnknownLabel;
    return names_[size_t(record)].substr(0, kSortKeyMaxLength);
}

std::string AlphaKeyBuilder::RawKey(const uint8_t* text, const uint16_t* words) {
    if (FieldType(type_).IsText()) {
        // The field's own bytes only: a full field must not run on into the next one.
        const int offset = FieldTextOffsets[field_];
        const int textBytes = CurrentCardGeometry().textBytes;
        if (offset < 1 || offset > textBytes) return {};
        const size_t available = size_t(std::min(FieldType(type_).TextWidth(), textBytes - offset + 1));
        return UpToZero(text + offset - 1, available, kSortKeyMaxLength);
    }
    const int p = FieldPositions[field_];
    const int16_t v = Word(words, p);
    switch (type_) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
            return LabelKey(v);
        case FieldType::kDate: {
            // yyyymmdd, so that 2/1927 comes before 12/1927.
            const int year = Word(words, p + 2);
            return ZeroFilled(std::clamp(year > 0 ? year + 1900 : year, 0, 9999), 4) +
                   ZeroFilled(std::clamp<int>(Word(words, p + 1), 0, 99), 2) +
                   ZeroFilled(std::clamp<int>(v, 0, 99), 2);
        }
        case FieldType::kMunicipality:
            return ComuneKey(v);
        case FieldType::kNumber:
            return uint16_t(v) == kEmptyWord ? std::string() : NumericKey(v);
        case FieldType::kTime:
            return uint16_t(v) == kEmptyWord ? "__:__." : NumericKey(v);
        case FieldType::kPercent:
            return uint16_t(v) == kEmptyWord ? "___.__%" : NumericKey(v);
        case FieldType::kNumber32: {
            const int wordCount = CurrentCardGeometry().wordCount;
            if (p < 1 || p + 1 > wordCount) return {};
            const int32_t number = DecodeCardNumber(words[p - 1], words[p]);
            return number == kEmptyNumber ? std::string() : NumericKey(number);
        }
        default:
            return {};
    }
}

std::string AlphaKeyBuilder::Key(const uint8_t* text, const uint16_t* words) {
    std::string key = RawKey(text, words);
    for (int added = 0; added < kKeyPadding && int(key.size()) < kPaddedKeyLimit; ++added) key += ' ';
    if (key.size() > size_t(kSortKeyMaxLength)) key.resize(kSortKeyMaxLength);
    return key;
}

std::string TerritorialSortKey(const uint16_t* words) {
    return NumericKey(Word(words, 2));
}

std::vector<int32_t> OrderBySortKeys(const std::vector<std::string>& keys, Progress& progress) {
    std::vector<int32_t> order;
    std::vector<int32_t> rest;
    order.reserve(keys.size());
    for (size_t n = 0; n < keys.size(); ++n) {
        // A key beginning with a control byte would sort before the blank ones: it goes with them.
        if (keys[n].empty() || uint8_t(keys[n][0]) <= uint8_t(' '))
            order.push_back(int32_t(n));
        else
            rest.push_back(int32_t(n));
    }
    // One sort of all the keys, however many share their first characters; stable, so that
    // equal keys keep card order.
    std::stable_sort(rest.begin(), rest.end(),
                     [&](int32_t a, int32_t b) { return keys[size_t(a)] < keys[size_t(b)]; });
    order.insert(order.end(), rest.begin(), rest.end());
    if (!keys.empty()) progress.SetPosition(int(std::min<size_t>(keys.size(), INT32_MAX)) - 1);
    return order;
}

std::vector<std::string> ReadSortKeys(int32_t count) {
    std::vector<std::string> keys;
    if (count <= 0) return keys;
    const std::string path = DataFilePath(data_file::kSortKey);
    const std::string bytes = ReadFileOrThrow(path);
    if (bytes.size() < size_t(count) * kSortKeyRecordBytes) ThrowIo(kReadPastEnd, path);
    keys.reserve(size_t(count));
    for (int32_t n = 0; n < count; ++n)
        keys.push_back(
            UpToZero(Bytes(bytes) + size_t(n) * kSortKeyRecordBytes, kSortKeyRecordBytes, kSortKeyMaxLength));
    return keys;
}

void BuildAlphaSortKeys(Progress& progress) {
    AlphaKeyBuilder builder(CoreState.ListOrderField);
    std::vector<std::string> keys;
    ScanCards(builder.UsesText(), progress, [&](int32_t, const uint8_t* text, const uint16_t* words) {
        keys.push_back(builder.Key(text, words));
    });
    WriteKeyFile(keys);
}

void SortAlphabeticalOrder(Progress& progress) {
    SortInto(CoreState.ArchiveDir + AlphabeticalOrderFileName(CoreState.ListOrderField), progress);
}

void BuildTerritorialSortKeys(Progress& progress) {
    std::vector<std::string> keys;
    ScanCards(false, progress, [&](int32_t, const uint8_t*, const uint16_t* words) {
        keys.push_back(TerritorialSortKey(words));
    });
    WriteKeyFile(keys);
}

void SortTerritorialOrder(Progress& progress) {
    SortInto(DataFilePath(data_file::kTerritorialOrder), progress);
}

bool WriteTerritorialListFiles(Progress& progress) {
    TextReader list;
    if (!list.Open(DataFilePath(data_file::kListOutput))) return false;

    const int32_t count = LastCardToScan() + 1;
    const std::string orderPath = DataFilePath(data_file::kTerritorialOrder);
    const std::string orderBytes = ReadFileOrThrow(orderPath);
    if (orderBytes.size() < size_t(count) * kOrderRecordBytes) ThrowIo(kReadPastEnd, orderPath);

    // Words 1 and 2 of every card, gathered in one sequential pass.
    std::vector<int16_t> firstWords(size_t(std::max(count, 0))), codes(size_t(std::max(count, 0)));
    NoProgress quiet;
    ScanCards(false, quiet, [&](int32_t card, const uint8_t*, const uint16_t* words) {
        firstWords[size_t(card)] = Word(words, 1);
        codes[size_t(card)] = Word(words, 2);
    });

    // First and last positions by code; codes outside the tables have no entry.
    constexpr int kCodes = kTerritoryTableSize + 1;
    std::vector<int32_t> first(kCodes, 0), last(kCodes, 0);
    std::vector<bool> seen(kCodes, false);
    std::string lpn, lsg;
    lpn.reserve(size_t(count) * 12);
    lsg.reserve(size_t(count) * kListLineRecordBytes);
    progress.SetMaximum(std::max(count - 1, 0));
    for (int32_t p = 0; p < count; ++p) {
        progress.SetPosition(p);
        const int32_t card = GetI32(Bytes(orderBytes) + size_t(p) * kOrderRecordBytes);
        if (card < 0 || card >= count) ThrowIo(kInvalidNumber, orderPath);
        const int code = codes[size_t(card)];
        if (code >= 0 && code < kCodes) {
            // Position 0 is a real first position: "none yet" is kept apart from it.
            if (!seen[size_t(code)]) first[size_t(code)] = p;
            seen[size_t(code)] = true;
            last[size_t(code)] = p;
        }
        AppendI32(lpn, code);
        AppendI32(lpn, firstWords[size_t(card)]);
        AppendI32(lpn, card);
        std::string line = list.Eof() ? std::string() : list.ReadLine(kListLineRecordBytes - 1);
        line.resize(kListLineRecordBytes, '\0');
        lsg += line;
    }
    WriteFileAtomic(DataFilePath(data_file::kTerritorialSigleOrder), lsg);
    WriteFileAtomic(DataFilePath(data_file::kTerritorialPositions), lpn);

    std::string lif;
    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kCodes - 1);
    const int territories = std::clamp(TerritoryCount, 0, kCodes - 1);
    for (int code = 1; code <= territories; ++code) AppendI32(lif, first[size_t(code)]);
    for (int code = 1; code <= territories; ++code) AppendI32(lif, last[size_t(code)]);
    WriteFileAtomic(DataFilePath(data_file::kTerritorialFirstLast), lif);
    return true;
}

OrderOutcome BuildAlphabeticalOrder(Progress& progress) {
    if (CoreState.ListOrderField <= 0 || CoreState.ListOrderField > FieldLimit())
        return OrderOutcome::NoOrderField;
    BuildAlphaSortKeys(progress);
    SortAlphabeticalOrder(progress);
    return OrderOutcome::Done;
}

OrderOutcome BuildTerritorialOrder(Progress& progress) {
    BuildTerritorialSortKeys(progress);
    SortTerritorialOrder(progress);
    return WriteTerritorialListFiles(progress) ? OrderOutcome::Done : OrderOutcome::ListMissing;
}

}  // namespace qv
