#include "app/startup.h"

#include "core/archive_open.h"
#include "core/card_store.h"
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
    TextReader station;
    if (station.Open(CoreState.ProgramDir + "num-serv.imp")) CoreState.StationNumber = station.ReadLine(3);

    CoreState.CardWindowMode = 1;
    CoreState.ProvinceIndex = 0;
    CoreState.SearchKind = 1;
    CoreState.WriteAccess = 0;

    BuildSecondaryTextFile();

    CoreState.ArchiveDir.clear();
    TextReader last;
    if (last.Open(DataFilePath(data_file::kLastArchive)))
        CoreState.ArchiveDir = NormalizeDir(last.ReadLine(std::string::npos));
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
    OpenArchive();
    LoadMapOptions(0, "");
    CoreState.CurrentCard = NewCardNumber();
    ReadCardText();
    ReadCardValues();
    BuildTextFile();
    gStarted = true;
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
