#include "cardwindow/field_commit.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>
#include <vector>

#include "cardwindow/comune_lookup.h"
#include "cardwindow/linked_card.h"
#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"

namespace qv {
namespace {

constexpr int kPartLimit = 30000;

std::string UpperAz(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

// The runs of digits of `text` and whether anything but single separators stands between
// them: "3/11/1985" gives 3, 11, 1985; "3//85" and "/3" do not read. The first three runs are
// kept; `count` counts them all.
struct DigitRunList {
    std::string_view runs[3];
    size_t count = 0;
};
std::optional<DigitRunList> DigitRuns(std::string_view text) {
    DigitRunList list;
    size_t start = 0;
    bool separated = true;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && IsDigit(text[i])) {
            if (separated) start = i;
            separated = false;
            continue;
        }
        if (separated) {
            if (i < text.size()) return std::nullopt;
            break;
        }
        if (list.count < std::size(list.runs)) list.runs[list.count] = text.substr(start, i - start);
        ++list.count;
        separated = true;
    }
    return list;
}

int RunValue(std::string_view run) {
    int v = 0;
    for (char c : run) v = v * 10 + (c - '0');
    return v;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int month, int year) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Labels with their categories, sorted by label and then category: the labels that begin
// with a name follow one another from the first that is not below it.
template <typename Label>
std::vector<LabelEntry> SortedLabels(int n, Label label) {
    std::vector<LabelEntry> sorted;
    sorted.reserve(size_t(std::max(n, 0)));
    for (int v = 1; v <= n; ++v) sorted.push_back({label(v), v});
    std::sort(sorted.begin(), sorted.end(), [](const LabelEntry& a, const LabelEntry& b) {
        return a.label != b.label ? a.label < b.label : a.category < b.category;
    });
    return sorted;
}

// The categories among `sorted` that `key` (folded) stands for into `found`: the one whose
// label is `key` (the last of equal ones), else every one whose label begins with it, ascending.
void MatchLabels(const std::vector<LabelEntry>& sorted, std::string_view key, std::vector<int>& found) {
    found.clear();
    int exact = 0;
    auto it = std::lower_bound(sorted.begin(), sorted.end(), key,
                               [](const LabelEntry& e, std::string_view k) { return e.label < k; });
    for (; it != sorted.end() && it->label.starts_with(key); ++it) {
        if (it->label.size() == key.size()) exact = it->category;
        found.push_back(it->category);
    }
    if (exact) {
        found.assign(1, exact);
        return;
    }
    std::sort(found.begin(), found.end());
}

// The number text of the number fields: the leading run of digits and minus signs, after
// skipping a first character that is neither.
std::string_view NumberRun(std::string_view text) {
    auto inRun = [](char c) { return IsDigit(c) || c == '-'; };
    size_t i = (!text.empty() && !inRun(text[0])) ? 1 : 0;
    size_t end = i;
    while (end < text.size() && inRun(text[end])) ++end;
    return text.substr(i, end - i);
}

bool BlankOnly(std::string_view s) {
    return s.find_first_not_of(' ') == std::string_view::npos;
}

int FieldWordPosition(int field, int offset) {
    const int p = FieldPositions[field] + offset;
    return p >= 1 && p <= CurrentCardGeometry().wordCount ? p : 0;
}

void SetFieldWord(int field, int offset, int16_t value) {
    if (const int p = FieldWordPosition(field, offset)) CurrentCardValues[p] = uint16_t(value);
}

void CommitText(int field, const std::string& text) {
    const int length = TypeOfField(field).TextWidth();
    const int first = FieldTextOffsets[field];
    const int limit = CurrentCardGeometry().textBytes;
    if (first < 1) return;
    for (int i = 0; i < length && first + i <= limit; ++i)
        CurrentCardText[first + i] = i < int(text.size()) ? uint8_t(text[i]) : 0;
}

EntryRefusal CommitCategory(int field, int v, const std::string& text, const CommitContext& context) {
    auto pick = [&](CategoryPicker picker) {
        const int chosen = context.pick ? context.pick(picker, field) : 0;
        if (chosen > 0) SetFieldWord(field, 0, int16_t(chosen));
        return EntryRefusal::None;
    };
    const int n = FieldCategoryCount(field);
    const char first = text.empty() ? '\0' : text[0];
    if (v >= 0 || IsDigit(first) || first == '-' || first == '+') {
        if (v < 0 || v > n) return pick(CategoryPicker::List);
        SetFieldWord(field, 0, int16_t(v));
        return EntryRefusal::None;
    }
    // An emptied field holds no category (the name search would find the last label).
    if (BlankOnly(text)) {
        SetFieldWord(field, 0, 0);
        return EntryRefusal::None;
    }
    if (const std::vector<int> found = FindCategoriesByName(field, text); !found.empty()) {
        int chosen = found.front();
        // A name several labels begin with is never decided here: the person picks one.
        if (found.size() > 1) {
            chosen = context.pickAmong ? context.pickAmong(field, found) : 0;
            if (std::find(found.begin(), found.end(), chosen) == found.end()) return EntryRefusal::None;
        }
        SetFieldWord(field, 0, int16_t(chosen));
        return EntryRefusal::None;
    }
    const unsigned char c = uint8_t(first);
    if (!IsQuickEntryField(field) && (c > '9' || c == ',' || c == '.' || c == '/'))
        return pick(CategoryPicker::Choice);
    return EntryRefusal::NoCategory;
}

EntryRefusal CommitDate(int field, const std::string& text, const EntryClock& now) {
    const std::optional<CardDateWords> date = ReadCardDate(text, now);
    if (!date) return EntryRefusal::NotADate;
    SetFieldWord(field, 0, date->day);
    SetFieldWord(field, 1, date->month);
    SetFieldWord(field, 2, date->year);
    return EntryRefusal::None;
}

// The whole text as a number of a 16-bit field (blanks around it allowed); empty is empty.
EntryRefusal CommitShortNumber(int field, const std::string& text) {
    if (BlankOnly(text)) {
        SetFieldWord(field, 0, kEmptyShort);
        return EntryRefusal::None;
    }
    const auto v = WholeInteger(TrimBlanks(text));
    if (!v) return EntryRefusal::NotANumber;
    if (*v <= -kPartLimit || *v >= kPartLimit) return EntryRefusal::OutOfRange;
    SetFieldWord(field, 0, int16_t(*v));
    return EntryRefusal::None;
}

EntryRefusal CommitLongNumber(int field, const std::string& text) {
    if (BlankOnly(text)) {
        PutCardNumber(kEmptyNumber, field);
        return EntryRefusal::None;
    }
    std::string_view digits = TrimBlanks(text);
    // More digits than 32 bits hold are out of range, not "no number".
    const bool allDigits =
        !digits.empty() && digits.find_first_not_of("+-0123456789") == std::string_view::npos;
    const auto v = WholeInteger(digits);
    if (!v) return allDigits ? EntryRefusal::OutOfRange : EntryRefusal::NotANumber;
    if (*v == kEmptyNumber) return EntryRefusal::OutOfRange;
    PutCardNumber(int32_t(*v), field);
    return EntryRefusal::None;
}

EntryRefusal CommitWord(int field, std::optional<int16_t> value, EntryRefusal refusal) {
    if (!value) return refusal;
    SetFieldWord(field, 0, *value);
    return EntryRefusal::None;
}

// What an empty field shows ("0/0/0", "__:__.", "___.__%") is no part of a typed value.
std::string WithoutEmptyForm(int type, const std::string& text, const std::string& original) {
    std::string form;
    if (type == FieldType::kDate) form = FormatDateValue(0, 0, 0);
    if (type == FieldType::kTime) form = FormatTimeValue(kEmptyShort);
    if (type == FieldType::kPercent) form = FormatPercentageValue(kEmptyShort);
    const size_t at = form.empty() || original != form ? std::string::npos : text.find(form);
    if (at == std::string::npos) return text;
    std::string rest = text;
    rest.erase(at, form.size());
    return rest;
}

// A name that leaves several municipalities is never taken silently: the person chooses one.
EntryRefusal CommitComune(int field, const std::string& text, const CommitContext& context) {
    if (BlankOnly(text)) return CommitWord(field, 0, EntryRefusal::None);
    const std::vector<int> codes = FindComuni(text);
    if (codes.empty()) return EntryRefusal::NoComune;
    int code = codes.front();
    if (codes.size() > 1) {
        code = context.pickComune ? context.pickComune(codes) : 0;
        if (std::find(codes.begin(), codes.end(), code) == codes.end()) return EntryRefusal::None;
    }
    SetFieldWord(field, 0, int16_t(code));
    return EntryRefusal::None;
}

// Steps of the commit that read the typed text (modes 1 to 3).
EntryRefusal CommitTyped(int field, const std::string& typed, const CommitContext& context) {
    const FieldType type = FieldTypes[field];
    if (type.IsText()) {
        if (typed != context.originalText) CommitText(field, typed);
        return EntryRefusal::None;
    }
    const bool quickCoded = IsQuickEntryField(field) && type.IsAnswer();
    if (UpperAz(typed) == UpperAz(context.originalText) && !quickCoded) return EntryRefusal::None;
    const std::string text = WithoutEmptyForm(type, typed, context.originalText);

    int v = kEmptyShort;
    if (auto whole = WholeInteger(text); whole && *whole > -kPartLimit && *whole < kPartLimit)
        v = int(*whole);
    if (IsQuickEntryField(field) && !text.empty()) {
        const char c = text[0];
        if (IsDigit(c)) v = c - '0';
        if (c >= 'A' && c <= 'Z') v = c - 'A' + 10;
        if (c >= 'a' && c <= 'z') v = c - 'a' + 10;
    }
    if (IsPlusOneField(field) && v != kEmptyShort) v = v + 1;

    switch (type) {
        case FieldType::kCoded:
        case FieldType::kFurtherAnswer:
            return CommitCategory(field, v, text, context);
        case FieldType::kDate:
            return CommitDate(field, text, context.now);
        case FieldType::kMunicipality:
            return CommitComune(field, text, context);
        case FieldType::kNumber:
            return CommitShortNumber(field, text);
        case FieldType::kTime:
            return CommitWord(field, ReadTimeValue(text, context.now), EntryRefusal::NotATime);
        case FieldType::kPercent:
            return CommitWord(field, ReadPercentage(text), EntryRefusal::NotAPercentage);
        case FieldType::kNumber32:
            return CommitLongNumber(field, text);
        default:
            return EntryRefusal::None;
    }
}

}  // namespace

