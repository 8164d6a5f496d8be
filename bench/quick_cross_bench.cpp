// Times the quick cross table and the quick connections against a floor on the same files.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON -DQV_TESTS=OFF &&
//     cmake --build build-bench --target quick_cross_bench -j4 && taskset -c 7 build-bench/quick_cross_bench
//
// Prepared quick files written directly: 10,000 and 500,000 cards, a grid of 1,000 lines in 100
// variables of 10 lines (each line's cards drawn at random, one card in 2 to one in 50), every
// line a row and ten lines of two variables the columns, every card selected; frequencies and
// column percentages.
//
// The floor is the work the reports must do: every row's cards ANDed with the selection and
// counted, and against each of the ten columns, in one fused pass over the mapped bit matrix
// ("dat-dat.dat"), a word of each bitmap read once per row; the quick grid read and written
// back as the label list; the text table read once; the report (and for the connections the
// label scratch) written whole. It calls no code of the reports. Each round runs the floor,
// then the report; the median ratio of 11 rounds and its range are printed. Goal at 500,000
// cards: 1.5x the floor.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/report_conventions.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/progress.h"
#include "platform/text_file.h"
#include "quick/preparation.h"
#include "quick/quick_counts.h"
#include "quick/quick_reports.h"

using namespace qv;

#include "bench_archive.h"
#include "pin_cpu.h"

using namespace qv::bench;

namespace {

int gCards = 0;  // of the run under way
constexpr int kLines = 1000;
constexpr int kLinesPerVariable = 10;
constexpr int kColumns = 10;

// The bit matrix mapped, and the floor's count over it.
class MappedMatrix {
  public:
    MappedMatrix() {
        const std::string path = DataFilePath(data_file::kBitMatrix);
        fd_ = open(path.c_str(), O_RDONLY);
        size_ = size_t(*FileSize(path));
        base_ = static_cast<const uint8_t*>(mmap(nullptr, size_, PROT_READ, MAP_SHARED, fd_, 0));
    }
    ~MappedMatrix() {
        munmap(const_cast<uint8_t*>(base_), size_);
        close(fd_);
    }
    const uint64_t* Area(int v) const {
        return reinterpret_cast<const uint64_t*>(base_ + size_t(v) * size_t(MatrixAreaRecords(gCards - 1)) *
                                                             kMatrixRecordBytes);
    }

  private:
    int fd_ = -1;
    size_t size_ = 0;
    const uint8_t* base_ = nullptr;
};

// counts[k] for each column, then the row's selected cards: one pass, every word read once.
void FloorRow(const uint64_t* row, const uint64_t* selection, size_t words, const uint64_t* const* columns,
              int64_t* counts) {
    int64_t in[kColumns + 1] = {};
    for (size_t i = 0; i < words; ++i) {
        const uint64_t s = row[i] & selection[i];
        in[kColumns] += std::popcount(s);
        for (int k = 0; k < kColumns; ++k) in[k] += std::popcount(s & columns[k][i]);
    }
    for (int k = 0; k <= kColumns; ++k) counts[k] += in[k];
}

// The label list the reports rebuild: the quick grid read and written again as it is.
void CopyLabelList() {
    WriteFileAtomic(DataFilePath(data_file::kViewerStaging),
                    ReadFileOrThrow(DataFilePath(data_file::kQuickGrid)));
}

void WritePreparedFiles() {
    std::string last;
    AppendI32(last, gCards - 1);
    WriteFileAtomic(DataFilePath(data_file::kPreparedCount), last);
    TextBuilder grid;
    for (int i = 0; i < kLines; ++i)
        grid.Line("Modalita " + std::to_string(i + 1) + "*;" + (i % kLinesPerVariable == 0 ? "G1S0" : ""));
    grid.Save(DataFilePath(data_file::kQuickGrid));
    const size_t area = size_t(MatrixAreaRecords(gCards - 1)) * kMatrixRecordBytes;
    std::string matrix(area * kLines, '\0');
    std::mt19937 random(7);
    for (int v = 0; v < kLines; ++v) {
        const unsigned every = 2 + unsigned(v * 7 % 49);
        for (int c = 0; c < gCards; ++c)
            if (random() % every == 0) matrix[size_t(v) * area + size_t(c / 8)] |= char(0x80 >> (c % 8));
    }
    WriteFileAtomic(DataFilePath(data_file::kBitMatrix), matrix);
}

}  // namespace

