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
// Pass 28 with all 291 rows and 10 columns, 500,000 cards (Release, one core, page cache; the
// plain read takes 0.007-0.008 s):
//   card by card through the classifier's list of true categories   0.256 s   36x plain read
//   once per field into interval slots by column pattern            0.060 s    7-8x plain read
// What remains is about a nanosecond per 16-bit field (table lookup and one add), two per date
// or 32-bit number, and the copy of the file; pass 29 takes 0.040 s on the same cards.
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

using namespace qv;

#include "bench_archive.h"

using namespace qv::bench;

int main() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);

    char tmpl[] = "/tmp/qv-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    Definition def = BuildDefinition(dir);
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
    std::printf("fields %d, words a card %d, grid lines %d\n", CoreState.FieldCount, CoreState.CardWordCount,
                grid.Count);

    // All rows; ten columns from the categories of two coded fields.
    for (int line = 0; line < grid.Count; ++line) StandardRowFlags[size_t(line)] = 1;
    int columns = 0;
    for (int i = 1; i <= grid.Count && columns < 10; ++i)
        if ((grid.Field[size_t(i)] == def.codedFields[4] || grid.Field[size_t(i)] == def.codedFields[12]) &&
            grid.Low[size_t(i)] > 0)
            StandardColumnFlags[size_t(i - 1)] = 1, ++columns;

    NoProgress progress;
    for (int count : {100000, 500000}) {
        WriteCards(count);
        CoreState.LastCard = count - 1;
        CardSelectionMask.fill(0);
        for (int c = 0; c < count; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
        PlainRead();  // into the page cache

        std::printf("%d cards, %.1f MB of card file\n", count,
                    double(count) * CoreState.CardWordCount * 2 / 1e6);
        const double plain = Seconds([] { PlainRead(); }, 5);
        const double perCard = Seconds(
            [count] {
                for (int c = 0; c < count; ++c) {
                    CoreState.CurrentCard = c;
                    ReadCardValues();
                }
            },
            1);
        const double pass28 = Seconds([&] { RunCountingPass(kCategoryCountPass, progress); }, 3);
        const double pass29 = Seconds([&] { RunCountingPass(kQuantitySumPass, progress); }, 3);
        Report("plain sequential read", plain, count, plain);
        Report("one read per card (ReadCardValues)", perCard, count, plain);
        Report("pass 28, all rows, 10 columns", pass28, count, plain);
        Report("pass 29, 10 columns", pass29, count, plain);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
