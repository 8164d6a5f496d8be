#pragma once
#include "core/core_state.h"

// The type of a field, as the archive definition keeps it in `FieldTypes` (16 bits, stored so in
// the definition files): 0 to 7 name the kinds below, and a negative type is a text of that many
// characters, so the set is open and the tables keep the plain number. Code compares a type only
// through these names and helpers.

namespace qv {

class FieldType {
  public:
    static constexpr int kCoded = 0;          // a coded field, or the first answer of several
    static constexpr int kFurtherAnswer = 1;  // a further answer of a coded field (after a 0)
    static constexpr int kDate = 2;           // day, month and year in three words
    static constexpr int kMunicipality = 3;   // a code of the common territorial list
    static constexpr int kNumber = 4;         // a 16-bit number
    static constexpr int kTime = 5;           // a time-like value in one word
    static constexpr int kPercent = 6;        // a percentage in one word
    static constexpr int kNumber32 = 7;       // a 32-bit number in two words
    // Stands for the type of a field number out of the tables: no name matches it.
    static constexpr int kNoField = 99;

    constexpr FieldType(int code) : code_(code) {}
    // The plain number, for switches over the names and for the tables.
    constexpr operator int() const { return code_; }

    constexpr bool IsText() const { return code_ < 0; }
    // Characters of a text field; 0 for any other type.
    constexpr int TextWidth() const { return code_ < 0 ? -code_ : 0; }
    // An answer of a coded field: the first (kCoded) or a further one.
    constexpr bool IsAnswer() const { return code_ == kCoded || code_ == kFurtherAnswer; }
    // A number in the numeric part: kNumber to kNumber32.
    constexpr bool IsNumeric() const { return code_ >= kNumber && code_ <= kNumber32; }
    // One of the named types 0 to 7, or a text.
    constexpr bool IsKnown() const { return code_ <= kNumber32; }

  private:
    int code_;
};

// The type of field `field` (1..kMaxFields, checked by the caller).
inline FieldType TypeOfField(int field) {
    return FieldType(FieldTypes[size_t(field)]);
}
// The type of `field`, or kNoField for a number out of the tables.
inline FieldType TypeOrNone(int field) {
    return field >= 1 && field <= kMaxFields ? TypeOfField(field) : FieldType(FieldType::kNoField);
}

}  // namespace qv
