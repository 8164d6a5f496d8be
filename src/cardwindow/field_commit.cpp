#include "cardwindow/field_commit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>
#include <vector>

#include "cardwindow/comune_lookup.h"
#include "cardwindow/linked_card.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/file_io.h"

namespace qv {
namespace {

constexpr int kLabelFile = 23;
constexpr int kLabelRecordBytes = 61;
constexpr int16_t kEmptyShort = -32000;
constexpr int kPartLimit = 30000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string UpperAz(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

// A whole text read as a decimal integer: leading blanks, an optional sign, then digits to the
// end. Anything else, no digits, or a value outside 32 bits does not read.
std::optional<int64_t> ReadWholeInteger(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (!IsDigit(s[i])) return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > int64_t(INT32_MAX) + 1) return std::nullopt;
    }
    v = negative ? -v : v;
    if (v > INT32_MAX) return std::nullopt;
    return v;
}

// A run of digits split off a date or time: empty, or 30001 and more, counts as 0.
int DigitPart(std::string_view digits) {
    int64_t v = 0;
    for (char c : digits) {
        v = v * 10 + (c - '0');
        if (v > kPartLimit) return 0;
    }
    return int(v);
}

// The first parts of `text` split at every character that is not a digit.
std::vector<int> SplitAtNonDigits(const std::string& text, size_t wanted) {
    std::vector<int> parts;
    size_t start = 0;
    for (size_t i = 0; i < text.size() && parts.size() < wanted; ++i) {
        if (IsDigit(text[i])) continue;
        parts.push_back(DigitPart(std::string_view(text).substr(start, i - start)));
        start = i + 1;
    }
    parts.resize(wanted, 0);
    return parts;
}

// The number text of the number fields: the leading run of digits and minus signs, after
// skipping a first character that is neither.
std::string NumberRun(const std::string& text) {
    auto inRun = [](char c) { return IsDigit(c) || c == '-'; };
    size_t i = (!text.empty() && !inRun(text[0])) ? 1 : 0;
    size_t end = i;
    while (end < text.size() && inRun(text[end])) ++end;
    return text.substr(i, end - i);
}

std::string TwoDigits(int v) {
    char out[8];
    std::snprintf(out, sizeof out, "%02d", std::clamp(v, 0, 99));
    return out;
}

// The platform's short date (day, month, year order) and time formats.
std::string ShortDate(const EntryClock& now) {
    return TwoDigits(now.day) + "/" + TwoDigits(now.month) + "/" + std::to_string(now.year);
}
std::string ShortTime(const EntryClock& now) {
    return TwoDigits(now.hour) + ":" + TwoDigits(now.minute) + ":" + TwoDigits(now.second);
}

bool BlankOnly(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}

int FieldWordPosition(int field, int offset) {
    const int p = FieldPositions[field] + offset;
    return p >= 1 && p <= CurrentCardGeometry().wordCount ? p : 0;
}

void SetFieldWord(int field, int offset, int16_t value) {
    if (const int p = FieldWordPosition(field, offset)) CurrentCardValues[p] = uint16_t(value);
}

void CommitText(int field, const std::string& text) {
    const int length = -FieldTypes[field];
    const int first = FieldTextOffsets[field];
    const int limit = CurrentCardGeometry().textBytes;
    if (first < 1) return;
    for (int i = 0; i < length && first + i <= limit; ++i)
        CurrentCardText[first + i] = i < int(text.size()) ? uint8_t(text[i]) : 0;
}

void CommitCategory(int field, int v, const std::string& text, const CommitContext& context) {
    auto pick = [&](CategoryPicker picker) {
        const int chosen = context.pick ? context.pick(picker, field) : 0;
        if (chosen > 0) SetFieldWord(field, 0, int16_t(chosen));
    };
    const int n = std::max(FieldLastLabel[field] - FieldFirstLabel[field] + 1, 0);
    const char first = text.empty() ? '\0' : text[0];
    if (v >= 0 || IsDigit(first) || first == '-' || first == '+') {
        if (v >= 0 && v <= n)
            SetFieldWord(field, 0, int16_t(v));
        else
            pick(CategoryPicker::List);
        return;
    }
    // An emptied field holds no category (the name search would find the last label).
    if (BlankOnly(text)) {
        SetFieldWord(field, 0, 0);
        return;
    }
    if (const int found = FindCategoryByName(field, text)) {
        SetFieldWord(field, 0, int16_t(found));
        return;
    }
    if (IsQuickEntryField(field)) return;
    const unsigned char c = uint8_t(first);
    if (c > '9' || c == ',' || c == '.' || c == '/') pick(CategoryPicker::Choice);
}

void CommitDate(int field, const std::string& text, const EntryClock& now) {
    const CardDateWords date = ReadCardDate(text, now);
    SetFieldWord(field, 0, date.day);
    SetFieldWord(field, 1, date.month);
    SetFieldWord(field, 2, date.year);
}

// Steps of the commit that read the typed text (modes 1 to 3).
void CommitTyped(int field, const std::string& text, const CommitContext& context) {
    const int type = FieldTypes[field];
    int v = kEmptyShort;
    if (type >= 0) {
        if (auto whole = ReadWholeInteger(text); whole && *whole > -kPartLimit && *whole < kPartLimit)
            v = int(*whole);
    }
    if (IsQuickEntryField(field) && !text.empty()) {
        const char c = text[0];
        if (IsDigit(c)) v = c - '0';
        if (c >= 'A' && c <= 'Z') v = c - 'A' + 10;
        if (c >= 'a' && c <= 'z') v = c - 'a' + 10;
    }
    if (IsPlusOneField(field)) v = v + 1;

    if (type < 0) {
        if (text != context.originalText) CommitText(field, text);
        return;
    }
    const bool quickCoded = IsQuickEntryField(field) && (type == 0 || type == 1);
    if (UpperAz(text) == UpperAz(context.originalText) && !quickCoded) return;

    switch (type) {
        case 0:
        case 1:
            CommitCategory(field, v, text, context);
            break;
        case 2:
            CommitDate(field, text, context.now);
            break;
        case 3:
            SetFieldWord(field, 0, BlankOnly(text) ? 0 : int16_t(FindComuneByName(text)));
            break;
        case 4:
            SetFieldWord(field, 0, ReadShortNumber(text));
            break;
        case 5:
            SetFieldWord(field, 0, ReadTimeValue(text, context.now));
            break;
        case 6:
            SetFieldWord(field, 0, ReadPercentage(text));
            break;
        case 7:
            PutCardNumber(ReadLongNumber(text), field);
            break;
        default:
            break;
    }
}

}  // namespace

