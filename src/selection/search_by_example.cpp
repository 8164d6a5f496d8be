#include "selection/search_by_example.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "core/order_index.h"
#include "core/selection_files.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"

namespace qv {

namespace {

constexpr char kDefaultSearchCriteria[] = "1,2,3,";
// Keys of the alphabetical and any-field kinds are cut to this length.
constexpr size_t kKeyLength = 50;
// Scans read cards in blocks that grow from a few cards up to about a megabyte, so that a step
// that finds the next card at once (a list of dense matches) reads little.
constexpr int32_t kFirstBlockCards = 16;
constexpr size_t kBlockBytes = size_t(1) << 20;

uint8_t Fold(uint8_t b) {
    return b >= 'a' && b <= 'z' ? uint8_t(b - 32) : b;
}

int FieldLimit() {
    QV_ASSERT(CoreState.FieldCount >= 0 && CoreState.FieldCount <= kMaxFields);
    return std::clamp(CoreState.FieldCount, 0, kMaxFields);
}

// The text bytes of a text field inside the card's text, as offset (1-based) and length.
bool TextFieldSpan(int field, const CardGeometry& g, int& offset, int& length) {
    offset = FieldTextOffsets[field];
    length = std::min(TypeOfField(field).TextWidth(), g.textBytes - offset + 1);
    return TypeOfField(field).IsText() && offset >= 1 && length > 0;
}

// Characters of a field from `text` (text[0] = byte 1) up to the first zero byte.
std::string FieldText(const uint8_t* text, int offset, int length) {
    const uint8_t* first = text + offset - 1;
    const uint8_t* end = std::find(first, first + length, uint8_t(0));
    return std::string(first, end);
}

bool WordsInCard(int position, int count, const CardGeometry& g) {
    return position >= 1 && position + count - 1 <= g.wordCount;
}

// Whether a value field of the mask is filled; fields whose words lie outside the card never are.
bool IsMaskValueFilled(int field, const CardGeometry& g) {
    const int p = FieldPositions[field];
    auto word = [&](int i) { return int16_t(SavedCardValues[size_t(p + i)]); };
    switch (FieldTypes[field]) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
        case FieldType::kMunicipality:
            return WordsInCard(p, 1, g) && word(0) >= 1;
        case FieldType::kDate:
            return WordsInCard(p, 3, g) && (word(0) >= 1 || word(1) >= 1 || word(2) >= 1);
        case FieldType::kNumber:
        case FieldType::kTime:
        case FieldType::kPercent:
            return WordsInCard(p, 1, g) && word(0) >= -31999;
        case FieldType::kNumber32:
            return WordsInCard(p, 2, g) &&
                   DecodeCardNumber(SavedCardValues[size_t(p)], SavedCardValues[size_t(p + 1)]) >= -9999998;
        default:
            return false;
    }
}

void AddMaskValueField(SearchMask& mask, int field) {
    mask.MaskValueFields.push_back(int16_t(field));
}

void PutMaskBack() {
    CurrentCardText = SavedCardText;
    CurrentCardValues = SavedCardValues;
}

void LoadFoundCard(int32_t card) {
    CoreState.CurrentCard = card;
    ReadCardText();
    ReadCardValues();
    CoreState.SearchEnded = 0;
}

void EndWithoutMatch() {
    PutMaskBack();
    CoreState.SearchEnded = 1;
}

// The card parts a scan needs, read in blocks straight from the card files.
class CardBlocks {
  public:
    CardBlocks(bool text, bool values) : geometry_(CurrentCardGeometry()) {
        if (text)
            textFile_.Open(DataFilePath(data_file::kCardText), kCardTextRecordBytes, RecordFile::Mode::Read);
        if (values)
            valuesFile_.Open(DataFilePath(data_file::kCardValues), kCardValueRecordBytes,
                             RecordFile::Mode::Read);
        const size_t cardBytes = size_t(geometry_.textBytes) + 2 * size_t(geometry_.wordCount);
        maxCards_ = int32_t(std::max<size_t>(1, kBlockBytes / std::max<size_t>(cardBytes, 1)));
    }

