#include "cardwindow/indicators.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "cardwindow/card_pass.h"
#include "cardwindow/write_permission.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "platform/text_file.h"

namespace qv {

namespace {

// The largest 16-bit value typing stores; -32000 is the empty word.
constexpr int kLargestTypedWord = 29999;

bool IsOperator(char c) {
    return c == '+' || c == '-' || c == '*' || c == '/';
}

bool OnCard(int32_t field) {
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields)) return false;
    const FieldType type = FieldTypes[field];
    const int n = FieldWordCount(type);
    const int p = FieldPositions[field];
    return n > 0 && p >= 1 && p + n - 1 <= CurrentCardGeometry().wordCount;
}

// Dates and texts give no single value to compute with.
bool IsValueField(int32_t field) {
    return OnCard(field) && FieldTypes[field] != FieldType::kDate;
}

bool Accepted(const Indicator& indicator) {
    // Only number fields take a result: a date's or a category's words mean something else.
    if (!OnCard(indicator.target) || !TypeOfField(indicator.target).IsNumeric()) return false;
    return std::all_of(indicator.operands.begin(), indicator.operands.end(),
                       [](const IndicatorOperand& o) { return IsValueField(o.field); });
}

// The value a field holds on the card, none when the field is empty.
std::optional<double> OperandValue(int32_t field) {
    const FieldType type = FieldTypes[field];
    if (type == FieldType::kNumber32) {
        const int32_t v = GetCardNumber(field);
        return v == kEmptyNumber ? std::nullopt : std::optional<double>(v);
    }
    const int16_t v = GetCardWord(field);
    const bool empty = type >= FieldType::kNumber ? v == kEmptyShort : v == 0;
    return empty ? std::nullopt : std::optional<double>(v);
}

// Stores the result as the nearest integer (halves to the even neighbour); a result that is
// empty or does not fit the target (16-bit fields take what typing takes) stores empty.
// Answers false for a result out of range.
bool Store(const Indicator& indicator, std::optional<double> value) {
    const int32_t target = indicator.target;
    const bool wide = FieldTypes[target] == FieldType::kNumber32;
    const double limit = wide ? 2147483647.0 : double(kLargestTypedWord);
    const double v = value ? std::nearbyint(*value) : 0;
    const bool fits = value && v >= -limit && v <= limit && !(wide && v == kEmptyNumber);
    if (wide)
        PutCardNumber(fits ? int32_t(v) : kEmptyNumber, target);
    else
        CurrentCardValues[FieldPositions[target]] = fits ? uint16_t(int16_t(v)) : kEmptyWord;
    return fits || !value;
}

}  // namespace

Indicator ParseIndicator(std::string_view line) {
    Indicator indicator;
    std::string text(line);
    text += ' ';
    if (text[0] == '%') {
        indicator.percent = true;
        text.erase(0, 1);
    }
    bool reading = false, haveTarget = false;
    int64_t number = 0;
    char op = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            number = std::min<int64_t>(number * 10 + (c - '0'), 999999999);
            reading = true;
        } else if (IsOperator(c)) {
            op = c;
        } else if (reading) {
            if (!haveTarget) {
                indicator.target = int32_t(number);
                haveTarget = true;
            } else if (int(indicator.operands.size()) < kMaxIndicatorOperands) {
                indicator.operands.push_back({op, int32_t(number)});
            } else {
                // The last operand is taken again; it keeps its operator unless a new one came.
                IndicatorOperand& lastOperand = indicator.operands.back();
                lastOperand.field = int32_t(number);
                if (op) lastOperand.op = op;
            }
            op = 0;
            number = 0;
            reading = false;
        }
    }
    return indicator;
}

std::string IndicatorEchoLine(const Indicator& indicator) {
    std::string line = indicator.percent ? "%" : "";
    line += std::to_string(indicator.target) + "=";
    for (const IndicatorOperand& o : indicator.operands) {
        if (o.op) line += o.op;
        line += std::to_string(o.field);
    }
    return line;
}

std::optional<double> IndicatorValue(const Indicator& indicator) {
    double acc = 0;
    for (const IndicatorOperand& o : indicator.operands) {
        const std::optional<double> operand = OperandValue(o.field);
        if (!operand) return std::nullopt;
        const double x = *operand;
        switch (o.op) {
            case '-':
                acc -= x;
                break;
            case '*':
                acc *= x;
                break;
            case '/':
                if (indicator.percent) acc *= 100;
                acc = x == 0 ? 0 : acc / x;
                break;
            default:
                acc += x;
                break;
        }
    }
    return acc;
}

IndicatorRun RunIndicators(Progress& progress) {
    IndicatorRun run;
    if (!CardChangesAllowed()) {
        run.refused = true;
        return run;
    }
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kDefinitions));
    std::vector<Indicator> accepted;
    TextBuilder echo;
    for (int n = 1; !in.Eof(); ++n) {
        const Indicator indicator = ParseIndicator(in.ReadLine(255));
        echo.Line(IndicatorEchoLine(indicator));
        if (indicator.target == 0) continue;
        if (Accepted(indicator))
            accepted.push_back(indicator);
        else
            run.refusedLines.push_back(n);
    }
    echo.Save(DataFilePath(data_file::kEcho));

    const int32_t kept = CoreState.CurrentCard;
    struct Restore {
        int32_t card;
        ~Restore() { CoreState.CurrentCard = card; }
    } restore{kept};
    run.cards = UpdateEveryCardValues(progress, [&](int32_t) {
        for (const Indicator& indicator : accepted)
            if (!Store(indicator, IndicatorValue(indicator))) ++run.emptiedOutOfRange;
    });
    CoreState.CurrentCard = kept;
    ReadCardValues();
    return run;
}

}  // namespace qv