std::string EntryTextWithoutMark(const std::string& buffer, int cursor) {
    std::string text = buffer.substr(0, buffer.find('\0'));
    if (cursor >= 0 && size_t(cursor) < text.size() && text[size_t(cursor)] == '>')
        text.erase(size_t(cursor), 1);
    return text;
}

std::optional<CardDateWords> ReadCardDate(const std::string& text, const EntryClock& now) {
    // An emptied field is the empty date, not day 0 of month 0 of the year 2000.
    if (BlankOnly(text) && text.size() != 1) return CardDateWords{};
    int day = now.day, month = now.month, year = now.year;
    if (text[0] != ' ') {
        const auto runs = DigitRuns(TrimBlanks(text));
        if (!runs || runs->count != 3) return std::nullopt;
        const std::string_view y = runs->runs[2];
        if (runs->runs[0].size() > 2 || runs->runs[1].size() > 2 || y.size() > 4) return std::nullopt;
        day = RunValue(runs->runs[0]);
        month = RunValue(runs->runs[1]);
        year = y.size() <= 2 ? FullYear(RunValue(y), now) : RunValue(y);
    }
    if (year < 1900 || !DateExists(day, month, year)) return std::nullopt;
    return CardDateWords{int16_t(day), int16_t(month), int16_t(year - 1900)};
}

