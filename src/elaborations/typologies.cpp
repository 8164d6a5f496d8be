#include "elaborations/typologies.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "core/card_store.h"
#include "core/data_files.h"
#include "core/selected_cards.h"
#include "core/text_tables.h"
#include "elaborations/card_classifier.h"
#include "elaborations/factor_counts.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kProfileLineWidth = 209;  // 9 characters and up to 200 more
constexpr int kMaxCategoryLine = 4000;

bool IsBlank(char c) {
    return c == ' ';
}

std::string_view Columns(const std::string& line, size_t first, size_t count) {
    if (line.size() < first) return {};
    return std::string_view(line).substr(first - 1, count);
}

// Columns 18..21: blanks, then digits up to the end. 0 when they do not read so.
int ReadCategoryColumns(const std::string& line) {
    std::string_view s = Columns(line, 18, 4);
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i == s.size()) return 0;
    int v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return 0;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

// Columns 11..15 as a real number (leading blanks, a sign, digits with a point, an exponent),
// answered as Trunc(value x 1000) worked out on the decimal digits themselves, so that a
// loading written with three decimals gives exactly its thousandths. Text that does not read as
// a number weighs 0; weights are kept within a signed 16-bit word.
int16_t ReadWeightColumns(const std::string& line) {
    std::string_view s = Columns(line, 11, 5);
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::string digits;
    int exponent = 0;  // value = digits x 10^exponent
    bool point = false, anyDigit = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            digits.push_back(c);
            if (point) --exponent;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) expNegative = s[i++] == '-';
        if (i == s.size()) return 0;
        int e = 0;
        for (; i < s.size(); ++i) {
            if (s[i] < '0' || s[i] > '9') return 0;
            e = e * 10 + (s[i] - '0');
        }
        exponent += expNegative ? -e : e;
    }
    if (i != s.size()) return 0;
    exponent += 3;  // thousandths
    int64_t v = 0;
    const int64_t limit = 40000;
    const int keep = int(digits.size()) + std::min(exponent, 0);  // digits left after truncation
    for (int k = 0; k < keep && v < limit; ++k) v = v * 10 + (digits[size_t(k)] - '0');
    for (int k = 0; k < exponent && v < limit; ++k) v *= 10;
    v = std::min<int64_t>(v, INT16_MAX);
    return int16_t(negative ? -v : v);
}

// Puts the flags back from "maf-sch.dat" however the attribution ends.
struct FlagReload {
    ~FlagReload() { ReloadAfcCategoryFlags(); }
};

}  // namespace

TypologyTable ReadTypologyProfile(const std::string& path) {
    TextReader reader;
    reader.OpenOrThrow(path);
    TypologyTable table;
    int current = -1;   // 0-based typology being filled; -1 before the first
    bool full = false;  // further typologies have no room
    while (!reader.Eof()) {
        const std::string line = reader.ReadLine(kProfileLineWidth);
        if (!line.empty() && line[0] == '-') {
            if (table.Opened < kTypologies) {
                current = table.Opened++;
            } else {
                full = true;
            }
        }
        if (current < 0 || full) continue;
        int& count = table.TermCount[size_t(current)];
        if (count >= kTypologyTerms) continue;
        const int category = ReadCategoryColumns(line);
        if (category < 1 || category > kMaxCategoryLine) continue;
        const bool absent = line.size() >= 10 && line[9] == '-';
        table.Terms[size_t(current)][size_t(count)] = {int16_t(absent ? -category : category),
                                                       ReadWeightColumns(line)};
        ++count;
    }
    return table;
}

std::string TypologyListText(const TypologyTable& table, const std::string& heading) {
    TextBuilder out;
    out.Line(heading + " " + std::to_string(table.Opened));
    for (int t = 0; t < table.Opened; ++t) {
        std::string line;
        for (const TypologyTerm& term : table.Terms[size_t(t)]) {
            if (term.Category > 0) line += RightAligned(term.Category, 10);
            if (term.Weight > 0) line += RightAligned(term.Weight, 10);
        }
        out.Line(line);
    }
    return out.Text();
}

