#pragma once
// The benchmark archives shared by the benchmarks: a definition of 43 declarations (coded fields
// of 2 to 12 categories, a multi-answer group, dates, numbers; 150 words a card; a municipality
// field on request), one of 100 words a card of mixed field types, random cards written straight
// into "num-sch.dat", and the timing helpers.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/text_file.h"

namespace qv::bench {

inline std::string NameRecord(const std::string& text) {
    std::string r = text;
    r.resize(61, '\0');
    return r;
}

struct Definition {
    std::vector<int> codedFields;  // first answer of each coded field, with its category count
    std::vector<int> categories;
    std::vector<int> groupFields;
    int groupCategories = 10;
};

// Declarations written one after another: the definition tables set directly, the names and
// labels files written at the end.
class Declarations {
  public:
    explicit Declarations(const std::string& dir) {
        ResetProgramState();
        CoreState.ArchiveDir = dir;
    }
    int Add(int type, int words, const std::string& name) {
        ++field_;
        FieldTypes[field_] = int16_t(type);
        FieldPositions[field_] = int16_t(words > 0 ? word_ : 0);
        LayoutPage[field_] = 1;
        word_ += words;
        names_ += NameRecord(name);
        if (type < 0) {
            FieldTextOffsets[field_] = int16_t(text_);
            text_ -= type;
        }
        return field_;
    }
    // A coded field of `categories` answers, or a multi-answer group of `answers` fields.
    int Coded(int categories, const std::string& name, Definition& d, int answers = 1) {
        const int first = label_;
        for (int k = 1; k <= categories; ++k)
            labels_ += NameRecord("Modalita " + std::to_string(k)), ++label_;
        int f = 0;
        for (int a = 0; a < answers; ++a) {
            const int g = Add(a == 0 ? 0 : 1, 1, name);
            FieldFirstLabel[g] = int16_t(first);
            FieldLastLabel[g] = int16_t(label_ - 1);
            if (answers > 1) d.groupFields.push_back(g);
            if (a == 0) f = g;
        }
        if (answers == 1) d.codedFields.push_back(f), d.categories.push_back(categories);
        return f;
    }
    int WordsUsed() const { return word_ - 1; }
    // `cardWords` 0: the compiler's reserve of 50 to 100 words past the last one used.
    void Save(int cardWords = 0) {
        CoreState.FieldCount = field_;
        CoreState.CardWordCount = cardWords ? cardWords : ((word_ - 1) / 50 + 2) * 50;
        CoreState.CardTextBytes = ((text_ - 1) / 50 + 2) * 50;
        WriteFileAtomic(DataFilePath(data_file::kFieldName), names_);
        WriteFileAtomic(DataFilePath(data_file::kLabel), labels_);
    }