EntryClock LocalEntryClock() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return EntryClock{tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string EntryTextWithoutMark(const std::string& buffer, int cursor) {
    std::string text = buffer.substr(0, buffer.find('\0'));
    if (cursor >= 0 && size_t(cursor) < text.size() && text[size_t(cursor)] == '>')
        text.erase(size_t(cursor), 1);
    return text;
}

CardDateWords ReadCardDate(const std::string& text, const EntryClock& now) {
    // An emptied field is the empty date, not day 0 of month 0 of the year 2000.
    if (text.empty()) return {};
    std::string b = text[0] == ' ' ? ShortDate(now) + "/" : text;
    b += '/';
    const std::vector<int> parts = SplitAtNonDigits(b, 3);
    const int day = parts[0], month = parts[1];
    int year = parts[2];
    if (year < 99)
        year += 2000;
    else if (year == 99)
        year = 1999;
    year -= 1900;
    if (day > 31 || month > 12 || year < 0) return {};
    return {int16_t(day), int16_t(month), int16_t(year)};
}

int16_t ReadTimeValue(const std::string& text, const EntryClock& now) {
    std::string b = !text.empty() && text[0] == ' ' ? ShortTime(now) + "/" : text;
    b += '/';
    const std::vector<int> parts = SplitAtNonDigits(b, 2);
    return int16_t(std::clamp(parts[0], 0, 24) * 100 + std::clamp(parts[1], 0, 59));
}

int16_t ReadPercentage(const std::string& text) {
    const std::string b = text + "/";
    size_t i = 0;
    // A part is whatever character comes first and the digits after it; the character that
    // ends it is passed over.
    auto nextPart = [&]() -> std::optional<int64_t> {
        if (i >= b.size()) return std::nullopt;
        const size_t start = i++;
        while (i < b.size() && IsDigit(b[i])) ++i;
        auto v = ReadWholeInteger(std::string_view(b).substr(start, i - start));
        ++i;
        if (v && (*v > kPartLimit || *v < -kPartLimit)) v = 0;
        return v;
    };
    const auto whole = nextPart();
    if (!whole || *whole >= 300) return kEmptyShort;
    int64_t value = *whole * 100;
    if (const auto hundredths = nextPart(); hundredths && *hundredths < 100) value += *hundredths;
    if (value > kPartLimit || value < -kPartLimit) value = 0;
    return int16_t(value);
}

int16_t ReadShortNumber(const std::string& text) {
    const auto v = ReadWholeInteger(NumberRun(text));
    return v && *v > -kPartLimit && *v < kPartLimit ? int16_t(*v) : kEmptyShort;
}

int32_t ReadLongNumber(const std::string& text) {
    const auto v = ReadWholeInteger(NumberRun(text));
    return v ? int32_t(*v) : kEmptyNumber;
}

int FindCategoryByName(int field, const std::string& name) {
    const int n = FieldLastLabel[field] - FieldFirstLabel[field] + 1;
    if (n <= 0 || FieldFirstLabel[field] < 0 || name.empty()) return 0;
    RecordFile labels(DataFilePath(kLabelFile), kLabelRecordBytes, RecordFile::Mode::Read);
    std::vector<uint8_t> records(size_t(n) * kLabelRecordBytes);
    labels.Read(FieldFirstLabel[field], records.data(), n);
    const std::string key = UpperAz(name);
    int exact = 0, prefix = 0;
    for (int v = 1; v <= n; ++v) {
        const char* record = reinterpret_cast<const char*>(&records[size_t(v - 1) * kLabelRecordBytes]);
        const std::string label = UpperAz(std::string(record, strnlen(record, kLabelRecordBytes)));
        if (label == key) exact = v;
        if (label.compare(0, key.size(), key) == 0) prefix = v;
    }
    return exact ? exact : prefix;
}

bool CommitField(int field, const std::string& text, const CommitContext& context) {
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields)) return false;
    if (context.mode >= 1 && context.mode <= 3) CommitTyped(field, text, context);
    if (field == 1 && CoreState.HasLinkedArchives && CurrentCardGeometry().wordCount >= 1 &&
        int(CurrentCardValues[1]) != CoreState.FirstCardWord) {
        ImportLinkedCard();
        return true;
    }
    return false;
}

bool CommitEntryBuffer(const PickCategory& pick) {
    CommitContext context;
    context.mode = CoreState.CardWindowMode;
    context.originalText = CoreState.EntryOriginalText;
    context.pick = pick;
    std::string text;
    if (context.mode >= 1 && context.mode <= 3) {
        text = EntryTextWithoutMark(CoreState.EntryBuffer, CoreState.EntryCursor);
        CoreState.EntryBuffer = text;
    }
    return CommitField(CoreState.CurrentField, text, context);
}

}  // namespace qv
