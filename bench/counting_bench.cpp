// Times the counting passes against a plain read of the card file.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON &&
//     cmake --build build-bench --target counting_bench -j3 && build-bench/counting_bench
//
// The archive is built in a temporary directory: a definition of 43 declarations (28 coded
// fields of 2 to 12 categories, a coded field of 12 answers, 3 dates, 4 numbers, 2 32-bit
// numbers, a time, a percentage, 3 texts: 59 words, so 150 words a card as the compiler
// reserves them), its generated grid (about 300 categories), and 100,000 and 500,000 random
// cards. The definition tables are set here directly rather than compiled from a card
// definition. Everything runs on one core with the card file in the page cache.
//
// Each pass is paired with a plain read of the card file (4 MB reads) in every round, and the
// median ratio of 11 rounds is printed. 500,000 cards (Release, one core, page cache):
//   pass 28, 78 rows, 10 columns, 4 MB blocks, file opened per block   2.5-2.7x plain read
//   the same with one descriptor and 256 kB blocks read into one buffer 2.0-2.9x plain read
//   the same counted a batch of cards at a time, one source at a time  1.33-1.48x plain read
//   (all rows: 3.9-4.8x before the batches, 3.2-3.5x after)
// Of the pass, about 65 % is the copy out of the page cache (a plain read's own work), about
// 30 % the counter, and about 1.3 ms the atomic write of the count table with its two syncs.
// A mapping of the file saves the copy but meets the same memory traffic on first touch and
// measured no faster here.
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

using namespace qv;

#include "bench_archive.h"
#include "pin_cpu.h"

using namespace qv::bench;

int main() {
    bench::PinToOneCpu();

    char tmpl[] = "/tmp/qv-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    Definition def = BuildDefinition(dir);
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    std::printf("fields %d, words a card %d, grid lines %d\n", CoreState.FieldCount, CoreState.CardWordCount,
                grid.Count);

    // Ten columns from the categories of two coded fields.
    int columns = 0;
    for (int i = 1; i <= grid.Count && columns < 10; ++i)
        if ((grid.Field[size_t(i)] == def.codedFields[4] || grid.Field[size_t(i)] == def.codedFields[12]) &&
            grid.Low[size_t(i)] > 0)
            StandardColumnFlags[size_t(i - 1)] = 1, ++columns;

    NoProgress progress;
    // Paired rounds: in each, the plain read of the card file and the pass right after it, so a
    // change of load moves both; the median of the ratios is the figure.
    auto paired = [&](const char* what, int count, const std::function<void()>& pass) {
        std::vector<double> ratios, times;
        for (int round = 0; round < 11; ++round) {
            const double plain = Seconds([] { PlainRead(); }, 3);
            const double t = Seconds(pass, 1);
            ratios.push_back(t / plain);
            times.push_back(t);
        }
        std::sort(ratios.begin(), ratios.end());
        std::sort(times.begin(), times.end());
        std::printf(
            "  %-34s %8.3f s  %12.0f cards/s  %6.2fx plain read (median of 11 paired rounds, %.2f-%.2f)\n",
            what, times[5], count / times[5], ratios[5], ratios.front(), ratios.back());
    };
    for (int count : {100000, 500000}) {
        WriteCards(count);
        CoreState.LastCard = count - 1;
        CardSelectionMask.fill(0);
        for (int c = 0; c < count; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
        PlainRead();  // into the page cache

        std::printf("%d cards, %.1f MB of card file\n", count,
                    double(count) * CoreState.CardWordCount * 2 / 1e6);
        const double plain = Seconds([] { PlainRead(); }, 5);
        Report("plain sequential read", plain, count, plain);
        const double perCard = Seconds(
            [count] {
                for (int c = 0; c < count; ++c) {
                    CoreState.CurrentCard = c;
                    ReadCardValues();
                }
            },
            1);
        Report("one read per card (ReadCardValues)", perCard, count, plain);
        // The first 78 rows (the categories of the first coded fields), then every row.
        for (int line = 0; line < grid.Count; ++line) StandardRowFlags[size_t(line)] = line < 78;
        paired("pass 28, 78 rows, 10 columns", count, [&] { RunCountingPass(kCategoryCountPass, progress); });
        for (int line = 0; line < grid.Count; ++line) StandardRowFlags[size_t(line)] = 1;
        paired("pass 28, all rows, 10 columns", count,
               [&] { RunCountingPass(kCategoryCountPass, progress); });
        paired("pass 29, 10 columns", count, [&] { RunCountingPass(kQuantitySumPass, progress); });
    }
    std::filesystem::remove_all(dir);
    return 0;
}
