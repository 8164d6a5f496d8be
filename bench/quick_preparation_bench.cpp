// Times the preparation of the quick bit matrix against a floor, and the counting pass beside it.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON -DQV_TESTS=OFF &&
//     cmake --build build-bench --target quick_preparation_bench -j4 &&
//     taskset -c 7 build-bench/quick_preparation_bench
//
// The archive is the shape users have (100 words a card of mixed field types, see
// bench_archive.h), its generated grid copied as the quick grid, at 10,000 and 500,000 random
// cards in the page cache.
//
// The floor is the work the preparation must do whatever its category test: read every byte of
// the card file (4 MB reads), set each card's bits in the matrix laid out a variable at a time,
// and write the matrix file whole. It is handed each card's true lines, taken from the matrix the
// program wrote before the rounds (so it sets exactly the same bits), and does no classifying.
// Each round runs the floor, then the preparation; the median ratio of 11 rounds and its range
// are printed. Goal at 500,000 cards: 1.5x the floor.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

#include "bench_archive.h"
#include "pin_cpu.h"

using namespace qv::bench;

namespace {

// Each card's true lines (0-based), card c's at lines[first[c] .. first[c + 1]).
struct TrueLines {
    std::vector<uint32_t> first;
    std::vector<uint16_t> lines;
};

TrueLines FromMatrix(int variables, int count) {
    const std::string matrix = ReadFileOrThrow(DataFilePath(data_file::kBitMatrix));
    const size_t area = size_t(MatrixAreaRecords(count - 1)) * kMatrixRecordBytes;
    std::vector<std::vector<uint16_t>> byCard(static_cast<size_t>(count));
    for (int v = 0; v < variables; ++v)
        for (int c = 0; c < count; ++c)
            if (uint8_t(matrix[size_t(v) * area + size_t(c / 8)]) & (0x80 >> (c % 8)))
                byCard[size_t(c)].push_back(uint16_t(v));
    TrueLines t;
    for (const auto& lines : byCard) {
        t.first.push_back(uint32_t(t.lines.size()));
        t.lines.insert(t.lines.end(), lines.begin(), lines.end());
    }
    t.first.push_back(uint32_t(t.lines.size()));
    return t;
}

// Reads the cards, sets their bits a variable at a time, writes the matrix.
uint64_t Floor(const TrueLines& t, int variables, int count) {
    const size_t area = size_t(MatrixAreaRecords(count - 1)) * kMatrixRecordBytes;
    std::string matrix(area * size_t(variables), '\0');
    RecordFile file(DataFilePath(data_file::kCardValues), 1, RecordFile::Mode::Read);
    const size_t cardBytes = size_t(CoreState.CardWordCount) * 2;
    std::vector<uint8_t> buffer((4 << 20) / cardBytes * cardBytes);
    uint64_t sum = 0;
    int64_t at = 0, got;
    int card = 0;
    while ((got = file.ReadUpTo(at, buffer.data(), int64_t(buffer.size()))) > 0) {
        for (size_t k = 0; k + cardBytes <= size_t(got) && card < count; k += cardBytes, ++card) {
            sum += buffer[k];
            const uint8_t bit = uint8_t(0x80 >> (card % 8));
            for (uint32_t i = t.first[size_t(card)]; i < t.first[size_t(card) + 1]; ++i)
                matrix[size_t(t.lines[i]) * area + size_t(card / 8)] |= char(bit);
        }
        at += got;
    }
    WriteFileAtomic(DataFilePath(data_file::kBitMatrix) + ".floor", matrix);
    return sum;
}

}  // namespace

int main() {
    bench::PinToOneCpu();

    char tmpl[] = "/tmp/qv-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    BuildMixedDefinition(dir);
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    WriteFileAtomic(DataFilePath(data_file::kQuickGrid), ReadFileOrThrow(DataFilePath(data_file::kGrid)));
    WriteFileAtomic(DataFilePath(data_file::kQuickQuantGrid),
                    ReadFileOrThrow(DataFilePath(data_file::kQuantGrid)));
    const CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    std::printf("%d fields, %d words a card, grid lines %d; median of 11 paired rounds (range)\n",
                CoreState.FieldCount, CoreState.CardWordCount, grid.Count);
    for (int line = 0; line < grid.Count; ++line) StandardRowFlags[size_t(line)] = 1;

    NoProgress progress;
    for (int count : {10000, 500000}) {
        WriteCards(count);
        CoreState.LastCard = count - 1;
        CardSelectionMask.fill(0);
        for (int c = 0; c < count; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
        PlainRead();  // into the page cache
        BuildDichotomousMatrix(progress);
        const TrueLines truths = FromMatrix(grid.Count, count);
        uint64_t sum = 0;
        std::vector<double> ratios, times, floors, pass28;
        for (int round = 0; round < 11; ++round) {
            const double f = Seconds([&] { sum += Floor(truths, grid.Count, count); }, 1);
            const double t = Seconds([&] { BuildDichotomousMatrix(progress); }, 1);
            const double c = Seconds([&] { RunCountingPass(kCategoryCountPass, progress); }, 1);
            ratios.push_back(t / f), times.push_back(t), floors.push_back(f), pass28.push_back(c / f);
        }
        for (auto* v : {&ratios, &times, &floors, &pass28}) std::sort(v->begin(), v->end());
        std::printf(" %d cards, %.1f MB of card file, %zu bits set (checksum %llu)\n", count,
                    double(count) * CoreState.CardWordCount * 2 / 1e6, truths.lines.size(),
                    static_cast<unsigned long long>(sum % 1000));
        std::printf("  %-30s %8.4f s  floor %8.4f s  %5.2fx floor (%.2f-%.2f)%s\n", "quick preparation",
                    times[5], floors[5], ratios[5], ratios.front(), ratios.back(),
                    count == 500000 ? "  goal 1.5x" : "");
        std::printf("  %-30s %5.2fx the same floor (%.2f-%.2f)\n", "pass 28, every line", pass28[5],
                    pass28.front(), pass28.back());
    }
    std::filesystem::remove_all(dir);
    return 0;
}
