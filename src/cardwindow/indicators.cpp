#include "cardwindow/indicators.h"

#include <algorithm>
#include <cmath>

#include "cardwindow/card_pass.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kDefinitionsFile = 108;
constexpr int kEchoFile = 109;

bool IsOperator(char c) {
    return c == '+' || c == '-' || c == '*' || c == '/';
}

// Words the field occupies on the card, 0 for a text field.
int WordCount(int type) {
    if (type < 0) return 0;
    return type == 2 ? 3 : type == 7 ? 2 : 1;
}

bool OnCard(int32_t field) {
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields)) return false;
    const int type = FieldTypes[field];
    const int n = WordCount(type);
    const int p = FieldPositions[field];
    return type <= 7 && n > 0 && p >= 1 && p + n - 1 <= CurrentCardGeometry().wordCount;
}

// Dates and texts give no single value to compute with.
bool IsValueField(int32_t field) {
    return OnCard(field) && FieldTypes[field] != 2;
}

bool Accepted(const Indicator& indicator) {
    if (!OnCard(indicator.target)) return false;
    return std::all_of(indicator.operands.begin(), indicator.operands.end(),
                       [](const IndicatorOperand& o) { return IsValueField(o.field); });
}

// The nearest integer (halves to the even neighbour) modulo 2^16 or 2^32, so that results
// beyond the word keep their low bits however large they grew.
uint32_t LowBits(double value, double modulus) {
    double m = std::fmod(std::nearbyint(value), modulus);
    if (m < 0) m += modulus;
    return uint32_t(m);
}

void Store(const Indicator& indicator, double value) {
    if (FieldTypes[indicator.target] == 7) {
        PutCardNumber(int32_t(LowBits(value, 4294967296.0)), indicator.target);
        return;
    }
    CurrentCardValues[FieldPositions[indicator.target]] = uint16_t(LowBits(value, 65536.0));
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

double IndicatorValue(const Indicator& indicator) {
    double acc = 0;
    for (const IndicatorOperand& o : indicator.operands) {
        const double x =
            FieldTypes[o.field] == 7 ? double(GetCardNumber(o.field)) : double(GetCardWord(o.field));
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
    TextReader in;
    in.OpenOrThrow(DataFilePath(kDefinitionsFile));
    IndicatorRun run;
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
    echo.Save(DataFilePath(kEchoFile));

    const int32_t kept = CoreState.CurrentCard;
    struct Restore {
        int32_t card;
        ~Restore() { CoreState.CurrentCard = card; }
    } restore{kept};
    run.cards = UpdateEveryCardValues(progress, [&](int32_t) {
        for (const Indicator& indicator : accepted) Store(indicator, IndicatorValue(indicator));
    });
    CoreState.CurrentCard = kept;
    ReadCardValues();
    return run;
}

}  // namespace qv
