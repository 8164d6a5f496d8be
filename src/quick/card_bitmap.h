#pragma once
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The quick mode's sets of cards: one bit a card, card c at bit 0x80 >> (c % 8) of byte c / 8,
// the byte layout of CardSelectionMask and of every area of the bit matrix "dat-dat.dat". The
// bytes are held in 64-bit words so that combining and counting go 64 cards at a time; the
// bytes past the bitmap's own are kept zero.

namespace qv {

// The quick selection's operations (the log and the dialog number them 1, 2, 3).
enum class SelectionOperation { And = 1, Or = 2, AndNot = 3 };

// The operator of an item of an additional-variable rule or a report condition: '-' AND, '+' OR,
// '#' AND NOT; nullopt for any other character.
std::optional<SelectionOperation> ItemOperation(char op);

// into := into op from, over the first `count` bytes of both.
void CombineCards(SelectionOperation op, uint8_t* into, const uint8_t* from, size_t count);

class CardBitmap;

// What a row of a cross table counts, with every set read once: counts[k] += the cards set in
// `row`, `mask` and columns[k], then counts[columns.size()] += those set in `row` and `mask`.
// `row` holds at least mask.WordCount() words; a column shorter than the mask counts over its own.
void CountRowAgainst(const uint64_t* row, const CardBitmap& mask, std::span<const CardBitmap> columns,
                     int64_t* counts);

class CardBitmap {
  public:
    CardBitmap() = default;
    // `bytes` bytes, each `fill`.
    explicit CardBitmap(size_t bytes, uint8_t fill = 0);
    // A copy of `count` bytes.
    CardBitmap(const uint8_t* bytes, size_t count);

    size_t ByteCount() const { return bytes_; }
    uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(words_.data()); }
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(words_.data()); }

    // Cards past the bitmap are never set, and setting one is ignored.
    bool Has(int64_t card) const;
    void Set(int64_t card);

    // this := this op other over the bytes both hold; the bytes only this one holds stay.
    void Combine(SelectionOperation op, const CardBitmap& other);
    // Clears cards `cards` and after: a file or a mask may hold bits past its last card.
    void ClearFrom(int64_t cards);
    // Cards 0..cards-1 and no others: the bytes past theirs dropped, the bits past them cleared.
    void KeepFirst(int64_t cards);

    int64_t Count() const;
    // The bitmap as words, byte i of a word its bits 8i..8i+7.
    const uint64_t* Words() const { return words_.data(); }
    size_t WordCount() const { return words_.size(); }
    // The cards set in both.
    int64_t CountCommon(const CardBitmap& other) const;
    // The cards set in both, as a bitmap as long as the shorter.
    static CardBitmap Common(const CardBitmap& x, const CardBitmap& y);

    // Calls visit(card) for every card set in both, in no fixed order.
    template <typename Visit>
    void ForEachCommon(const CardBitmap& other, Visit&& visit) const {
        static_assert(std::endian::native == std::endian::little, "byte i of a word is its bits 8i..8i+7");
        const size_t n = std::min(words_.size(), other.words_.size());
        for (size_t i = 0; i < n; ++i) {
            for (uint64_t w = words_[i] & other.words_[i]; w; w &= w - 1) {
                const int bit = std::countr_zero(w);
                // Byte bit / 8 of word i holds eight cards, the first at its top bit.
                visit(int64_t((i * 8 + size_t(bit) / 8) * 8 + size_t(7 - bit % 8)));
            }
        }
    }

  private:
    std::vector<uint64_t> words_;
    size_t bytes_ = 0;
};

}  // namespace qv
