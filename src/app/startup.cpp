#include "app/startup.h"

#include <string>
#include <utility>
#include <vector>

#include "core/archive_open.h"
#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "territory/map_options.h"

namespace qv {

namespace {
bool gStarted = false;
// Text number and the refused value: the texts are read once the table is built.
std::vector<std::pair<int, std::string>> gNotices;

constexpr int kUnreadFileText = 2101;
constexpr int kBadStationText = 2152;
constexpr int kClimbingFolderText = 2153;
constexpr size_t kStationChars = 3;
constexpr int kUnreadLastArchiveText = 2290;
constexpr int kLastArchiveFailedText = 2291;

// Whether a station number can stand in the file names it ends: no separator, no point (it
// follows one already, and ".." would climb), no drive colon, no control byte.
bool FitsFileNames(const std::string& station) {
    for (const char c : station)
        if (c == '/' || c == '\\' || c == '.' || c == ':' || static_cast<unsigned char>(c) < 32 || c == 127)
            return false;
    return true;
}

// Runs one finalisation step; a failure is reported and the next steps still run.
template <typename Step>
bool RunStep(Step step) {
    try {
        step();
        return true;
    } catch (const IoError& e) {
        ReportIoError(e);
        return false;
    }
}
}  // namespace

void InitProgramState() {
    ResetProgramState();
    TerritoryCount = 8101;
    CoreState.ProgramDir = RootDir() + "quorvanta.tv/";
    MapState.TerritoryDir = RootDir() + "morvidex.win/geolar/";

    // The station number is read before any archive is chosen, so it lives with the program.
    CoreState.StationNumber = "000";
    gNotices.clear();
    // A file that is there but cannot be read is told; the start goes on with the default.
    try {
        TextReader station;
        if (station.Open(CoreState.ProgramDir + "num-serv.imp")) {
            const std::string number = station.ReadLine(kStationChars);
            if (FitsFileNames(number))
                CoreState.StationNumber = number;
            else
                gNotices.emplace_back(kBadStationText, " \"" + number + "\".");
        }
    } catch (const IoError& e) {
        gNotices.emplace_back(kUnreadFileText, "\n" + DisplayPath(e.Path()));
    }

    CoreState.CardWindowMode = kEntryMode;
    CoreState.ProvinceIndex = 0;
    CoreState.SearchKind = 1;
    CoreState.WriteAccess = 0;

    BuildSecondaryTextFile();

    CoreState.ArchiveDir.clear();
    try {
        TextReader last;
        if (last.Open(DataFilePath(data_file::kLastArchive))) {
            const std::string stored = last.ReadLine(std::string::npos);
            if (ClimbsAboveItsStart(stored))
                gNotices.emplace_back(kClimbingFolderText, " " + stored);
            else
                CoreState.ArchiveDir = StoredDir(stored);
        }
    } catch (const IoError& e) {
        gNotices.emplace_back(kUnreadLastArchiveText, " " + DisplayPath(e.Path()));
    }
    if (CoreState.ArchiveDir.empty()) CoreState.ArchiveDir = CoreState.ProgramDir + "Pianalto/";
}

void StartProgram() {
    gStarted = false;
    InitProgramState();
    // Files replaced together (the map's rescale and options) are staged beside them; a crash
    // while staging leaves this station's temporaries there, which nothing else would remove.
    SetTempFileStation(CoreState.StationNumber);
    RemoveStaleTempFiles(CoreState.ProgramDir);
    RemoveStaleTempFiles(MapState.TerritoryDir);
    // A folder that is not there, or whose name is longer than the file system takes, is a
    // missing archive before anything looks into it: the sample archive opens.
    if (!DirExists(CoreState.ArchiveDir)) CoreState.ArchiveDir = SampleArchiveDir();
    // Built before the opening: what the opening finds wrong is told in these texts.
    BuildTextFile();
    try {
        OpenArchive();
    } catch (const IoError& e) {
        // The program always starts: an archive that cannot be opened is told, naming the file
        // that failed, and the sample archive opens in its place, so the person can choose another.
        if (CoreState.ArchiveDir == SampleArchiveDir()) throw;
        const std::string failed = e.Path().empty() ? CoreState.ArchiveDir : e.Path();
        gNotices.emplace_back(kLastArchiveFailedText,
                              " " + std::to_string(e.Code()) + "): " + DisplayPath(failed));
        CoreState.ArchiveDir = SampleArchiveDir();
        OpenArchive();
    }
    LoadMapOptions(0, "");
    CoreState.CurrentCard = NewCardNumber();
    ReadCardText();
    ReadCardValues();
    gStarted = true;
}

std::vector<std::string> StartupNotices() {
    std::vector<std::string> texts;
    for (const auto& [text, value] : gNotices) texts.push_back(LoadText(text) + value);
    return texts;
}

bool ProgramStarted() {
    return gStarted;
}

bool StopProgram() {
    if (!gStarted) return true;
    gStarted = false;
    bool ok = RunStep([] { SaveMapOptions(0, ""); });
    // The archive settings report their own failures, step by step.
    bool settingsOk = false;
    RunStep([&settingsOk] { settingsOk = SaveArchiveSettings(); });
    ok = settingsOk && ok;
    FreeProgramState();
    return ok;
}

void FreeProgramState() {
    ResetProgramState();
}

}  // namespace qv
