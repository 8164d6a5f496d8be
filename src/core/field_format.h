#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The text of a field's value as the program shows and writes it: the card window, the print
// masks and the order keys all start from these rules.

namespace qv {

// A category value below 0 or beyond the field's list: the card window shows nothing, print
// masks and order keys write "???".
enum class CategoryOutOfRange { Empty, Unknown };

struct FieldFormatOptions {
    CategoryOutOfRange categoryOutOfRange = CategoryOutOfRange::Empty;
};

// "d/m/yyyy" without leading zeros; the year word counts from 1900 when above 0 ("0/0/0" for
// an empty date).
std::string FormatDateValue(int day, int month, int year);
// "hh:mm." with leading zeros; "__:__." for the empty word. Wider values (search bounds) are
// written the same way.
std::string FormatTimeValue(int32_t v);
// Whole part right-aligned in three characters, two decimals, "%"; "___.__%" for the empty word.
std::string FormatPercentageValue(int32_t v);
// Decimal; empty for the empty word -32000.
std::string FormatNumber16(int16_t v);
// Decimal; empty for the missing number -9999999.
std::string FormatNumber32(int32_t v);

// Label of category `value` of a field (record FieldFirstLabel + value - 1 of "mod-sch.dat", at
// most 60 characters). 0 gives an empty text; a value outside the list is handled by `mode`.
// The file is opened only for a value inside the list; a record that cannot be read raises
// the input/output error.
std::string CategoryLabel(int field, int value, CategoryOutOfRange mode);
// Labels of `count` categories from record `first` of "mod-sch.dat" on, read the same way; none
// for a count below 1.
std::vector<std::string> ReadCategoryLabels(int32_t first, int count);
// Number of categories of a field (its labels in "mod-sch.dat"); 0 for none and for a field
// outside 1..kMaxFields.
int FieldCategoryCount(int field);

// The value of `field` of the card in hand, by its type. Texts end at their first zero byte and
// are not trimmed; a municipality of code 0 or below gives a single blank. The word of a field
// without a word position reads as 0.
std::string FormatFieldValue(int field, const FieldFormatOptions& options = {});

}  // namespace qv
