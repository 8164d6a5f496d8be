#pragma once
// The benchmark archive shared by the benchmarks: a definition of 43 declarations (coded fields of
// 2 to 12 categories, a multi-answer group, dates, numbers; 150 words a card; a municipality
// field on request), random cards
// written straight into "num-sch.dat", and the timing helpers.
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
#include "platform/bytes.h"
#include "platform/file_io.h"

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

// `withComune` adds a municipality field after the others (the import's benchmark).
inline Definition BuildDefinition(const std::string& dir, bool withComune = false) {
    ResetProgramState();
    CoreState.ArchiveDir = dir;
    Definition d;
    std::string names, labels;
    int field = 0, word = 1, text = 1, label = 0;
    auto add = [&](int type, int words, const std::string& name) {
        ++field;
        FieldTypes[field] = int16_t(type);
        FieldPositions[field] = int16_t(words > 0 ? word : 0);
        LayoutPage[field] = 1;
        word += words;
        names += NameRecord(name);
        return field;
    };
    auto labelsOf = [&](int count) {
        int first = label;
        for (int k = 1; k <= count; ++k) labels += NameRecord("Modalita " + std::to_string(k)), ++label;
        return std::make_pair(first, label - 1);
    };
    for (int i = 0; i < 28; ++i) {
        int cats = 2 + i % 11;
        auto [first, last] = labelsOf(cats);
        int f = add(0, 1, "Codice" + std::to_string(i + 1));
        FieldFirstLabel[f] = int16_t(first);
        FieldLastLabel[f] = int16_t(last);
        d.codedFields.push_back(f);
        d.categories.push_back(cats);
        if (i == 9) {
            // The multi-answer group sits among the coded fields.
            auto [gf, gl] = labelsOf(d.groupCategories);
            for (int a = 0; a < 12; ++a) {
                int g = add(a == 0 ? 0 : 1, 1, "Interessi");
                FieldFirstLabel[g] = int16_t(gf);
                FieldLastLabel[g] = int16_t(gl);
                d.groupFields.push_back(g);
            }
        }
        if (i % 7 == 3) {
            int t = add(-30, 0, "Nome");
            FieldTextOffsets[t] = int16_t(text);
            text += 30;
        }
    }
    for (int i = 0; i < 3; ++i) add(2, 3, "Data" + std::to_string(i + 1));
    for (int i = 0; i < 4; ++i) add(4, 1, "Numero" + std::to_string(i + 1));
    for (int i = 0; i < 2; ++i) add(7, 2, "Importo" + std::to_string(i + 1));
    add(5, 1, "Ora");
    add(6, 1, "Quota");
    if (withComune) add(3, 1, "Comune");
    CoreState.FieldCount = field;
    CoreState.CardWordCount = ((word - 1) / 50 + 2) * 50;
    CoreState.CardTextBytes = ((text - 1) / 50 + 2) * 50;
    WriteFileAtomic(DataFilePath(data_file::kFieldName), names);
    WriteFileAtomic(DataFilePath(data_file::kLabel), labels);
    return d;
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
