// libFuzzer entries for every reader of text and binary files the program takes from users,
// from other stations or from its own archive. One binary holds them all; the environment
// variable QV_FUZZ_TARGET names the one to run (scripts/fuzz.sh runs each in turn).
//
// Each input is written where the program would find the file, in a scratch copy of the sample
// archive, and read through the same function the program calls. The program's input/output
// error is an answer, not a finding; any other exception, a crash or a sanitizer report is.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "app/startup.h"
#include "cardwindow/card_import.h"
#include "cardwindow/jump_rules.h"
#include "cardwindow/recoding.h"
#include "core/archive_open.h"
#include "core/card_notes.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/compile_run.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/order_index.h"
#include "core/selection_files.h"
#include "elaborations/grid_files.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "platform/rtf_reader.h"
#include "selection/list_engine.h"
#include "selection/list_output.h"
#include "selection/print_mask.h"
#include "selection/saved_search_files.h"
#include "territory/map_options.h"

namespace {

namespace fs = std::filesystem;
using qv::CoreState;

std::string gRoot;     // scratch root: quorvanta.tv/ and morvidex.win/geolar/
std::string gArchive;  // the opened copy of the sample archive
std::string gDesign;   // a folder the definition compiler writes into

std::string Bytes(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

void Put(const std::string& path, std::string_view bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string Get(const std::string& path) {
    auto bytes = qv::TryReadFile(path);
    return bytes ? *bytes : std::string();
}

// The first byte of an input chooses among variants; the rest is the file.
struct Split {
    uint8_t selector = 0;
    std::string rest;
};
Split SplitInput(const uint8_t* data, size_t size) {
    if (size == 0) return {};
    return {data[0], Bytes(data + 1, size - 1)};
}

class QuietHost : public qv::CompileRunHost {
  public:
    bool ConfirmEraseCards() override { return true; }
    void ShowErrorList() override {}
    void ShowStatus(StatusBox, int) override {}
};

void OpenSampleArchive() {
    CoreState.ArchiveDir = gArchive;
    qv::OpenArchive();
    CoreState.CurrentCard = 0;
    CoreState.WriteAccess = true;
}

// Files read when an archive is opened; each input replaces one of them, then the originals
// come back so the next input starts from the sample again.
constexpr int kOpeningFiles[] = {206, 20, 21, 22, 23, 24, 25, 26, 8, 29, 30, 33, 4, 5};

void FuzzRtf(const uint8_t* data, size_t size) {
    qv::RtfToHtml(std::string_view(reinterpret_cast<const char*>(data), size));
}

// Compiled as the tool that builds the sample compiles, with no archive open: only the designed
// archive is built and opened, not the open one saved, rebuilt and opened again around it.
void FuzzDefinition(const uint8_t* data, size_t size) {
    Put(gDesign + "scheda.txt", Bytes(data, size));
    CoreState.ArchiveDir.clear();
    CoreState.WriteAccess = true;
    qv::FieldAttributes.fill(0);  // the marks are not the compiler's: none carry over between inputs
    QuietHost host;
    qv::RunCompile(gDesign, true, host);
}

void FuzzGrid(const uint8_t* data, size_t size) {
    const std::string path = gArchive + "fuzz-grid.txt";
    Put(path, Bytes(data, size));
    qv::LoadCategoryGrid(path);
    qv::LoadQuantitativeGrid(path);
    qv::LoadUnitField(path);
}

void FuzzImportOrder(const uint8_t* data, size_t size) {
    Split in = SplitInput(data, size);
    qv::ReadImportFieldOrder(in.rest, in.selector % 4);
}

// A field order of the sample's fields in turn, then the data lines cut and stored into the
// card in hand.
void FuzzImportData(const uint8_t* data, size_t size) {
    Split in = SplitInput(data, size);
    std::vector<qv::ImportPiece> pieces;
    for (int f = 1; f <= CoreState.FieldCount; ++f) pieces.push_back({f, (in.selector & 1) ? -1 : 8});
    const auto separator = (in.selector & 1) ? std::optional<char>('\t') : std::nullopt;
    // As in one long run: the name tables are read once.
    static qv::ImportTables tables;
    size_t start = 0;
    while (start < in.rest.size()) {
        size_t end = in.rest.find('\n', start);
        if (end == std::string::npos) end = in.rest.size();
        const auto cut =
            qv::CutImportLine(std::string_view(in.rest).substr(start, end - start), pieces, separator);
        for (size_t i = 0; i < cut.size() && i < pieces.size(); ++i)
            qv::StoreImportPiece(pieces[i].field, cut[i], (in.selector & 2) != 0, tables);
        start = end + 1;
    }
}

void FuzzPrintMask(const uint8_t* data, size_t size) {
    qv::PrintMask mask;
    mask.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
    qv::ListOutputFile out;
    out.Bind(gRoot + "fuzz-list.txt");
    out.Create();
    mask.WriteTabularHeading(out);
    mask.WriteCard(out);
    mask.AfterCardOutput(out);
}

void FuzzRecoding(const uint8_t* data, size_t size) {
    Split in = SplitInput(data, size);
    qv::RecodingTables tables = qv::ReadRecodingTables(in.rest, in.selector);
    qv::ResolveRecoding(tables);
    qv::RecodingPermutationText(tables);
}

void FuzzJumpRules(const uint8_t* data, size_t size) {
    Put(qv::DataFilePath(qv::data_file::kJumpRule), Bytes(data, size));
    qv::ApplyJumpRules();
}

// Option files of the map: a named option file, the base set, the working set, the legend
// colours.
void FuzzMapOptions(const uint8_t* data, size_t size) {
    Split in = SplitInput(data, size);
    const std::string base = gRoot + "morvidex.win/geolar/";
    const std::string prog = CoreState.ProgramDir;
    switch (in.selector % 6) {
        case 0:
            Put(base + "fuzz.opz", in.rest);
            qv::LoadMapOptions(2, base + "fuzz.opz");
            break;
        case 1:
            Put(base + "tg1-glar.dat", in.rest);
            qv::LoadMapOptions(1, "");
            break;
        case 2:
            Put(base + "op1-glar.dat", in.rest);
            qv::LoadMapOptions(1, "");
            break;
        case 3:
            Put(prog + "tgl-glar.dat", in.rest);
            qv::LoadMapOptions(0, "");
            break;
        case 4:
            Put(prog + "opz-glar.dat", in.rest);
            qv::LoadMapOptions(0, "");
            break;
        default:
            Put(base + "fuzz-colo.dat", in.rest);
            qv::ReadLegendColourFile(base + "fuzz-colo.dat");
            break;
    }
}

// Saved searches: criteria, statistics and territory selections under a name of the user.
void FuzzCriteria(const uint8_t* data, size_t size) {
    Split in = SplitInput(data, size);
    switch (in.selector % 3) {
        case 0:
            Put(gArchive + "fuzz.ric", in.rest);
            qv::LoadSearchCriteria(gArchive + "fuzz.ric");
            break;
        case 1:
            Put(gArchive + "fuzz.sta", in.rest);
            qv::LoadStatistics(gArchive + "fuzz.sta");
            break;
        default:
            Put(gArchive + "fuzz.tun", in.rest);
            qv::LoadTerritorialSelection(gArchive + "fuzz.tun");
            break;
    }
}

void FuzzOrderIndex(const uint8_t* data, size_t size) {
    Split in = SplitInput(data, size);
    const int field = 1 + in.selector % (CoreState.FieldCount > 0 ? CoreState.FieldCount : 1);
    const std::string path = CoreState.ArchiveDir + "ALFA." + std::to_string(1000 + field).substr(1);
    const std::string before = Get(path);
    Put(path, in.rest);
    qv::ReadAlphabeticalOrder(field);
    Put(path, before);
}

void FuzzNotes(const uint8_t* data, size_t size) {
    if (size < 4) return;
    int32_t head;
    std::memcpy(&head, data, 4);
    const std::string path = gRoot + "fuzz-not.dat";
    Put(path, Bytes(data + 4, size - 4));
    qv::ReadNotesChain(path, head);
    qv::WriteNotesChain(path, head, "nota di prova");
}

void FuzzOpening(const uint8_t* data, size_t size) {
    Split in = SplitInput(data, size);
    const int id = kOpeningFiles[in.selector % std::size(kOpeningFiles)];
    const std::string path = qv::DataFilePath(id);
    const std::string before = Get(path);
    Put(path, in.rest);
    // The next input's opening replaces all that this one left, read whole or in part.
    try {
        OpenSampleArchive();
    } catch (const qv::IoError&) {
    }
    Put(path, before);
}

// Journals and commit markers are settled in a directory of their own, made anew for each
// input, holding small files the records may name.
std::string FreshRecoveryDir() {
    const std::string d = gRoot + "recovery/";
    std::error_code ignored;
    fs::remove_all(d, ignored);
    fs::create_directories(d);
    Put(d + "alf-sch.dat", std::string(500, 'a'));
    Put(d + "num-sch.dat", std::string(1000, 'n'));
    Put(d + "dli-sch.dat", std::string(4, '\0'));
    return d;
}

void FuzzJournal(const uint8_t* data, size_t size) {
    const std::string d = FreshRecoveryDir();
    Put(d + "sch-" + CoreState.StationNumber + ".jnl", Bytes(data, size));
    qv::RecoverJournal(d);
    qv::TakeRecoveryNotices();
}

void FuzzMarker(const uint8_t* data, size_t size) {
    const std::string d = FreshRecoveryDir();
    Put(d + "sch-" + CoreState.StationNumber + ".ren", Bytes(data, size));
    if (qv::FinishArchiveCommits(d)) qv::ClearArchiveCommits(d);
    qv::TakeRecoveryNotices();
}

using Target = void (*)(const uint8_t*, size_t);
const std::map<std::string, Target> kTargets = {
    {"rtf", FuzzRtf},
    {"definition", FuzzDefinition},
    {"grid", FuzzGrid},
    {"import_order", FuzzImportOrder},
    {"import_data", FuzzImportData},
    {"print_mask", FuzzPrintMask},
    {"recoding", FuzzRecoding},
    {"jump_rules", FuzzJumpRules},
    {"map_options", FuzzMapOptions},
    {"criteria", FuzzCriteria},
    {"order_index", FuzzOrderIndex},
    {"notes", FuzzNotes},
    {"opening", FuzzOpening},
    {"journal", FuzzJournal},
    {"marker", FuzzMarker},
};

Target gTarget = nullptr;

// Binary seeds are written by the program's own writers, so the committed corpus follows the
// formats: QV_FUZZ_WRITE_SEEDS=DIR writes DIR/<target>/seed-* and ends.
void WriteSeed(const std::string& dir, const std::string& target, const std::string& name, uint8_t selector,
               const std::string& file) {
    fs::create_directories(dir + target);
    Put(dir + target + "/" + name, std::string(1, char(selector)) + Get(file));
}

// The journal and marker the program writes, caught before they are renamed into place.
std::string gCaughtJournal, gCaughtMarker;
void CatchRecoveryFiles(const std::string& temp) {
    if (temp.find(".jnl.tmp") != std::string::npos) gCaughtJournal = Get(temp);
    if (temp.find(".ren.tmp") != std::string::npos) gCaughtMarker = Get(temp);
}

void WriteRecoverySeeds(const std::string& dir) {
    const std::string d = FreshRecoveryDir();
    qv::SetAtomicWriteHookForTest(CatchRecoveryFiles);
    uint8_t text[50] = {'x'};
    uint16_t words[50] = {7};
    qv::CardFiles::InDirectory(d, qv::CardGeometry{50, 50}).RewriteCard(1, text, words);
    {
        qv::CrashSafeArchiveReplacement commit(d);
        Put(commit.Stage(d + "num-sch.dat"), std::string(300, 'm'));
        commit.SetLastCard(d + "dli-sch.dat", 2);
        commit.Commit([] {});
    }
    qv::SetAtomicWriteHookForTest(nullptr);
    for (const auto& [target, bytes] :
         {std::pair{"journal", gCaughtJournal}, std::pair{"marker", gCaughtMarker}}) {
        fs::create_directories(dir + target);
        Put(dir + target + "/seed-" + target, bytes);
    }
}

void WriteSeeds(std::string dir) {
    if (dir.back() != '/') dir += '/';
    qv::SaveSearchCriteria(gArchive + "seed.ric");
    WriteSeed(dir, "criteria", "seed-criteria", 0, gArchive + "seed.ric");
    qv::SaveStatistics(gArchive + "seed.sta");
    WriteSeed(dir, "criteria", "seed-statistics", 1, gArchive + "seed.sta");
    qv::SaveTerritorialSelection(gArchive + "seed.tun");
    WriteSeed(dir, "criteria", "seed-territory", 2, gArchive + "seed.tun");
    const std::string base = gRoot + "morvidex.win/geolar/";
    qv::SaveMapOptions(2, base + "seed.opz");
    WriteSeed(dir, "map_options", "seed-named", 0, base + "seed.opz");
    qv::SaveMapOptions(1, "");
    WriteSeed(dir, "map_options", "seed-base-limits", 1, base + "tg1-glar.dat");
    WriteSeed(dir, "map_options", "seed-base-options", 2, base + "op1-glar.dat");
    qv::SaveMapOptions(0, "");
    WriteSeed(dir, "map_options", "seed-limits", 3, CoreState.ProgramDir + "tgl-glar.dat");
    WriteSeed(dir, "map_options", "seed-options", 4, CoreState.ProgramDir + "opz-glar.dat");
    qv::WriteLegendColourFile(base + "seed-colo.dat");
    WriteSeed(dir, "map_options", "seed-colours", 5, base + "seed-colo.dat");
    CoreState.ListOrderField = 1;
    qv::NoProgress progress;
    qv::BuildAlphabeticalOrder(progress);
    WriteSeed(dir, "order_index", "seed-order", 0, CoreState.ArchiveDir + "ALFA.001");
    const std::string notes = gRoot + "seed-not.dat";
    const int32_t head = qv::WriteNotesChain(notes, 0, std::string(250, 'n'));
    fs::create_directories(dir + "notes");
    std::string headBytes(4, '\0');
    std::memcpy(headBytes.data(), &head, 4);
    Put(dir + "notes/seed-chain", headBytes + Get(notes));
    for (size_t i = 0; i < std::size(kOpeningFiles); ++i) {
        const std::string path = qv::DataFilePath(kOpeningFiles[i]);
        if (fs::exists(path))
            WriteSeed(dir, "opening", "seed-" + std::to_string(kOpeningFiles[i]), uint8_t(i), path);
    }
    WriteRecoverySeeds(dir);
}

void RemoveScratch() {
    std::error_code ignored;
    fs::remove_all(gRoot, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* name = std::getenv("QV_FUZZ_TARGET");
    auto it = name ? kTargets.find(name) : kTargets.end();
    if (it == kTargets.end()) {
        std::fprintf(stderr, "QV_FUZZ_TARGET must name one of:");
        for (const auto& [n, t] : kTargets) std::fprintf(stderr, " %s", n.c_str());
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    gTarget = it->second;

    // On a memory file system where there is one: the readers sync what they write.
    std::string pattern = fs::exists("/dev/shm") ? "/dev/shm/qv-fuzz-XXXXXX" : "/tmp/qv-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    gRoot = pattern + "/";
    const std::string prog = gRoot + "quorvanta.tv/";
    fs::create_directories(prog);
    fs::create_directories(gRoot + "morvidex.win/geolar/");
    const std::string shipped = std::string(QV_SOURCE_DIR) + "/data/progdir/";
    for (const char* f :
         {"sigle.imp", "sig-dat.imp", "cmn-zor2.dat", "di-alfac.dat", "ini-prov.imp", "chi2.imp"})
        fs::copy_file(shipped + f, prog + f);
    gArchive = prog + "Pianalto/";
    fs::copy(std::string(QV_BINARY_DIR) + "/progdir/Pianalto", gArchive, fs::copy_options::recursive);
    gDesign = prog + "Progetto/";
    fs::create_directories(gDesign);
    qv::SetRootDir(gRoot);
    qv::StartProgram();
    OpenSampleArchive();
    std::atexit(RemoveScratch);
    if (const char* seeds = std::getenv("QV_FUZZ_WRITE_SEEDS")) {
        WriteSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        gTarget(data, size);
    } catch (const qv::IoError&) {
        // The program reports these to the user and goes on.
    }
    return 0;
}
