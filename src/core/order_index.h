#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/field_type.h"
#include "platform/progress.h"

// The two orders of the archive's cards kept as files of card numbers: the alphabetical order
// by the list's order field ("ALFA." plus three characters of the field number) and the
// territorial order by the territory code of every card ("lor-sch.dat", with "lpn-sch.dat",
// "lsg-sch.dat" and "lif-sch.dat" for the territorial list of a linked archive). Both go
// through the key file "alf-supp.dat": one 31-byte record per card, the key ended by a zero.

namespace qv {

constexpr int kSortKeyRecordBytes = 31;
constexpr int kSortKeyMaxLength = 30;
// "lsg-sch.dat": one line of the territorial list per card, 400 characters and a zero.
constexpr int kListLineRecordBytes = 401;
// The order files ("ALFA.nnn", "lor-sch.dat"): one card number (32 bits) per position.
constexpr int kOrderRecordBytes = 4;

// "ALFA." followed by '0' + f div 100, '0' + f div 10 mod 10, '0' + f mod 10.
std::string AlphabeticalOrderFileName(int field);
// The alphabetical order index of `field` (that name in the archive directory): its card
// numbers, at most `limit`; nullopt when the field names no order or the file is not there.
std::optional<std::vector<int32_t>> ReadAlphabeticalOrder(int field, size_t limit = SIZE_MAX);

// The key of one card for the alphabetical order by `field`, blank-padded as stored: texts,
// categories and municipality names as their bytes; numbers, times and percentages as numeric
// keys (the value plus a fixed offset, zero-filled to 10 digits) and dates as yyyymmdd, so that
// they sort as the values do; an empty value keeps its empty key. `text`
// holds the card's text bytes (card byte 1 at text[0]), `words` its numeric part (word 1 at
// words[0]). Category labels and municipality names are read once, when first needed.
class AlphaKeyBuilder {
  public:
    explicit AlphaKeyBuilder(int field);
    std::string Key(const uint8_t* text, const uint16_t* words);
    // Whether the key comes from the card's text part rather than its numeric part.
    bool UsesText() const { return FieldType(type_).IsText(); }

  private:
    std::string RawKey(const uint8_t* text, const uint16_t* words);
    std::string LabelKey(int value);
    std::string ComuneKey(int value);
    int field_;
    int type_;
    bool labelsLoaded_ = false;
    bool namesLoaded_ = false;
    std::vector<std::string> labels_;
    std::vector<std::string> names_;
};

// The territorial key of a card: its territory code as a numeric key.
std::string TerritorialSortKey(const uint16_t* words);

// The order of cards 0..keys.size()-1: first, in card order, every card whose key begins with
// a blank (or any byte not above it); then the others in ascending byte order of their whole
// keys, equal keys in card order. The progress ends at the last card.
std::vector<int32_t> OrderBySortKeys(const std::vector<std::string>& keys, Progress& progress);

// The passes of the two orders over the open archive's cards 0..CoreState.LastCard. Every
// failed file operation raises IoError. The card in hand is left untouched.
void BuildAlphaSortKeys(Progress& progress);
void SortAlphabeticalOrder(Progress& progress);
void BuildTerritorialSortKeys(Progress& progress);
void SortTerritorialOrder(Progress& progress);
// Answers false, writing nothing, when "lista.txt" of the program directory does not open.
bool WriteTerritorialListFiles(Progress& progress);

// The keys stored in "alf-supp.dat" for cards 0..count-1.
std::vector<std::string> ReadSortKeys(int32_t count);

enum class OrderOutcome { Done, NoOrderField, ListMissing };
// The alphabetical order by CoreState.ListOrderField (NoOrderField when it names no field of
// the archive), and the territorial order with its list files.
OrderOutcome BuildAlphabeticalOrder(Progress& progress);
OrderOutcome BuildTerritorialOrder(Progress& progress);

}  // namespace qv
