#include "core/typed_values.h"

#include <ctime>

#include "core/core_state.h"
#include "platform/numbers.h"

namespace qv {

namespace {

std::optional<EntryClock> testClock;

constexpr int kPercentLimit = 300;

}  // namespace

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

EntryClock EntryClockNow() {
    if (testClock) return *testClock;
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return EntryClock{tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void SetEntryClockForTests(std::optional<EntryClock> clock) {
    testClock = clock;
}

int FullYear(int year, const EntryClock& now) {
    if (year < 0 || year > 99) return year;
    return year <= now.year % 100 ? 2000 + year : 1900 + year;
}

std::optional<int16_t> ReadPercentage(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.back() == '%') text = TrimBlanks(text.substr(0, text.size() - 1));
    if (text.empty()) return kEmptyShort;
    bool negative = false;
    if (text.front() == '-' || text.front() == '+') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int whole = 0, wholeDigits = 0;
    size_t i = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++wholeDigits) {
        whole = whole * 10 + (text[i] - '0');
        if (whole >= kPercentLimit) return std::nullopt;
    }
    int fraction = 0, fractionDigits = 0;
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++fractionDigits) {
            if (fractionDigits == 2) return std::nullopt;
            fraction = fraction * 10 + (text[i] - '0');
        }
    }
    if (i != text.size() || wholeDigits + fractionDigits == 0) return std::nullopt;
    // One decimal is tenths: "12.5" is twelve and a half per cent.
    if (fractionDigits == 1) fraction *= 10;
    const int hundredths = whole * 100 + fraction;
    return int16_t(negative ? -hundredths : hundredths);
}

}  // namespace qv