int main() {
    bench::PinToOneCpu();
    char tmpl[] = "/tmp/qv-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    ResetProgramState();
    CoreState.ArchiveDir = CoreState.ProgramDir = dir;
    std::filesystem::copy_file(std::string(QV_SOURCE_DIR) + "/data/progdir/sigle.imp", dir + "sigle.imp");
    BuildTextFile();
    std::printf("%d lines, %d columns; median of 11 paired rounds (range)\n", kLines, kColumns);
    for (int cards : {10000, 500000}) {
        gCards = cards;
        WritePreparedFiles();
        std::vector<int> columnLines;
        for (int i = 0; i < kLines; ++i) {
            QuickRowFlags[size_t(i)] = 1;
            QuickColumnFlags[size_t(i)] = (i >= 30 && i < 35) || (i >= 70 && i < 75);
            if (QuickColumnFlags[size_t(i)]) columnLines.push_back(i);
        }
        CardSelectionMask.fill(0);
        for (int c = 0; c < gCards; ++c) CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
        auto setOptions = [] {
            CoreState.ShowFrequencies = CoreState.PercentColumn = 1;
            CoreState.PercentRow = CoreState.PercentTotal = CoreState.ChiSquare = CoreState.TableHeadings = 0;
            CoreState.SkipEmptyRows = CoreState.CountByQuantUnit = CoreState.TabSeparators = 0;
        };
        NoProgress progress;

        std::vector<uint64_t> selection((size_t(gCards) + 63) / 64, 0);
        std::memcpy(selection.data(), CardSelectionMask.data(), (size_t(gCards) + 7) / 8);
        int64_t floorSum = 0;
        // Every row against the ten columns over the mapped matrix, with the text table read once.
        auto floorCount = [&] {
            const MappedMatrix matrix;
            const uint64_t* columns[kColumns];
            for (int k = 0; k < kColumns; ++k) columns[k] = matrix.Area(columnLines[size_t(k)]);
            int64_t counts[kColumns + 1];
            for (int i = 0; i < kLines; ++i) {
                std::fill(counts, counts + kColumns + 1, 0);
                FloorRow(matrix.Area(i), selection.data(), selection.size(), columns, counts);
                floorSum += counts[0] + counts[kColumns];
            }
            floorSum += int64_t(ReadFileOrThrow(dir + "sigle.dat").size());
        };
        auto paired = [&](const char* what, const std::function<void()>& floor,
                          const std::function<void()>& job) {
            std::vector<double> ratios, times, floors;
            for (int round = 0; round < 11; ++round) {
                const double f = Seconds(floor, 1);
                const double t = Seconds(job, 1);
                ratios.push_back(t / f);
                times.push_back(t);
                floors.push_back(f);
            }
            for (auto* v : {&ratios, &times, &floors}) std::sort(v->begin(), v->end());
            std::printf("  %-22s %8.3f ms  floor %8.3f ms  %5.2fx floor (%.2f-%.2f)%s\n", what,
                        1000 * times[5], 1000 * floors[5], ratios[5], ratios.front(), ratios.back(),
                        gCards == 500000 ? "  goal 1.5x" : "");
        };

        std::printf(" %d cards\n", gCards);
        setOptions();
        WriteQuickCrossTableReport(progress);
        const std::string crossReport = ReadFileOrThrow(ReportFilePath());
        paired(
            "quick cross table",
            [&] {
                CopyLabelList();
                floorCount();
                WriteFileAtomic(ReportFilePath(), crossReport);
            },
            [&] {
                setOptions();
                WriteQuickCrossTableReport(progress);
            });

        WriteQuickConnectionsReport(progress);
        const std::string connectionsReport = ReadFileOrThrow(ReportFilePath());
        paired(
            "quick connections",
            [&] {
                CopyLabelList();
                floorCount();
                WriteFileAtomic(DataFilePath(data_file::kLabelScratch),
                                std::string(size_t(kLines) * 201, ' '));
                WriteFileAtomic(ReportFilePath(), connectionsReport);
            },
            [&] { WriteQuickConnectionsReport(progress); });
        std::printf("  (checksum %lld)\n", static_cast<long long>(floorSum % 1000));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