    // Reads up to the next block of cards from `first`, not past `last`; answers how many cards
    // every opened file holds whole. A file that ends early ends the scan there: cards past its
    // end are empty and match no filled mask.
    int32_t Read(int32_t first, int32_t last) {
        const int32_t want = int32_t(std::min<int64_t>(int64_t(last) - first + 1, blockCards_));
        blockCards_ = std::min(maxCards_, blockCards_ * 2);
        int32_t got = want;
        if (textFile_.IsOpen()) {
            const int r = geometry_.TextRecords();
            text_.resize(size_t(want) * size_t(geometry_.textBytes));
            got = std::min<int32_t>(
                got, int32_t(textFile_.ReadUpTo(int64_t(first) * r, text_.data(), int64_t(want) * r) /
                             std::max(r, 1)));
        }
        if (valuesFile_.IsOpen()) {
            const int r = geometry_.ValueRecords();
            raw_.resize(size_t(want) * size_t(geometry_.wordCount) * 2);
            const int32_t cards = int32_t(
                valuesFile_.ReadUpTo(int64_t(first) * r, raw_.data(), int64_t(want) * r) / std::max(r, 1));
            got = std::min(got, cards);
            words_.resize(size_t(cards) * size_t(geometry_.wordCount));
            for (size_t i = 0; i < words_.size(); ++i) words_[i] = GetU16(raw_.data() + 2 * i);
        }
        return got;
    }

    // Card k of the block; a part not read points at the card in hand, which the mask leaves
    // untested.
    uint8_t* Text(int32_t k) {
        return textFile_.IsOpen() ? text_.data() + size_t(k) * size_t(geometry_.textBytes)
                                  : &CurrentCardText[1];
    }
    const uint16_t* Words(int32_t k) const {
        return valuesFile_.IsOpen() ? words_.data() + size_t(k) * size_t(geometry_.wordCount)
                                    : &CurrentCardValues[1];
    }
    const CardGeometry& Geometry() const { return geometry_; }

  private:
    CardGeometry geometry_;
    RecordFile textFile_;
    RecordFile valuesFile_;
    int32_t blockCards_ = kFirstBlockCards;
    int32_t maxCards_ = 1;
    std::vector<uint8_t> text_;
    std::vector<uint8_t> raw_;
    std::vector<uint16_t> words_;
};

// The first card from `start` to LastCard for which `test` holds, or nullopt.
template <typename Test>
std::optional<int32_t> ScanCards(CardBlocks& blocks, int32_t start, Progress& progress, const Test& test) {
    const int32_t last = CoreState.LastCard;
    for (int32_t c = start; c <= last;) {
        const int32_t got = blocks.Read(c, last);
        for (int32_t k = 0; k < got; ++k)
            if (test(blocks, k)) {
                progress.SetPosition(std::min(c + k + 1, last));
                return c + k;
            }
        c += got;
        progress.SetPosition(std::min(c, last));
        if (got == 0) break;
    }
    return std::nullopt;
}

void SearchSequential(const SearchMask& mask, int32_t start, Progress& progress) {
    CardBlocks blocks(mask.HasText(), mask.HasValue());
    const auto found = ScanCards(blocks, start, progress, [&mask](CardBlocks& b, int32_t k) {
        return CardMatches(mask, b.Text(k), b.Words(k));
    });
    if (found)
        LoadFoundCard(*found);
    else
        EndWithoutMatch();
}

void SearchAnyField(const SearchMask& mask, int32_t start, Progress& progress) {
    if (!mask.HasText()) return;
    // The first text of the mask, without trailing blanks.
    std::string wanted = mask.MaskTexts.front().substr(0, kKeyLength);
    while (!wanted.empty() && uint8_t(wanted.back()) <= ' ') wanted.pop_back();
    if (wanted.empty()) return;
    const std::boyer_moore_horspool_searcher searcher(wanted.begin(), wanted.end());

    CardBlocks blocks(true, false);
    const size_t bytes = size_t(blocks.Geometry().textBytes);
    const auto found = ScanCards(blocks, start, progress, [&](CardBlocks& b, int32_t k) {
        // Zero bytes read as blanks, so a text may run on from one field into the next.
        char* text = reinterpret_cast<char*>(b.Text(k));
        std::replace(text, text + bytes, '\0', ' ');
        return std::search(text, text + bytes, searcher) != text + bytes;
    });
    if (found)
        LoadFoundCard(*found);
    else
        EndWithoutMatch();
}

// The alphabetical order index of the key field, with the key texts of the cards it names.
class IndexedTexts {
  public:
    bool Open(int field) {
        field_ = field;
        if (!index_.OpenIfExists(CoreState.ArchiveDir + AlphabeticalOrderFileName(field), kOrderRecordBytes,
                                 RecordFile::Mode::Read))
            return false;
        positions_ = std::min<int64_t>(index_.RecordCount(), int64_t(CoreState.LastCard) + 1);
        return true;
    }
    int64_t Positions() const { return positions_; }

