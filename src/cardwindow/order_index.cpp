#include "cardwindow/order_index.h"

#include <algorithm>
#include <functional>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kScanBlockCards = 1000;
constexpr int kLabelRecordBytes = 61;
constexpr int kComuneRecordBytes = 38;
constexpr int kKeyPadding = 12;
constexpr int kPaddedKeyLimit = 29;
constexpr int kListLineWidth = 400;
constexpr char kUnknownLabel[] = "???";

// Str(value:width): right-aligned, never cut.
std::string RightAligned(int64_t value, size_t width) {
    std::string s = std::to_string(value);
    if (s.size() < width) s.insert(0, width - s.size(), ' ');
    return s;
}

std::string ZeroFilled(int64_t value, size_t width) {
    std::string s = RightAligned(value, width);
    std::replace(s.begin(), s.end(), ' ', '0');
    return s;
}

// Only a leading blank becomes a zero ("5" in two characters is "05", "-5" stays).
std::string LeadingZero(int64_t value) {
    std::string s = RightAligned(value, 2);
    if (s[0] == ' ') s[0] = '0';
    return s;
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
    return std::clamp(CoreState.FieldCount, 0, kMaxFields);
}

// Visits cards 0..LastCard in blocks of one read each, from the text part or the numeric
// part. A card file that ends before the last card raises IoError.
using CardVisitor = std::function<void(int32_t card, const uint8_t* text, const uint16_t* words)>;

void ScanCards(bool textPart, Progress& progress, const CardVisitor& visit) {
    const int32_t last = LastCardToScan();
    progress.SetMaximum(std::max(last, 0));
    const CardGeometry g = CurrentCardGeometry();
    std::vector<uint8_t> text;
    std::vector<uint16_t> words;
    RecordFile textFile;
    if (textPart) {
        if (g.textBytes <= 0) ThrowIo(kReadPastEnd, DataFilePath(4));
        textFile.Open(DataFilePath(4), g.textBytes, RecordFile::Mode::Read);
        text.resize(size_t(kScanBlockCards) * size_t(g.textBytes));
    } else {
        words.resize(size_t(kScanBlockCards) * size_t(std::max(g.wordCount, 1)));
    }
    for (int32_t first = 0; first <= last; first += kScanBlockCards) {
        const int32_t count = std::min<int32_t>(kScanBlockCards, last - first + 1);
        int32_t found;
        if (textPart)
            found = int32_t(textFile.ReadUpTo(first, text.data(), count));
        else
            found = ReadCardValuesBlock(first, count, words.data());
        for (int32_t k = 0; k < found; ++k) {
            progress.SetPosition(first + k);
            if (textPart)
                visit(first + k, text.data() + size_t(k) * size_t(g.textBytes), nullptr);
            else
                visit(first + k, nullptr, words.data() + size_t(k) * size_t(g.wordCount));
        }
        if (found < count) ThrowIo(kReadPastEnd, DataFilePath(textPart ? 4 : 5));
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
    WriteFileAtomic(DataFilePath(166), out);
}

void WriteCardNumbers(const std::string& path, const std::vector<int32_t>& cards) {
    std::string out;
    out.reserve(cards.size() * 4);
    for (int32_t c : cards) AppendI32(out, c);
    WriteFileAtomic(path, out);
}

void SortInto(const std::string& path, Progress& progress) {
    const std::vector<std::string> keys = ReadSortKeys(LastCardToScan() + 1);
    progress.SetMaximum(std::max(LastCardToScan(), 0));
    WriteCardNumbers(path, OrderBySortKeys(keys, CoreState.SortKeyLength, progress));
}

// Binary insertion as the order has always been built: among equal keys the new card goes
// before the equal entry the search meets, so the order of equal keys follows this search.
void InsertBySearch(std::vector<int32_t>& segment, int32_t card, const std::vector<std::string>& keys) {
    const int n = int(segment.size()) + 1;
    if (n == 1) {
        segment.push_back(card);
        return;
    }
    const std::string& key = keys[size_t(card)];
    // Positions are 1-based as in the search's own description.
    auto compare = [&](int position) { return key.compare(keys[size_t(segment[size_t(position - 1)])]); };
    int hi = n - 1, lo = 1;
    int mid, result;
    for (;;) {
        mid = (hi + lo) / 2;
        result = compare(mid);
        if (mid == lo && hi > lo && result > 0) {
            ++mid;
            result = compare(mid);
            break;
        }
        if (mid != lo && mid != hi && result != 0) {
            (result < 0 ? hi : lo) = mid;
            continue;
        }
        break;
    }
    const int at = result > 0 ? mid + 1 : mid;
    segment.insert(segment.begin() + (at - 1), card);
}

}  // namespace

std::string AlphabeticalOrderFileName(int field) {
    std::string name = "ALFA.";
    name += char('0' + field / 100);
    name += char('0' + (field / 10) % 10);
    name += char('0' + field % 10);
    return name;
}

AlphaKeyBuilder::AlphaKeyBuilder(int field)
    : field_(field), type_(field >= 1 && field <= kMaxFields ? FieldTypes[field] : 99) {}

std::string AlphaKeyBuilder::LabelKey(int value) {
    if (value == 0) return {};
    const int count = FieldLastLabel[field_] - FieldFirstLabel[field_] + 1;
    if (value < 0 || value > count) return kUnknownLabel;
    if (!labelsLoaded_) {
        labels_ = ReadFileOrThrow(DataFilePath(23));
        labelsLoaded_ = true;
    }
    const int64_t record = int64_t(FieldFirstLabel[field_]) + value - 1;
    // A label the file does not hold is unknown, like a code beyond the field's labels.
    if (record < 0 || (record + 1) * kLabelRecordBytes > int64_t(labels_.size())) return kUnknownLabel;
    return UpToZero(Bytes(labels_) + record * kLabelRecordBytes, kLabelRecordBytes, kSortKeyMaxLength);
}

