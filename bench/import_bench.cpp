// Text import against the export of the same cards: 10,000, 100,000 and 500,000 varied lines
// (category labels, municipalities by name, dates, times, percentages, numbers and notes) are
// imported into the emptied archive, appending and replacing, then lines of which most carry
// conversion errors (about three a line: unknown labels, impossible dates, letters in numbers),
// and the cards are exported again. Prints the times, their ratios to the export (goal for
// 100,000 lines with errors: 3x), the file syncs per 1,000 cards imported and how often each
// table was opened in one import (the text table once a run).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdarg>
#include <filesystem>
#include <map>

#include "bench_archive.h"
#include "cardwindow/card_export.h"
#include "cardwindow/card_import.h"
#include "cardwindow/comune_lookup.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/progress.h"

using namespace qv;
using namespace qv::bench;

namespace {

// Opens by file name, counted below the program's own file layer.
std::map<std::string, int> gOpens;

int CountedOpen(const char* path, int flags, va_list args) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) mode = mode_t(va_arg(args, int));
    if (path) gOpens[std::filesystem::path(path).filename().string()]++;
    return int(syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int fd = CountedOpen(path, flags, args);
    va_end(args);
    return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int fd = CountedOpen(path, flags, args);
    va_end(args);
    return fd;
}

namespace {

// Processor time of the process, user and system: what the import costs apart from waiting for
// the disk, which on a busy machine dominates the syncs.
double CpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

void EmptyArchive() {
    WriteFileAtomic(DataFilePath(data_file::kCardText), "");
    WriteFileAtomic(DataFilePath(data_file::kCardValues), "");
    CardFiles::Current().WriteLastCard(-1);
    CoreState.LastCard = -1;
}

// Names of the shipped list that stand for one municipality each, some typed in lower case
// and without their accents, as people type them.
std::vector<std::string> TypedComuneNames() {
    const ComuneNameTable table;
    std::vector<std::string> names;
    for (int code = 1; code <= TerritoryCount; ++code) {
        std::string name = table.Name(code);
        if (table.Matches(name).size() != 1) continue;
        if (code % 3 == 0) {
            for (char& c : name) {
                const uint8_t b = uint8_t(c);
                if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
                if (b >= 0xE0 && b <= 0xE5) c = 'a';
                if (b >= 0xE8 && b <= 0xEB) c = 'e';
                if (b >= 0xEC && b <= 0xEF) c = 'i';
                if (b >= 0xF2 && b <= 0xF6) c = 'o';
                if (b >= 0xF9 && b <= 0xFC) c = 'u';
            }
        }
        names.push_back(std::move(name));
    }
    return names;
}

// One line a card, a piece a field in the order 1 .. FieldCount.
std::string VariedLines(int count, bool errors) {
    const std::vector<std::string> comuni = TypedComuneNames();
    std::mt19937 rng(2027);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::string out;
    char buf[64];
    for (int c = 0; c < count; ++c) {
        for (int f = 1; f <= CoreState.FieldCount; ++f) {
            if (f > 1) out += '\t';
            const bool empty = pick(0, 19) == 0;
            switch (FieldTypes[f]) {
                case 0:
                case 1: {
                    if (empty || (FieldTypes[f] == 1 && pick(0, 2))) break;
                    const int k =
                        errors && pick(0, 27) == 0 ? 99 : pick(1, FieldLastLabel[f] - FieldFirstLabel[f] + 1);
                    out += (k % 2 ? "Modalita " : "modalita ") + std::to_string(k);
                    break;
                }
                case 2:
                    if (empty) break;
                    std::snprintf(buf, sizeof buf, "%d/%d/%d", pick(1, 28),
                                  errors && pick(0, 2) == 0 ? 13 : pick(1, 12), pick(1930, 2010));
                    out += buf;
                    break;
                case 3:
                    if (!empty) out += comuni[size_t(pick(0, int(comuni.size()) - 1))];
                    break;
                case 4:
                case 7:
                    if (!empty) out += std::to_string(pick(-500, 200000) / (FieldTypes[f] == 4 ? 10 : 1));
                    if (!empty && errors && pick(0, 5) == 0) out += "a";
                    break;
                case 5:
                    if (empty) break;
                    std::snprintf(buf, sizeof buf, "%d:%02d", pick(0, 23), pick(0, 59));
                    out += buf;
                    break;
                case 6:
                    if (empty) break;
                    std::snprintf(buf, sizeof buf, "%d.%d", pick(0, 100), pick(0, 9));
                    out += buf;
                    break;
                default:
                    if (!empty) out += "Nota " + std::to_string(pick(1, 99999)) + " sul residente";
                    break;
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace

int main() {
    char tmpl[] = "/tmp/qv-import-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    BuildDefinition(dir, /*withComune=*/true);
    CoreState.ProgramDir = dir;
    TerritoryCount = 8101;
    // The report's texts and the municipality names come from the shipped program directory.
    for (const char* name : {"sigle.imp", "cmn-zor2.dat", "di-alfac.dat"})
        WriteFileAtomic(dir + name, ReadFileOrThrow(std::string(QV_SOURCE_DIR "/data/progdir/") + name));
    BuildTextFile();
    CoreState.WriteAccess = 1;
    CoreState.ExportTabs = 1;
    CoreState.ImportFormat = kImportTab;
    WriteFileAtomic(DataFilePath(data_file::kDeclaration), "");
    WriteDefaultFieldOrder();
    std::printf("fields %d, card %d text bytes + %d words\n", CoreState.FieldCount, CoreState.CardTextBytes,
                CoreState.CardWordCount);
    const std::string data = dir + "dati.txt";
    NoProgress progress;
    for (int lines : {10000, 100000, 500000}) {
        const int repeats = lines > 100000 ? 1 : 3;
        std::printf(" %d lines\n", lines);
        double importTimes[3] = {0, 0, 0}, importCpu[3] = {0, 0, 0};
        for (int run = 0; run < 3; ++run) {
            const ImportMode mode = run == 1 ? ImportMode::Replace : ImportMode::Append;
            if (run != 1) WriteFileAtomic(data, VariedLines(lines, run == 2));
            int syncs = 0, cards = 0;
            double cpu = 1e300;
            std::map<std::string, int> opens;
            const double importTime = Seconds(
                [&] {
                    EmptyArchive();
                    ResetIoFaultsForTest();
                    gOpens.clear();
                    const double before = CpuSeconds();
                    cards = RunImport(data, mode, progress).cards;
                    cpu = std::min(cpu, CpuSeconds() - before);
                    syncs = IoCallCountForTest(IoCall::Sync);
                    opens = gOpens;
                },
                repeats);
            importTimes[run] = importTime;
            importCpu[run] = cpu;
            std::printf(
                "  import (%s): %.3f s (%.3f s of processor), %.1f syncs per 1,000 cards; opens: mod-sch.dat "
                "%d, "
                "cmn-zor2.dat %d, di-alfac.dat %d, sigle.dat %d\n",
                run == 0   ? "append"
                : run == 1 ? "replace"
                           : "append, lines with errors",
                importTime, cpu, syncs * 1000.0 / std::max(cards, 1), opens["mod-sch.dat"],
                opens["cmn-zor2.dat"], opens["di-alfac.dat"], opens["sigle.dat"]);
        }
        // The cards the last import stored, exported.
        double exportCpu = 1e300;
        const double exportTime = Seconds(
            [&] {
                const double before = CpuSeconds();
                RunTotalExport(progress);
                exportCpu = std::min(exportCpu, CpuSeconds() - before);
            },
            repeats);
        std::printf("  export: %.3f s (%.3f s of processor)\n", exportTime, exportCpu);
        std::printf(
            "  import / export: %.2fx appending, %.2fx replacing, %.2fx with errors%s (processor: %.2fx, "
            "%.2fx, %.2fx)\n",
            importTimes[0] / exportTime, importTimes[1] / exportTime, importTimes[2] / exportTime,
            lines == 100000 ? " (goal 3x)" : "", importCpu[0] / exportCpu, importCpu[1] / exportCpu,
            importCpu[2] / exportCpu);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
