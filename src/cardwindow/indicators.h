#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/card_store.h"
#include "platform/progress.h"

// Indicators: fields of every card computed from other fields by the definitions of
// "indicato.txt" (archive directory), one a line: "%" for a percentage, the target field, "=",
// then operand fields joined by "+", "-", "*" and "/", computed left to right with no
// precedence. "ind2.txt" echoes each definition as understood.

namespace qv {

constexpr int kMaxIndicatorOperands = 30;

struct IndicatorOperand {
    char op = 0;  // 0 (none), '+', '-', '*' or '/'
    int32_t field = 0;
    bool operator==(const IndicatorOperand&) const = default;
};

struct Indicator {
    bool percent = false;
    int32_t target = 0;  // 0: the line names no field
    std::vector<IndicatorOperand> operands;
};

// One definition line. Digits make up a number; an operator is kept for the next number to
// end and does not end the number being read; any other character ends it. The first number
// is the target, each further one an operand (from the 31st on they replace the 30th).
Indicator ParseIndicator(std::string_view line);
// The echo line: "%" when a percentage, the target, "=", then each operand's operator and field.
std::string IndicatorEchoLine(const Indicator& indicator);

// The value of a card in hand for one indicator: acc starts at 0; "+" or no operator adds, "-"
// subtracts, "*" multiplies, "/" divides (a percentage multiplies by 100 first), a division by
// 0 makes the value 0. Operands are read as the signed word, or the 32-bit number for type 7;
// an empty operand makes the value empty (nullopt).
std::optional<double> IndicatorValue(const Indicator& indicator);

// What the run did not compute: the 1-based lines whose target is no number field (types 4 to
// 7) or whose operand names no field with a value on the card (text and date fields, numbers
// outside the archive). Lines without any number are skipped silently. Results that did not fit
// their target were stored empty and are counted (one per card and indicator).
struct IndicatorRun {
    bool refused = false;  // no write password: nothing was read or changed
    std::vector<int> refusedLines;
    CardCount cards;  // the cards the pass worked on
    int64_t emptiedOutOfRange = 0;
};

// Parses "indicato.txt" (IoError when it does not open), writes "ind2.txt", and stores every
// accepted indicator into every card 0..CoreState.LastCard, in line order, as the nearest
// integer (halves to even) in the target's word, or as the 32-bit number for a target of type 7;
// an empty or out-of-range result is stored empty. CoreState.CurrentCard and its numeric part are read again
// at the end. Cards already written stay written when a write fails.
IndicatorRun RunIndicators(Progress& progress);

}  // namespace qv
