// Text import against the export of the same cards: 100,000 generated cards are exported with
// tabs, then the export is imported into the emptied archive, appending and replacing. Prints
// both times, their ratio and the file syncs per 1,000 cards imported.
#include <sys/resource.h>

#include <filesystem>

#include "bench_archive.h"
#include "cardwindow/card_export.h"
#include "cardwindow/card_import.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/progress.h"

using namespace qv;
using namespace qv::bench;

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

}  // namespace

int main() {
    char tmpl[] = "/tmp/qv-import-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = std::string(tmpl) + "/";
    BuildDefinition(dir);
    CoreState.ProgramDir = dir;
    // The report's texts come from the shipped text table.
    WriteFileAtomic(dir + "sigle.imp", ReadFileOrThrow(QV_SOURCE_DIR "/data/progdir/sigle.imp"));
    BuildTextFile();
    CoreState.WriteAccess = 1;
    CoreState.ExportTabs = 1;
    CoreState.ImportFormat = kImportTab;
    constexpr int kCards = 100000;
    WriteCards(kCards);
    WriteFileAtomic(DataFilePath(data_file::kCardText),
                    std::string(size_t(kCards) * size_t(CoreState.CardTextBytes), 'x'));
    WriteFileAtomic(DataFilePath(data_file::kDeclaration), "");
    CardFiles::Current().WriteLastCard(kCards - 1);
    CoreState.LastCard = kCards - 1;
    WriteDefaultFieldOrder();
    std::printf("fields %d, card %d text bytes + %d words\n", CoreState.FieldCount, CoreState.CardTextBytes,
                CoreState.CardWordCount);

    NoProgress progress;
    const double exportTime = Seconds([&] { RunTotalExport(progress); }, 3);
    const std::string exported = dir + "ascii.txt";
    const std::string data = dir + "dati.txt";
    std::filesystem::copy_file(exported, data, std::filesystem::copy_options::overwrite_existing);
    std::printf("export of %d cards: %.3f s\n", kCards, exportTime);

    for (ImportMode mode : {ImportMode::Append, ImportMode::Replace}) {
        int syncs = 0, cards = 0;
        double cpu = 1e300;
        const double importTime = Seconds(
            [&] {
                EmptyArchive();
                ResetIoFaultsForTest();
                const double before = CpuSeconds();
                cards = RunImport(data, mode, progress).cards;
                cpu = std::min(cpu, CpuSeconds() - before);
                syncs = IoCallCountForTest(IoCall::Sync);
            },
            3);
        std::printf(
            "import of %d lines (%s): %.3f s (%.3f s of processor), %.2fx the export, %.1f syncs per "
            "1,000 cards\n",
            cards, mode == ImportMode::Append ? "append" : "replace", importTime, cpu,
            importTime / exportTime, syncs * 1000.0 / std::max(cards, 1));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