  private:
    int field_ = 0, word_ = 1, text_ = 1, label_ = 0;
    std::string names_, labels_;
};

// 43 declarations, 59 words used of 150 a card, nearly all coded: the cheapest kind of category.
// `withComune` adds a municipality field after the others (the import's benchmark).
inline Definition BuildDefinition(const std::string& dir, bool withComune = false) {
    Declarations decl(dir);
    Definition d;
    for (int i = 0; i < 28; ++i) {
        decl.Coded(2 + i % 11, "Codice" + std::to_string(i + 1), d);
        if (i == 9) decl.Coded(d.groupCategories, "Interessi", d, 12);  // among the coded fields
        if (i % 7 == 3) decl.Add(-30, 0, "Nome");
    }
    for (int i = 0; i < 3; ++i) decl.Add(2, 3, "Data" + std::to_string(i + 1));
    for (int i = 0; i < 4; ++i) decl.Add(4, 1, "Numero" + std::to_string(i + 1));
    for (int i = 0; i < 2; ++i) decl.Add(7, 2, "Importo" + std::to_string(i + 1));
    decl.Add(5, 1, "Ora");
    decl.Add(6, 1, "Quota");
    if (withComune) decl.Add(3, 1, "Comune");
    decl.Save();
    return d;
}

// The shape users have: 100 words a card, 96 of them used by fields of every type in turn
// (coded fields, dates, 16- and 32-bit numbers, times, percentages, multi-answer groups of 8 and
// of 20 answers, texts), so that any run of grid lines mixes every kind of category.
inline Definition BuildMixedDefinition(const std::string& dir) {
    Declarations decl(dir);
    Definition d;
    d.groupCategories = 8;
    for (int block = 0; block < 6; ++block) {
        const std::string n = std::to_string(block + 1);
        decl.Coded(2 + block % 5, "Sesso" + n, d);
        decl.Add(2, 3, "Data" + n);
        decl.Add(4, 1, "Eta" + n);
        decl.Add(7, 2, "Reddito" + n);
        decl.Coded(3 + block * 2, "Titolo" + n, d);
        decl.Add(5, 1, "Ora" + n);
        decl.Add(6, 1, "Quota" + n);
        if (block % 2 == 0) decl.Coded(block == 4 ? 20 : d.groupCategories, "Interessi" + n, d, 6);
        if (block % 3 == 1) decl.Add(-20, 0, "Nome" + n);
    }
    for (int i = 0; decl.WordsUsed() < 96; ++i) decl.Coded(2 + i % 9, "Codice" + std::to_string(i + 1), d);
    decl.Save(100);
    return d;
}

// The generated grid ("grl-sch.txt") cut or extended to `lines` lines: past the generated lines
// (and, past 2,000 lines, the same variables once more), variables of 40 narrow classes of each
// numeric field and date in turn. The variables of the fields in `conditional` are asked only
// where line 1 is true (its children, under the parent rule), from the fourth on where the first
// answer of the first of them is (a chain).
inline int WriteGridOfLines(int lines, const std::vector<int>& conditional = {}) {
    GenerateDichotomousGrid();
    std::vector<std::string> grid;
    {
        TextReader in;
        in.OpenOrThrow(DataFilePath(data_file::kGrid));
        while (!in.Eof()) grid.push_back(in.ReadLine(300));
    }
    // A long grid asks its questions again, in a section of their own.
    if (lines > 2000)
        for (size_t i = 0, generated = grid.size(); i < generated; ++i) grid.push_back(grid[i]);
    std::vector<int> fields;
    for (int f = 1; f <= CoreState.FieldCount; ++f)
        if (FieldTypes[f] >= 2 && FieldTypes[f] <= 7 && FieldTypes[f] != 3) fields.push_back(f);
    for (size_t v = 0; int(grid.size()) < lines; ++v) {
        const int f = fields[v % fields.size()];
        for (int k = 0; k < 40 && int(grid.size()) < lines; ++k) {
            int32_t low = k * 5, high = k * 5 + 4;  // numbers, times
            if (FieldTypes[f] == 2) {               // dates, by half year
                const int32_t year = (90 + k / 2) * 10000;
                low = year + (k % 2 ? 701 : 101), high = year + (k % 2 ? 1231 : 630);
            }
            if (FieldTypes[f] == 7) low = k * 5000, high = low + 4999;
            if (FieldTypes[f] == 6) low = k * 250, high = low + 249;
            grid.push_back("Classe " + std::to_string(k + 1) + "*" + (k == 0 ? std::to_string(f) : "") + "=" +
                           std::to_string(low) + "," + std::to_string(high) + ";" + (k == 0 ? "G0S0" : ""));
        }
    }
    grid.resize(size_t(lines));
    // A variable's first line: "...*<field>=...;G<n>S0"; `chained`, that of the first
    // conditional variable.
    int chained = 0;
    for (size_t i = 0; i < grid.size(); ++i) {
        std::string& line = grid[i];
        const size_t star = line.find('*'), code = line.rfind(";G");
        if (star == std::string::npos || code == std::string::npos || line.compare(code + 3, 2, "S0") != 0)
            continue;
        const int field = std::atoi(line.c_str() + star + 1);
        const auto at = std::find(conditional.begin(), conditional.end(), field);
        if (at == conditional.end()) continue;
        if (chained == 0 && at == conditional.begin()) chained = int(i) + 1;
        line.replace(code + 3, 2,
                     "S" + std::to_string(at - conditional.begin() >= 3 && chained ? chained : 1));
    }
    TextBuilder out;
    for (const std::string& line : grid) out.Line(line);
    out.Save(DataFilePath(data_file::kGrid));
    return lines;
}

inline void WriteCards(int count) {
    std::mt19937 rng(12345);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int wc = CoreState.CardWordCount;
    std::string bytes;
    bytes.reserve(size_t(count) * size_t(wc) * 2);
    std::vector<uint16_t> card(static_cast<size_t>(wc));
    for (int c = 0; c < count; ++c) {
        std::fill(card.begin(), card.end(), 0);
        for (int f = 1; f <= CoreState.FieldCount; ++f) {
            const int p = FieldPositions[f] - 1;
            const bool empty = pick(0, 19) == 0;
            switch (FieldTypes[f]) {
                case 0:
                case 1: {
                    int cats = FieldLastLabel[f] - FieldFirstLabel[f] + 1;
                    card[size_t(p)] =
                        uint16_t(empty || (FieldTypes[f] == 1 && pick(0, 2)) ? 0 : pick(1, cats));
                    break;
                }
                case 2:
                    if (!empty) {
                        card[size_t(p)] = uint16_t(pick(1, 28));
                        card[size_t(p) + 1] = uint16_t(pick(1, 12));
                        card[size_t(p) + 2] = uint16_t(pick(90, 110));
                    }
                    break;
                case 4:
                    card[size_t(p)] = empty ? kEmptyWord : uint16_t(pick(0, 150));
                    break;
                case 5:
                    card[size_t(p)] = empty ? kEmptyWord : uint16_t(pick(0, 23) * 100 + pick(0, 59));
                    break;
                case 6:
                    card[size_t(p)] = empty ? kEmptyWord : uint16_t(pick(0, 10000));
                    break;
                case 7:
                    EncodeCardNumber(empty ? kEmptyNumber : pick(0, 200000), card[size_t(p)],
                                     card[size_t(p) + 1]);
                    break;
                default:
                    break;
            }
        }
        for (uint16_t w : card) AppendU16(bytes, w);
    }
    WriteFileAtomic(DataFilePath(data_file::kCardValues), bytes);
    // The text file and the last-card index as well: passes work on the cards both files hold.
    WriteFileAtomic(DataFilePath(data_file::kCardText),
                    std::string(size_t(count) * size_t(CoreState.CardTextBytes), '\0'));
    const uint32_t last = uint32_t(count - 1);
    const char index[4] = {char(last & 0xFF), char(last >> 8 & 0xFF), char(last >> 16 & 0xFF),
                           char(last >> 24)};
    WriteFileAtomic(DataFilePath(data_file::kLastCard), std::string(index, 4));
}

inline double Seconds(const std::function<void()>& job, int repeats) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        job();
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
        best = std::min(best, d.count());
    }
    return best;
}

inline uint64_t PlainRead() {
    RecordFile file(DataFilePath(data_file::kCardValues), 1, RecordFile::Mode::Read);
    std::vector<uint64_t> buffer((4 << 20) / 8);
    uint64_t sum = 0;
    int64_t at = 0, got;
    while ((got = file.ReadUpTo(at, buffer.data(), int64_t(buffer.size() * 8))) > 0) {
        sum += buffer[0] + buffer[size_t(got / 8) - 1];
        at += got;
    }
    return sum;
}

inline void Report(const char* what, double seconds, int cards, double plain, int width = 34) {
    std::printf("  %-*s %8.3f s  %12.0f cards/s  %6.2fx plain read\n", width, what, seconds, cards / seconds,
                seconds / plain);
}

}  // namespace qv::bench