bool DateExists(int day, int month, int year) {
    return day >= 0 && month >= 0 && month <= 12 && day <= (month ? DaysInMonth(month, year) : 31);
}

std::optional<int16_t> ReadTimeValue(std::string_view text, const EntryClock& now) {
    if (BlankOnly(text) && text.size() != 1) return kEmptyShort;
    int hours = now.hour, minutes = now.minute;
    if (text[0] != ' ') {
        // A separator may end the text: the field shows "09:30.".
        const auto runs = DigitRuns(TrimBlanks(text));
        if (!runs || runs->count == 0 || runs->count > 2) return std::nullopt;
        const std::string_view first = runs->runs[0];
        if (runs->count == 1 && (first.size() == 3 || first.size() == 4)) {
            // Without a separator the last two digits are the minutes.
            hours = RunValue(first.substr(0, first.size() - 2));
            minutes = RunValue(first.substr(first.size() - 2));
        } else {
            if (first.size() > 2 || (runs->count == 2 && runs->runs[1].size() > 2)) return std::nullopt;
            hours = RunValue(first);
            minutes = runs->count == 2 ? RunValue(runs->runs[1]) : 0;
        }
    }
    if (hours > 24 || minutes > 59) return std::nullopt;
    return int16_t(hours * 100 + minutes);
}

int16_t ReadShortNumber(std::string_view text) {
    const auto v = WholeInteger(NumberRun(text));
    return v && *v > -kPartLimit && *v < kPartLimit ? int16_t(*v) : kEmptyShort;
}

int32_t ReadLongNumber(std::string_view text) {
    const auto v = WholeInteger(NumberRun(text));
    return v ? int32_t(*v) : kEmptyNumber;
}

