#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The condition of one field as the mode-12 dialogs state it: wanted categories, a period of a
// date field, an interval of a numeric field. The bounds go to the shared SearchConditions
// tables that the collective selection reads.

namespace qv {

// Place of a field among the archive's date fields (1-based): the number of date fields among
// fields 1..field. Only ordinals 1..30 have bounds.
int DateFieldOrdinal(int field);
// Place of a field among the fields of types 4 to 7 (1-based), as FieldNumericIndex.
int NumericFieldOrdinal(int field);

// A date bound as typed, "d/m/y": digits make a part and every other character ends one; the
// first three parts are day, month and year (missing or empty parts count 0). A year of one or
// two digits is read by FullYear; a year below 1901 counts as 0. Result (year - 1900) * 10000 + month * 100 +
// day; 0 is the open bound.
int32_t ParseDateBound(std::string_view text);
// "d/m/y" without leading zeros, the year from 1900 on ("0/0/0" for the open bound).
std::string FormatDateBound(int32_t key);

// An interval bound of a field of type 4, 5, 6 or 7 as typed; -9999999 leaves it open.
int32_t ParseNumericBound(int type, std::string_view text);
// The bound as the interval dialog shows it: a number (empty when open), "hh:mm." for a time,
// "ddd.hh%" for a percentage; any other type shows nothing.
std::string FormatNumericBound(int type, int32_t value);

// The bounds of a date field's period and its participation (out when both bounds are open).
// False, with nothing stored, for a field that is no date field or has no place among the 30
// date conditions.
bool StoreDateCondition(int field, int32_t from, int32_t to);
// The bounds of a numeric field's interval and its participation (out when both are open).
// False, with nothing stored, for a field of another type or without a numeric place.
bool StoreNumericCondition(int field, int32_t low, int32_t high);

// The wanted-flag of category `value` (1-based) of `field`; null when it falls outside the
// field's categories or the flag table.
uint8_t* CategoryWantedFlag(int field, int value);
// The field heading the answer group `field` belongs to: the field itself unless it is a
// further answer (type 1), then the nearest category field before it; 0 when there is none.
int AnswerGroupHead(int field);
// After the categories of `field` were chosen: the field and the further answers that follow it
// take part when at least one category is wanted, otherwise the whole group is out.
void UpdateCategoryGroupCondition(int field);
// Takes the statistics mark (attribute 32) off every field.
void ClearStatisticsMarks();

}  // namespace qv
