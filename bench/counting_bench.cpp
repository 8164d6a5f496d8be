// Times the counting passes against a plain read of the card file.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON -DQV_TESTS=OFF &&
//     cmake --build build-bench --target counting_bench -j4 && taskset -c 7 build-bench/counting_bench
//
// Two archives, built in a temporary directory with their definition tables set directly: the
// shape users have (100 words a card, 96 used by fields of every type in turn) and a cheap one
// (150 words a card, 59 used, nearly all coded fields of small codes). Each at 10,000 and 500,000
// random cards, with grids of 78, 1,000 and 3,999 lines (the generated grid cut or extended with
// narrow classes of the numeric fields and dates, the longest asking its variables twice, five
// coded variables children of the first line or, two of them, of a child), every line a row and
// ten columns: the answers of two coded fields and, on the 100-word shape, also ten lines of ten
// fields.
//
// The floor is the work the pass cannot avoid: reading every byte of the card file (4 MB reads
// into one buffer, the file in the page cache). Classifying and adding up is what the pass adds
// on top of it; the count table it writes is a few kB. Each round reads the file plainly, then
// runs the pass, so a change of load moves both; the median ratio of 11 rounds and their range
// are printed. Goals at 500,000 cards of the 100-word shape: 1.5x at 78 lines, 2x at 1,000 and
// 3x at 3,999. Beside each grid on that shape, "bound" times the least any count by table can do
// over the same words (see LeastCount): where it is above a goal, no such count meets it.
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
#include "platform/file_io.h"

using namespace qv;

#include "bench_archive.h"
#include "pin_cpu.h"

using namespace qv::bench;