std::vector<int> FindCategoriesByName(int field, const std::string& name) {
    const int n = FieldCategoryCount(field);
    if (n <= 0 || FieldFirstLabel[field] < 0 || name.empty()) return {};
    std::vector<std::string> labels =
        ReadNameRecords(DataFilePath(data_file::kLabel), FieldFirstLabel[field], n);
    for (std::string& label : labels) label = FoldLetters(label);
    std::vector<int> found;
    MatchLabels(SortedLabels(n, [&](int v) { return std::string_view(labels[size_t(v - 1)]); }),
                FoldLetters(name), found);
    return found;
}

CategoryLabelTable::CategoryLabelTable() : path_(DataFilePath(data_file::kLabel)) {
    labels_ = ReadAllNameRecords(path_);
    for (std::string& label : labels_) label = FoldLetters(label);
}

const std::vector<int>& CategoryLabelTable::Find(int field, std::string_view name) {
    found_.clear();
    const int n = FieldCategoryCount(field);
    if (n <= 0 || FieldFirstLabel[field] < 0 || name.empty()) return found_;
    const size_t first = size_t(FieldFirstLabel[field]);
    if (first + size_t(n) > labels_.size()) ThrowIo(kReadPastEnd, path_);
    // Each field's labels are prepared at its first name, and kept for the run.
    if (prepared_.empty()) prepared_.resize(kMaxFields + 1);
    Prepared& labels = prepared_[size_t(field)];
    if (labels.sorted.empty()) {
        labels.sorted =
            SortedLabels(n, [&](int v) { return std::string_view(labels_[first + size_t(v - 1)]); });
        labels.whole = NameIndex(size_t(n));
        // Equal labels come in ascending order: the last one stays.
        for (const LabelEntry& e : labels.sorted) labels.whole.Put(e.label, e.category);
    }
    FoldLetters(name, key_);
    // Whole labels are what is typed most: they are found straight away.
    if (const int category = labels.whole.Value(key_)) {
        found_.push_back(category);
        return found_;
    }
    MatchLabels(labels.sorted, key_, found_);
    return found_;
}

CommitResult CommitField(int field, const std::string& text, const CommitContext& context) {
    CommitResult result;
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields)) return result;
    if (IsTypingMode(context.mode)) {
        const auto text0 = CurrentCardText;
        const auto values0 = CurrentCardValues;
        result.refusal = CommitTyped(field, text, context);
        result.changed = text0 != CurrentCardText || values0 != CurrentCardValues;
    }
    if (field == 1 && CoreState.HasLinkedArchives && CurrentCardGeometry().wordCount >= 1 &&
        int(CurrentCardValues[1]) != CoreState.FirstCardWord) {
        ImportLinkedCard();
        result.linked = true;
        result.changed = true;
    }
    return result;
}

std::string RefusalMessage(EntryRefusal refusal, int field) {
    // The status line's word on each EntryRefusal.
    static constexpr int kRefusalTexts[] = {0, 1551, 1552, 1553, 1554, 1555, 1556, 1557};
    constexpr int kAllowedFrom = 2247;
    constexpr int kAllowedTo = 2248;
    if (refusal == EntryRefusal::None) return {};
    std::string message = LoadText(kRefusalTexts[size_t(refusal)]);
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields)) return message;
    // Numbers and categories name their limits; the other texts name theirs already.
    int64_t low = 0, high = -1;
    const FieldType type = TypeOfField(field);
    if (type == FieldType::kNumber) {
        low = -(kPartLimit - 1);
        high = kPartLimit - 1;
    } else if (type == FieldType::kNumber32) {
        low = INT32_MIN;
        high = INT32_MAX;
    } else if (type.IsAnswer()) {
        low = 1;
        high = FieldCategoryCount(field);
    }
    if (low > high) return message;
    return message + " " + LoadText(kAllowedFrom) + " " + std::to_string(low) + " " + LoadText(kAllowedTo) +
           " " + std::to_string(high) + ".";
}

CommitResult CommitEntryBuffer(const PickCategory& pick, const PickComune& pickComune,
                               const PickAmongCategories& pickAmong) {
    CommitContext context;
    context.mode = CoreState.CardWindowMode;
    context.originalText = CoreState.EntryOriginalText;
    context.pick = pick;
    context.pickComune = pickComune;
    context.pickAmong = pickAmong;
    std::string text;
    if (IsTypingMode(context.mode)) {
        text = EntryTextWithoutMark(CoreState.EntryBuffer, CoreState.EntryCursor);
        CoreState.EntryBuffer = text;
    }
    return CommitField(CoreState.CurrentField, text, context);
}

}  // namespace qv