    // ReadIndexedCard: the card number at position p (1-based) and its key text, at most 50
    // characters up to the first zero. A number that names no card of the archive reads as an
    // empty text, so a stale index never yields a card that does not exist.
    const std::string& TextAt(int64_t p) {
        if (p == cachedPosition_) return cachedText_;
        uint8_t bytes[kOrderRecordBytes];
        index_.Read(p - 1, bytes);
        cachedPosition_ = p;
        cachedCard_ = GetI32(bytes);
        cachedText_ = CardKeyText(cachedCard_);
        return cachedText_;
    }
    int32_t CardAt(int64_t p) {
        TextAt(p);
        return cachedCard_;
    }

  private:
    std::string CardKeyText(int32_t card) {
        const CardGeometry g = CurrentCardGeometry();
        int offset, length;
        if (card < 0 || card > CoreState.LastCard || !TextFieldSpan(field_, g, offset, length)) return {};
        if (!cardText_.IsOpen())
            cardText_.Open(DataFilePath(data_file::kCardText), kCardTextRecordBytes, RecordFile::Mode::Read);
        // Only the records that hold the field.
        const int64_t firstRecord = int64_t(card) * g.TextRecords() + (offset - 1) / kCardTextRecordBytes;
        const int lastRecord = (offset + length - 2) / kCardTextRecordBytes;
        const int records = lastRecord - (offset - 1) / kCardTextRecordBytes + 1;
        buffer_.assign(size_t(records) * kCardTextRecordBytes, 0);
        if (cardText_.ReadUpTo(firstRecord, buffer_.data(), records) < records) return {};
        const int start = (offset - 1) % kCardTextRecordBytes;
        std::string text = FieldText(buffer_.data() + start, 1, length);
        if (text.size() > kKeyLength) text.resize(kKeyLength);
        return text;
    }

    int field_ = 0;
    RecordFile index_;
    RecordFile cardText_;
    int64_t positions_ = 0;
    int64_t cachedPosition_ = 0;
    int32_t cachedCard_ = -1;
    std::string cachedText_;
    std::vector<uint8_t> buffer_;
};

std::string AlphabeticKey(const SearchMask& mask) {
    std::string key = mask.MaskTexts.front();
    if (key.size() > kKeyLength) key.resize(kKeyLength);
    return key;
}

bool BeginsWith(const std::string& text, const std::string& key) {
    return text.compare(0, key.size(), key) == 0;
}

void SearchAlphabeticFirst(const SearchMask& mask) {
    CoreState.ProceedFlag = 0;
    if (!mask.HasText()) return;
    IndexedTexts index;
    if (!index.Open(mask.MaskTextFields.front())) return;
    const int32_t c0 = CoreState.CurrentCard;
    CoreState.ProceedFlag = 1;
    const std::string key = AlphabeticKey(mask);
    // The first position whose text is not below the key (byte order); the texts that begin
    // with the key, when any, start there.
    int64_t low = 1, high = index.Positions() + 1;
    while (low < high) {
        const int64_t mid = low + (high - low) / 2;
        if (index.TextAt(mid) < key)
            low = mid + 1;
        else
            high = mid;
    }
    if (low <= index.Positions() && BeginsWith(index.TextAt(low), key)) {
        CoreState.FoundIndexPosition = int32_t(low);
        LoadFoundCard(index.CardAt(low));
        return;
    }
    EndWithoutMatch();
    CoreState.FoundIndexPosition = -1;
    CoreState.CurrentCard = c0;
}

void SearchAlphabeticNext(const SearchMask& mask) {
    const int32_t c0 = CoreState.CurrentCard;
    CoreState.ProceedFlag = 0;
    if (!mask.HasText()) return;
    IndexedTexts index;
    if (!index.Open(mask.MaskTextFields.front()) || CoreState.FoundIndexPosition < 0) return;
    CoreState.ProceedFlag = 1;
    const std::string key = AlphabeticKey(mask);
    const int64_t p = int64_t(CoreState.FoundIndexPosition) + 1;
    if (p <= index.Positions() && BeginsWith(index.TextAt(p), key)) {
        CoreState.FoundIndexPosition = int32_t(p);
        LoadFoundCard(index.CardAt(p));
        return;
    }
    EndWithoutMatch();
    CoreState.FoundIndexPosition = -1;
    CoreState.CurrentCard = c0;
}

}  // namespace

