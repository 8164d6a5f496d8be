#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// Rules for values a person types, shared by card entry, the text import and the condition
// dialogs, so that "85" or "12.5" mean the same wherever they are typed.

namespace qv {

// The moment typed values are read against: today's date for a date begun with a blank, the
// century of a two-digit year.
struct EntryClock {
    int day = 1, month = 1, year = 2000;
    int hour = 0, minute = 0, second = 0;
};
// The local time, or the moment set for tests.
EntryClock EntryClockNow();
// Tests fix the moment here; nullopt goes back to the local time.
void SetEntryClockForTests(std::optional<EntryClock> clock);

// A year typed with one or two digits (0 to 99): not above the current year's last two digits it
// is 20yy, else 19yy. Other years are returned as they are.
int FullYear(int year, const EntryClock& now = EntryClockNow());

// `s` without the blanks around it.
std::string_view TrimBlanks(std::string_view s);

// A percentage in hundredths: a whole part below 300 and, after "." or ",", one digit of tenths
// or two of hundredths; blanks and a final "%" are allowed. A blank text is the empty word (-32000);
// anything else (three decimals, 300 or more, not a number) is refused with nullopt.
std::optional<int16_t> ReadPercentage(std::string_view text);

}  // namespace qv