namespace {

// Median and range of the paired rounds' ratios.
void Paired(const char* what, int cards, const std::function<void()>& pass, const char* goal) {
    std::vector<double> ratios, times;
    for (int round = 0; round < 11; ++round) {
        const double plain = Seconds([] { PlainRead(); }, 3);
        const double t = Seconds(pass, 1);
        ratios.push_back(t / plain);
        times.push_back(t);
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(times.begin(), times.end());
    std::printf("  %-40s %8.4f s %11.0f cards/s %6.2fx plain read (%.2f-%.2f)  %s\n", what, times[5],
                cards / times[5], ratios[5], ratios.front(), ratios.back(), goal);
}

// A bound on any count that classifies a card's words by table: for every word of the fields
// the grid reads (the first word only of a date or a 32-bit number), one load from the card, one
// lookup in a table of 256 entries and one add into a single row, after a plain read of the
// file. The pass also keeps a row for each pattern of columns, reads every word of a date or a
// number, and follows the parent rule.
class LeastCount {
  public:
    explicit LeastCount(const CategoryGrid& grid) {
        std::vector<int> seen;
        for (int i = 1; i <= grid.Count; ++i) {
            const int f = grid.Field[size_t(i)];
            if (std::find(seen.begin(), seen.end(), f) != seen.end()) continue;
            seen.push_back(f);
            for (int a = 0; a < std::max(1, int(grid.FieldCount[size_t(i)])); ++a)
                offsets_.push_back(uint16_t(FieldPositions[f + a] - 1));
        }
        table_.resize(offsets_.size() * 256);
        for (size_t i = 0; i < table_.size(); ++i) table_[i] = uint16_t(i / 256 * 16 + i % 13);
        row_.resize(offsets_.size() * 16);
    }
    size_t Words() const { return offsets_.size(); }
    uint64_t Run() {
        const size_t words = size_t(CoreState.CardWordCount);
        RecordFile file(DataFilePath(data_file::kCardValues), 1, RecordFile::Mode::Read);
        std::vector<uint16_t> buffer((4 << 20) / 2 / words * words);  // 4 MB reads, as the floor's
        // Held apart, so that no add to the row is taken to change them.
        const uint16_t* const offsets = offsets_.data();
        const uint16_t* const table = table_.data();
        uint32_t* const row = row_.data();
        const size_t n = offsets_.size();
        int64_t at = 0, got;
        while ((got = file.ReadUpTo(at, buffer.data(), int64_t(buffer.size() * 2))) > 0) {
            const uint16_t* const end = buffer.data() + size_t(got) / 2 / words * words;
            for (const uint16_t* card = buffer.data(); card < end; card += words)
                for (size_t j = 0; j < n; ++j) ++row[table[j * 256 + (card[offsets[j]] & 255)]];
            at += got;
        }
        return row_[3];
    }

  private:
    std::vector<uint16_t> offsets_;
    std::vector<uint16_t> table_;
    std::vector<uint32_t> row_;
};

void RunArchive(const char* name, const std::function<Definition(const std::string&)>& build) {
    char tmpl[] = "/tmp/qv-bench-XXXXXX";
    if (!mkdtemp(tmpl)) std::exit(1);
    const std::string dir = std::string(tmpl) + "/";
    const Definition def = build(dir);
    GenerateQuantitativeGrid();
    std::printf("%s: %d fields, %d words a card\n", name, CoreState.FieldCount, CoreState.CardWordCount);
    const bool shape = CoreState.CardWordCount == 100;
    NoProgress progress;
    for (int count : {10000, 500000}) {
        WriteCards(count);
        CoreState.LastCard = count - 1;
        CardSelectionMask.fill(0);
        for (int c = 0; c < count; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
        PlainRead();  // into the page cache
        std::printf(" %d cards, %.1f MB of card file, plain read %.4f s\n", count,
                    double(count) * CoreState.CardWordCount * 2 / 1e6, Seconds([] { PlainRead(); }, 5));
        for (int lines : {78, 1000, 3999}) {
            // Five variables asked only where the first line is true, two of them only where the
            // first answer of the first of those is.
            WriteGridOfLines(lines, {def.codedFields[3], def.codedFields[5], def.codedFields[7],
                                     def.codedFields[9], def.codedFields[11]});
            const CategoryGrid grid = LoadCategoryGrid(DataFilePath(data_file::kGrid));
            std::fill(StandardRowFlags.begin(), StandardRowFlags.end(), 0);
            std::fill(StandardColumnFlags.begin(), StandardColumnFlags.end(), 0);
            for (int line = 0; line < grid.Count; ++line) StandardRowFlags[size_t(line)] = 1;
            // Ten columns: the answers of two coded fields.
            for (int i = 1, columns = 0; i <= grid.Count && columns < 10; ++i)
                if ((grid.Field[size_t(i)] == def.codedFields[1] ||
                     grid.Field[size_t(i)] == def.codedFields[4]) &&
                    grid.Low[size_t(i)] > 0)
                    StandardColumnFlags[size_t(i - 1)] = 1, ++columns;
            const std::string what = "pass 28, " + std::to_string(grid.Count) + " lines";
            const char* goal = !shape || count < 500000 ? ""
                               : lines == 78            ? "goal 1.5x"
                               : lines == 1000          ? "goal 2x"
                                                        : "goal 3x";
            Paired(
                what.c_str(), count, [&] { RunCountingPass(kCategoryCountPass, progress); }, goal);
            if (shape) {
                LeastCount least(grid);
                Paired(("bound: " + std::to_string(least.Words()) + " words a card counted").c_str(), count,
                       [&] { least.Run(); }, "");
            }
            if (lines == 78)
                Paired(
                    "pass 29, 78 lines", count, [&] { RunCountingPass(kQuantitySumPass, progress); }, "");
            if (!shape) continue;
            // Ten columns from ten fields spread over the grid: up to 1,024 patterns of columns,
            // each with a row of its own.
            std::fill(StandardColumnFlags.begin(), StandardColumnFlags.end(), 0);
            std::vector<int> fields;
            for (int j = 0, i = 1; j < 10 && i <= grid.Count; ++j) {
                for (i = std::max(i, 1 + j * grid.Count / 10); i <= grid.Count; ++i)
                    if (std::find(fields.begin(), fields.end(), grid.Field[size_t(i)]) == fields.end()) break;
                if (i > grid.Count) break;
                fields.push_back(grid.Field[size_t(i)]);
                StandardColumnFlags[size_t(i - 1)] = 1;
            }
            Paired((what + ", columns of 10 fields").c_str(), count,
                   [&] { RunCountingPass(kCategoryCountPass, progress); }, "");
        }
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

int main() {
    bench::PinToOneCpu();
    std::printf("Median of 11 paired rounds (range), against a plain read of the card file\n");
    RunArchive("100 words a card, mixed field types",
               [](const std::string& d) { return BuildMixedDefinition(d); });
    RunArchive("150 words a card, coded fields", [](const std::string& d) { return BuildDefinition(d); });
    return 0;
}