SearchMask PrepareSearchMask() {
    const int fields = FieldLimit();
    const CardGeometry g = CurrentCardGeometry();
    SearchMask mask;
    mask.AnswerGroupHead.assign(size_t(fields) + 1, 0);
    mask.AnswerGroupSize.assign(size_t(fields) + 1, 0);

    // A field of type 0 followed by fields of type 1: every field of the group learns its
    // head and the number of further answers.
    int head = 0, further = 0;
    auto closeGroup = [&](int end) {
        if (head > 0 && further > 0)
            for (int f = head; f < end; ++f) {
                mask.AnswerGroupHead[size_t(f)] = int16_t(head);
                mask.AnswerGroupSize[size_t(f)] = int16_t(further);
            }
    };
    for (int f = 1; f <= fields; ++f) {
        if (FieldTypes[f] == FieldType::kFurtherAnswer) {
            if (head > 0) ++further;
            continue;
        }
        closeGroup(f);
        head = f;
        further = 0;
    }
    closeGroup(fields + 1);

    for (int f = 1; f <= fields; ++f) {
        if (TypeOfField(f).IsText()) {
            int offset, length;
            if (!TextFieldSpan(f, g, offset, length)) continue;
            std::string text = FieldText(&SavedCardText[1], offset, length);
            // Filled when the text sorts after "!": not empty, not led by a blank or control.
            const bool filled =
                !text.empty() && (uint8_t(text[0]) > '!' || (text[0] == '!' && text.size() > 1));
            if (filled) {
                mask.MaskTextFields.push_back(int16_t(f));
                mask.MaskTexts.push_back(std::move(text));
            }
        } else if (IsMaskValueFilled(f, g)) {
            AddMaskValueField(mask, f);
        }
    }
    return mask;
}

bool CardMatches(const SearchMask& mask, const uint8_t* text, const uint16_t* words) {
    for (size_t i = 0; i < mask.MaskTextFields.size(); ++i) {
        const std::string& wanted = mask.MaskTexts[i];
        const uint8_t* have = text + FieldTextOffsets[mask.MaskTextFields[i]] - 1;
        for (size_t j = 0; j < wanted.size(); ++j)
            if (have[j] == 0 || Fold(have[j]) != Fold(uint8_t(wanted[j]))) return false;
    }
    const CardGeometry g = CurrentCardGeometry();
    const int fields = int(mask.AnswerGroupHead.size()) - 1;
    for (const int16_t f : mask.MaskValueFields) {
        const int p = FieldPositions[f];
        const uint16_t* card = words + p - 1;
        const uint16_t* want = &SavedCardValues[size_t(p)];
        const FieldType type = FieldTypes[f];
        const int head = mask.AnswerGroupHead[size_t(f)];
        if (type.IsAnswer() && head > 0) {
            // Any answer of the group may hold it.
            bool present = false;
            const int end = std::min(head + int(mask.AnswerGroupSize[size_t(f)]), fields);
            for (int h = head; h <= end && !present; ++h) {
                const int q = FieldPositions[h];
                present = WordsInCard(q, 1, g) && words[q - 1] == want[0];
            }
            if (!present) return false;
        } else if (type == FieldType::kDate) {
            for (int i = 0; i < 3; ++i)
                if (int16_t(want[i]) > 0 && card[i] != want[i]) return false;
        } else if (type == FieldType::kNumber32) {
            if (card[0] != want[0] || card[1] != want[1]) return false;
        } else if (card[0] != want[0]) {
            return false;
        }
    }
    return true;
}