TypologyTable BuildTypologies(const std::string& profilePath, FactorRoad road, FlagList& working) {
    TypologyTable table = ReadTypologyProfile(profilePath);
    const std::string heading = LoadText(road == FactorRoad::Standard ? 147 : 531);
    WriteFileAtomic(DataFilePath(data_file::kTypologyList), TypologyListText(table, heading));

    working.fill(0);
    for (int t = 0; t < table.Opened; ++t)
        for (const TypologyTerm& term : table.Terms[size_t(t)])
            if (term.Category != 0) working[size_t(std::abs(term.Category) - 1)] = 1;
    std::array<int16_t, kFlagListSize + 1> slotOfLine{};
    int16_t slot = 0;
    for (int index = 0; index < kFlagListSize; ++index)
        if (working[size_t(index)]) slotOfLine[size_t(index + 1)] = ++slot;
    for (int t = 0; t < table.Opened; ++t)
        for (TypologyTerm& term : table.Terms[size_t(t)]) {
            if (term.Category == 0) continue;
            const int16_t s = slotOfLine[size_t(std::abs(term.Category))];
            term.Category = term.Category < 0 ? int16_t(-s) : s;
        }
    return table;
}

int16_t TypologyScore(const std::array<TypologyTerm, kTypologyTerms>& terms,
                      const std::vector<uint8_t>& present) {
    int64_t all = 0, holding = 0;
    for (const TypologyTerm& term : terms) {
        if (term.Category == 0) continue;
        const size_t slot = size_t(std::abs(term.Category));
        if (slot >= present.size()) continue;  // not in the grid read: cannot be decided
        all += term.Weight;
        if ((present[slot] != 0) == (term.Category > 0)) holding += term.Weight;
    }
    if (all <= 0) return int16_t(kEmptyScore);
    return int16_t(std::clamp<int64_t>(holding * 100 / all, INT16_MIN, INT16_MAX));
}

int TypologyScoreOffset(int field) {
    if (field < 1 || field > kMaxFields) return -1;
    const int position = FieldPositions[size_t(field)];
    const int words = CurrentCardGeometry().wordCount;
    // The last two words of a card head its notes chain.
    if (position < 1 || position + kTypologyScoreWords - 1 > words - 2) return -1;
    return position - 1;
}

void ReloadAfcCategoryFlags() {
    StandardAfcCategoryFlags.fill(0);
    const auto bytes = TryReadFile(DataFilePath(data_file::kFactorLines));
    if (!bytes) return;
    for (size_t at = 0; at + 2 <= bytes->size(); at += 2) {
        const int16_t index = GetI16(Bytes(*bytes) + at);
        if (index >= 0 && index < kFlagListSize) StandardAfcCategoryFlags[size_t(index)] = 1;
    }
}

TypologyScoring AttributeTypologies(FactorRoad road, const std::string& profilePath, Progress& progress) {
    const int offset = TypologyScoreOffset(CoreState.TypologyField);
    if (offset < 0) return {};
    FlagReload reload;
    const TypologyTable table = BuildTypologies(profilePath, road, StandardAfcCategoryFlags);
    const AfcGrid grid = LoadAfcGrid(StandardAfcCategoryFlags,
                                     road == FactorRoad::Standard ? data_file::kGrid : data_file::kQuickGrid);
    const int n = grid.Slots.Count;
    std::vector<int> unused;
    for (int line = 1; line <= kFlagListSize; ++line)
        if (StandardAfcCategoryFlags[size_t(line - 1)] &&
            !std::binary_search(grid.GridLine.begin(), grid.GridLine.end(), line))
            unused.push_back(line);

    SelectedCards cards(progress);
    CardClassifier classifier(grid.Slots, AfcTestableSlots(grid), cards.WordCount());
    std::vector<uint8_t> present(size_t(n) + 1, 0);
    int scored = 0;
    cards.ForEach([&](int32_t c, uint16_t* card) {
        classifier.Classify(card);
        std::fill(present.begin(), present.end(), 0);
        for (int32_t k : classifier.True()) present[size_t(k)] = 1;
        classifier.Clear();
        for (int t = 0; t < kTypologies; ++t)
            card[offset + t] = uint16_t(t < table.Opened ? TypologyScore(table.Terms[size_t(t)], present)
                                                         : int16_t(kEmptyScore));
        // Card by card, so that an error midway leaves every card written so far whole.
        cards.Files().WriteValues(c, card);
        ++scored;
    });
    return {scored, cards.Count(), std::move(unused)};
}

}  // namespace qv