std::string AlphaKeyBuilder::ComuneKey(int value) {
    if (value == 0) return {};
    if (!namesLoaded_) {
        names_ = ReadFileOrThrow(DataFilePath(45));
        namesLoaded_ = true;
    }
    const int64_t record = int64_t(value) - 1;
    if (record < 0 || (record + 1) * kComuneRecordBytes > int64_t(names_.size())) return kUnknownLabel;
    const uint8_t* r = Bytes(names_) + record * kComuneRecordBytes;
    const size_t length = std::min<size_t>(r[0], kComuneRecordBytes - 1);
    return std::string(reinterpret_cast<const char*>(r + 1), std::min<size_t>(length, kSortKeyMaxLength));
}

std::string AlphaKeyBuilder::RawKey(const uint8_t* text, const uint16_t* words) {
    if (type_ < 0) {
        // The field's own bytes only: a full field must not run on into the next one.
        const int offset = FieldTextOffsets[field_];
        const int textBytes = CurrentCardGeometry().textBytes;
        if (offset < 1 || offset > textBytes) return {};
        const size_t available = size_t(std::min(-type_, textBytes - offset + 1));
        return UpToZero(text + offset - 1, available, kSortKeyMaxLength);
    }
    const int p = FieldPositions[field_];
    const int16_t v = Word(words, p);
    switch (type_) {
        case 0:
        case 1:
            return LabelKey(v);
        case 2: {
            const int year = Word(words, p + 2);
            return std::to_string(year > 0 ? year + 1900 : year) + std::to_string(Word(words, p + 1)) +
                   std::to_string(v);
        }
        case 3:
            return ComuneKey(v);
        case 4:
            return uint16_t(v) == kEmptyWord ? std::string() : ZeroFilled(v, 10);
        case 5:
            if (uint16_t(v) == kEmptyWord) return "__:__.";
            return LeadingZero(v / 100) + ":" + LeadingZero(v % 100) + ".";
        case 6:
            if (uint16_t(v) == kEmptyWord) return "___.__%";
            return RightAligned(v / 100, 3) + "." + LeadingZero(v % 100) + "%";
        case 7: {
            const int wordCount = CurrentCardGeometry().wordCount;
            if (p < 1 || p + 1 > wordCount) return {};
            const int32_t number = DecodeCardNumber(words[p - 1], words[p]);
            return number == kEmptyNumber ? std::string() : ZeroFilled(number, 10);
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
    return ZeroFilled(Word(words, 2), 4);
}

std::vector<int32_t> OrderBySortKeys(const std::vector<std::string>& keys, int keyLength,
                                     Progress& progress) {
    // Without a chosen length every key would share one segment and the blank keys would be
    // listed twice; one character is the smallest sensible segment.
    const size_t length = size_t(std::clamp(keyLength, 1, 4));
    std::vector<int32_t> order;
    std::vector<int32_t> rest;
    order.reserve(keys.size());
    for (size_t n = 0; n < keys.size(); ++n) {
        // A key beginning with a control byte would fall in no segment: it goes with the blank ones.
        if (keys[n].empty() || uint8_t(keys[n][0]) <= uint8_t(' '))
            order.push_back(int32_t(n));
        else
            rest.push_back(int32_t(n));
    }
    // The segments in ascending order of their prefix; inside one, cards in card order.
    auto prefix = [&](int32_t card) { return std::string_view(keys[size_t(card)]).substr(0, length); };
    std::stable_sort(rest.begin(), rest.end(), [&](int32_t a, int32_t b) { return prefix(a) < prefix(b); });
    int placed = 0;
    std::vector<int32_t> segment;
    for (size_t i = 0; i < rest.size();) {
        size_t end = i;
        while (end < rest.size() && prefix(rest[end]) == prefix(rest[i])) ++end;
        segment.clear();
        for (size_t j = i; j < end; ++j) {
            InsertBySearch(segment, rest[j], keys);
            progress.SetPosition(++placed);
        }
        order.insert(order.end(), segment.begin(), segment.end());
        i = end;
    }
    return order;
}

std::vector<std::string> ReadSortKeys(int32_t count) {
    std::vector<std::string> keys;
    if (count <= 0) return keys;
    const std::string path = DataFilePath(166);
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
    SortInto(DataFilePath(167), progress);
}

bool WriteTerritorialListFiles(Progress& progress) {
    TextReader list;
    if (!list.Open(DataFilePath(99))) return false;

    const int32_t count = LastCardToScan() + 1;
    const std::string orderPath = DataFilePath(167);
    const std::string orderBytes = ReadFileOrThrow(orderPath);
    if (orderBytes.size() < size_t(count) * 4) ThrowIo(kReadPastEnd, orderPath);

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
        const int32_t card = GetI32(Bytes(orderBytes) + size_t(p) * 4);
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
        std::string line = list.Eof() ? std::string() : list.ReadLine(kListLineWidth);
        line.resize(kListLineRecordBytes, '\0');
        lsg += line;
    }
    WriteFileAtomic(DataFilePath(168), lsg);
    WriteFileAtomic(DataFilePath(170), lpn);

    std::string lif;
    const int territories = std::clamp(TerritoryCount, 0, kCodes - 1);
    for (int code = 1; code <= territories; ++code) AppendI32(lif, first[size_t(code)]);
    for (int code = 1; code <= territories; ++code) AppendI32(lif, last[size_t(code)]);
    WriteFileAtomic(DataFilePath(171), lif);
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