bool CardMatchesMask(const SearchMask& mask) {
    return CardMatches(mask, &CurrentCardText[1], &CurrentCardValues[1]);
}

void RestoreSearchMask() {
    if (CoreState.SearchFormSaved)
        PutMaskBack();
    else
        ClearCardFields(1, CoreState.FieldCount);
}

void SearchStep(Progress& progress) {
    if (!CoreState.SearchAsList) progress.SetMaximum(CoreState.LastCard);
    CoreState.ProceedFlag = 1;
    const bool continuing = CoreState.SearchEnded == 0;
    int64_t start;
    if (continuing) {
        start = int64_t(CoreState.CurrentCard) + 1;
        PutMaskBack();
    } else {
        SavedCardText = CurrentCardText;
        SavedCardValues = CurrentCardValues;
        start = CoreState.SearchFromFirst ? 0 : int64_t(CoreState.CurrentCard) + 1;
    }
    // The alphabetical kind goes on from its index position, whatever the number of the card
    // found last: the card after it by number says nothing about the next one in the order.
    const bool alphabeticNext = continuing && CoreState.SearchKind == kAlphabeticalSearch;
    if (!alphabeticNext && start > CoreState.LastCard) {
        PutMaskBack();
        CoreState.SearchEnded = 1;
        CoreState.FoundIndexPosition = -1;
        CoreState.CurrentCard = int32_t(std::min<int64_t>(start, INT32_MAX));
        return;
    }
    const SearchMask mask = PrepareSearchMask();
    CoreState.SearchFormSaved = 1;
    switch (CoreState.SearchKind) {
        case kSequentialSearch:
            SearchSequential(mask, int32_t(start), progress);
            break;
        case kAlphabeticalSearch:
            if (continuing)
                SearchAlphabeticNext(mask);
            else
                SearchAlphabeticFirst(mask);
            break;
        case kAnyFieldSearch:
            SearchAnyField(mask, int32_t(start), progress);
            break;
        default:
            break;
    }
}

void ContinuaSch(Progress& progress) {
    const std::string path = DataFilePath(data_file::kSearchCriteria);
    RecordFile probe;
    // Only a missing file is made anew: one that fails to open holds the person's own criteria.
    if (!probe.OpenIfExists(path, 1, RecordFile::Mode::Read)) WriteFileAtomic(path, kDefaultSearchCriteria);
    probe.Close();
    SearchStep(progress);
}

void StartSearch(Progress& progress) {
    CoreState.ProceedFlag = 0;
    CoreState.SearchEnded = 1;
    ContinuaSch(progress);
}

bool ContinueSearch(Progress& progress) {
    if (CoreState.SearchEnded != 0) return false;
    CoreState.ProceedFlag = 0;
    ContinuaSch(progress);
    return true;
}

bool SearchAllIntoSelection(Progress& progress, const std::function<void(Progress&)>& step) {
    CardSelectionMask.fill(0);
    CoreState.ListRow = 0;
    CoreState.ListReady = 0;
    progress.SetMaximum(CoreState.LastCard);
    CoreState.SearchEnded = 1;
    for (;;) {
        step(progress);
        // A step that could not go on (its order index gone) changes nothing: stop there too.
        if (CoreState.SearchEnded != 0 || CoreState.ProceedFlag == 0) break;
        SetCardSelected(CoreState.CurrentCard, true);
        CoreState.ListReady = 1;
    }
    PutMaskBack();
    return CoreState.ListReady != 0;
}

}  // namespace qv
