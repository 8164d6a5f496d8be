// Times the preparation of the quick files against a plain read of the card file and the
// counting pass over the same grid.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON &&
//     cmake --build build-bench --target quick_preparation_bench -j3 && build-bench/quick_preparation_bench
//
// The archive is the counting benchmark's: 43 declarations, 150 words a card, its generated grid
// (about 300 lines) copied as the quick grid, and 100,000 and 500,000 random cards. Everything
// runs on one core with the card file in the page cache.
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
#include "quick/quick_counts.h"

using namespace qv;

#include "bench_archive.h"
#include "pin_cpu.h"

using namespace qv::bench;

int main() {
    bench::PinToOneCpu();

    char tmpl[] = "/tmp/qv-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    BuildDefinition(dir);
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    WriteFileAtomic(DataFilePath(data_file::kQuickGrid), ReadFileOrThrow(DataFilePath(data_file::kGrid)));
    WriteFileAtomic(DataFilePath(data_file::kQuickQuantGrid),
                    ReadFileOrThrow(DataFilePath(data_file::kQuantGrid)));
    CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    std::printf("fields %d, words a card %d, grid lines %d\n", CoreState.FieldCount, CoreState.CardWordCount,
                grid.Count);
    for (int line = 0; line < grid.Count; ++line) StandardRowFlags[size_t(line)] = 1;

    NoProgress progress;
    for (int count : {100000, 500000}) {
        WriteCards(count);
        CoreState.LastCard = count - 1;
        std::string last;
        AppendI32(last, count - 1);
        WriteFileAtomic(DataFilePath(data_file::kLastCard), last);
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
        std::vector<CardBitmap> areas;
        for (int v = 0; v < grid.Count; ++v) areas.push_back(ReadMatrixArea(v, lastCard));
        const CardBitmap selection(CardSelectionMask.data(), CardSelectionMask.size());
        int64_t total = 0;
        const double counts = Seconds(
            [&] {
                for (const CardBitmap& a : areas) total += a.CountCommon(selection);
            },
            5);
        // The same through the reports' counter: each area read and counted against the selection.
        int64_t counted = 0;
        const double counter = Seconds(
            [&] {
                QuickCardCounter c;
                for (int v = 0; v < grid.Count; ++v) counted += c.Count(c.Area(v), c.Selection());
            },
            5);
        Report("plain sequential read", plain, count, plain, 38);
        Report("pass 28, all rows", pass28, count, plain, 38);
        Report("bit matrix (dat-dat.dat)", matrix, count, plain, 38);
        Report("one value file (num-dat.dat)", values, count, plain, 38);
        std::printf("  %-38s %8.4f s  (%d variables, %lld bits)\n", "count every variable in the matrix",
                    counts, grid.Count, static_cast<long long>(total / 5));
        std::printf("  %-38s %8.4f s  (%lld bits)\n", "quick counter, every variable", counter,
                    static_cast<long long>(counted / 5));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
