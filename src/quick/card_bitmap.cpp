#include "quick/card_bitmap.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

namespace qv {

namespace {

uint64_t Apply(SelectionOperation op, uint64_t into, uint64_t from) {
    switch (op) {
        case SelectionOperation::And:
            return into & from;
        case SelectionOperation::Or:
            return into | from;
        case SelectionOperation::AndNot:
            break;
    }
    return into & ~from;
}

size_t WordsFor(size_t bytes) {
    return (bytes + 7) / 8;
}

}  // namespace

std::optional<SelectionOperation> ItemOperation(char op) {
    switch (op) {
        case '-':
            return SelectionOperation::And;
        case '+':
            return SelectionOperation::Or;
        case '#':
            return SelectionOperation::AndNot;
        default:
            return std::nullopt;
    }
}

void CombineCards(SelectionOperation op, uint8_t* into, const uint8_t* from, size_t count) {
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t a, b;
        std::memcpy(&a, into + i, 8);
        std::memcpy(&b, from + i, 8);
        a = Apply(op, a, b);
        std::memcpy(into + i, &a, 8);
    }
    for (; i < count; ++i) into[i] = uint8_t(Apply(op, into[i], from[i]));
}

CardBitmap::CardBitmap(size_t bytes, uint8_t fill) : words_(WordsFor(bytes), 0), bytes_(bytes) {
    if (bytes) std::memset(Bytes(), fill, bytes);
}

CardBitmap::CardBitmap(const uint8_t* bytes, size_t count) : words_(WordsFor(count), 0), bytes_(count) {
    if (count) std::memcpy(Bytes(), bytes, count);
}

bool CardBitmap::Has(int64_t card) const {
    return card >= 0 && size_t(card / 8) < bytes_ && (Bytes()[card / 8] & (0x80 >> (card % 8)));
}

void CardBitmap::Set(int64_t card) {
    if (card >= 0 && size_t(card / 8) < bytes_) Bytes()[card / 8] |= uint8_t(0x80 >> (card % 8));
}

void CardBitmap::Combine(SelectionOperation op, const CardBitmap& other) {
    CombineCards(op, Bytes(), other.Bytes(), std::min(bytes_, other.bytes_));
}

void CardBitmap::ClearFrom(int64_t cards) {
    const int64_t from = std::max<int64_t>(cards, 0);
    const size_t full = size_t(from / 8);
    if (full >= bytes_) return;
    // Card 0 of a byte is its top bit: the cards before `from` keep the high bits.
    Bytes()[full] &= uint8_t(0xFF00 >> (from % 8));
    std::memset(Bytes() + full + 1, 0, bytes_ - full - 1);
}

void CardBitmap::KeepFirst(int64_t cards) {
    // Cleared first, the bytes that stay in the last word past the kept ones read zero.
    ClearFrom(cards);
    bytes_ = std::min(bytes_, size_t((std::max<int64_t>(cards, 0) + 7) / 8));
    words_.resize(WordsFor(bytes_));
}

int64_t CardBitmap::Count() const {
    int64_t n = 0;
    for (uint64_t w : words_) n += std::popcount(w);
    return n;
}

int64_t CardBitmap::CountCommon(const CardBitmap& other) const {
    const size_t n = std::min(words_.size(), other.words_.size());
    int64_t count = 0;
    for (size_t i = 0; i < n; ++i) count += std::popcount(words_[i] & other.words_[i]);
    return count;
}

namespace {

// Words [from, to) of a row, each ANDed with the mask once and counted in all and against every
// column while it is in a register: one pass over the memory, the counters in registers. Aligned
// to a cache line, so that its loop's speed does not hang on where other code puts it.
template <size_t kColumns>
[[gnu::aligned(64)]] void CountWords(const uint64_t* row, const uint64_t* mask,
                                     const uint64_t* const* columns, size_t from, size_t to,
                                     int64_t* counts) {
    const uint64_t* column[kColumns + 1];
    for (size_t k = 0; k < kColumns; ++k) column[k] = columns[k];
    int64_t in[kColumns + 1] = {};
    for (size_t i = from; i < to; ++i) {
        const uint64_t selected = row[i] & mask[i];
        in[kColumns] += std::popcount(selected);
        for (size_t k = 0; k < kColumns; ++k) in[k] += std::popcount(selected & column[k][i]);
    }
    for (size_t k = 0; k <= kColumns; ++k) counts[k] += in[k];
}

template <size_t... kColumns>
constexpr auto CountersFor(std::index_sequence<kColumns...>) {
    return std::array{&CountWords<kColumns>...};
}
constexpr size_t kFusedColumns = 10;
constexpr auto kCounters = CountersFor(std::make_index_sequence<kFusedColumns + 1>{});

}  // namespace

void CountRowAgainst(const uint64_t* row, const CardBitmap& mask, std::span<const CardBitmap> columns,
                     int64_t* counts) {
    const size_t n = mask.WordCount();
    const uint64_t* m = mask.Words();
    // The words every column has are counted in one pass; past the shortest column, each column
    // counts only the words it has.
    size_t common = n;
    for (const CardBitmap& c : columns) common = std::min(common, c.WordCount());
    std::vector<const uint64_t*> words;
    for (const CardBitmap& c : columns) words.push_back(c.Words());
    size_t first = 0;
    do {  // ten columns at a time; the first pass counts the row's selected cards as well
        const size_t take = std::min(kFusedColumns, columns.size() - first);
        std::array<int64_t, kFusedColumns + 1> part{};
        kCounters[take](row, m, words.data() + first, 0, common, part.data());
        for (size_t k = 0; k < take; ++k) counts[first + k] += part[k];
        if (first == 0) counts[columns.size()] += part[take];
        first += take;
    } while (first < columns.size());
    for (size_t i = common; i < n; ++i) {
        const uint64_t selected = row[i] & m[i];
        counts[columns.size()] += std::popcount(selected);
        for (size_t k = 0; k < columns.size(); ++k)
            if (i < columns[k].WordCount()) counts[k] += std::popcount(selected & words[k][i]);
    }
}

CardBitmap CardBitmap::Common(const CardBitmap& x, const CardBitmap& y) {
    CardBitmap out;
    out.bytes_ = std::min(x.bytes_, y.bytes_);
    out.words_.resize(WordsFor(out.bytes_));
    for (size_t i = 0; i < out.words_.size(); ++i) out.words_[i] = x.words_[i] & y.words_[i];
    return out;
}

}  // namespace qv
