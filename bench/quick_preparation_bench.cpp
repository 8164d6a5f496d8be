// Times the preparation of the quick files against a plain read of the card file and the
// counting pass over the same grid.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON &&
//     cmake --build build-bench --target quick_preparation_bench -j3 && build-bench/quick_preparation_bench
//
// The archive is the counting benchmark's: 43 declarations, 150 words a card, its generated grid
// (about 300 lines) copied as the quick grid, and 100,000 and 500,000 random cards. Everything
// runs on one core with the card file in the page cache.
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/counting_engine.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "quick/preparation.h"

using namespace qv;

namespace {

std::string NameRecord(const std::string& text) {
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

Definition BuildDefinition(const std::string& dir) {
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
    CoreState.FieldCount = field;
    CoreState.CardWordCount = ((word - 1) / 50 + 2) * 50;
    CoreState.CardTextBytes = ((text - 1) / 50 + 2) * 50;
    WriteFileAtomic(DataFilePath(22), names);
    WriteFileAtomic(DataFilePath(23), labels);
    return d;
}

void WriteCards(int count) {
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
    WriteFileAtomic(DataFilePath(5), bytes);
}

double Seconds(const std::function<void()>& job, int repeats) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        job();
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
        best = std::min(best, d.count());
    }
    return best;
}

uint64_t PlainRead() {
    RecordFile file(DataFilePath(5), 1, RecordFile::Mode::Read);
    std::vector<uint64_t> buffer((4 << 20) / 8);
    uint64_t sum = 0;
    int64_t at = 0, got;
    while ((got = file.ReadUpTo(at, buffer.data(), int64_t(buffer.size() * 8))) > 0) {
        sum += buffer[0] + buffer[size_t(got / 8) - 1];
        at += got;
    }
    return sum;
}

void Report(const char* what, double seconds, int cards, double plain) {
    std::printf("  %-38s %8.3f s  %12.0f cards/s  %6.2fx plain read\n", what, seconds, cards / seconds,
                seconds / plain);
}

}  // namespace

int main() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);

    char tmpl[] = "/tmp/qv-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    BuildDefinition(dir);
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    WriteFileAtomic(DataFilePath(58), ReadFileOrThrow(DataFilePath(37)));
    WriteFileAtomic(DataFilePath(89), ReadFileOrThrow(DataFilePath(43)));
    CategoryGrid grid = LoadCategoryGrid(DataFilePath(37));
    std::printf("fields %d, words a card %d, grid lines %d\n", CoreState.FieldCount, CoreState.CardWordCount,
                grid.Count);
    for (int line = 0; line < grid.Count; ++line) StandardRowFlags[size_t(line)] = 1;

    NoProgress progress;
    for (int count : {100000, 500000}) {
        WriteCards(count);
        CoreState.LastCard = count - 1;
        std::string last;
        AppendI32(last, count - 1);
        WriteFileAtomic(DataFilePath(8), last);
        CardSelectionMask.fill(0);
        for (int c = 0; c < count; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
        PlainRead();  // into the page cache

        std::printf("%d cards, %.1f MB of card file\n", count,
                    double(count) * CoreState.CardWordCount * 2 / 1e6);
        const double plain = Seconds([] { PlainRead(); }, 5);
        const double pass28 = Seconds([&] { RunCountingPass(kCategoryCountPass, progress); }, 3);
        const double matrix = Seconds([&] { BuildDichotomousMatrix(progress); }, 3);
        const double values =
            Seconds([&] { PreparePerCardValues(PerCardValueKind::Quantity, 1, progress); }, 3);
        // What a quick simple distribution does per variable: set bits of (selection AND area).
        const int32_t lastCard = ReadPreparedCardCount();
        std::vector<std::vector<uint8_t>> areas;
        for (int v = 0; v < grid.Count; ++v) areas.push_back(ReadMatrixArea(v, lastCard));
        int64_t total = 0;
        const double counts = Seconds(
            [&] {
                std::vector<uint8_t> both(areas[0].size());
                for (const std::vector<uint8_t>& a : areas) {
                    const size_t n = std::min(a.size(), CardSelectionMask.size());
                    for (size_t i = 0; i < n; ++i) both[i] = a[i] & CardSelectionMask[i];
                    total += CountSetBits(both.data(), n);
                }
            },
            5);
        Report("plain sequential read", plain, count, plain);
        Report("pass 28, all rows", pass28, count, plain);
        Report("bit matrix (dat-dat.dat)", matrix, count, plain);
        Report("one value file (num-dat.dat)", values, count, plain);
        std::printf("  %-38s %8.4f s  (%d variables, %lld bits)\n", "count every variable in the matrix",
                    counts, grid.Count, static_cast<long long>(total / 5));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
