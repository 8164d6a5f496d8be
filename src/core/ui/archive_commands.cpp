#include "core/ui/archive_commands.h"

#include <strings.h>

#include "core/archive_list.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/ui/form_kit.h"
#include "core/ui/tarchivio.h"
#include "core/ui/tedits2.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"

namespace qv {

namespace {

constexpr char kDescriptorName[] = "morvidex.dat";

void Run(const std::function<void()>& step) {
    if (step) step();
}

struct PageSize {
    int width = CoreState.PageWidth;
    int height = CoreState.PageHeight;
    bool Changed() const { return width != CoreState.PageWidth || height != CoreState.PageHeight; }
};

void Repaint(const CardWindowSteps& steps) {
    CoreState.CommandCode = 1;
    Run(steps.repaint);
}

// The archive directory of a chosen descriptor: the file's own directory. A file of another
// name chooses nothing. Letter case is kept, since this file system tells it apart.
std::string DescriptorDirectory(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (::strcasecmp(name.c_str(), kDescriptorName) != 0) return {};
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

bool OpenArchiveList(QWidget* owner, const CardWindowSteps& steps) {
    if (!TryReadFile(DataFilePath(data_file::kArchiveList))) {
        Run(steps.disableArchiveList);
        return false;
    }
    const PageSize before;
    Run(steps.storeCard);
    TArchivio dialog(owner);
    ShowModal(dialog);
    Run(steps.applyArchive);
    if (before.Changed()) Run(steps.centre);
    Repaint(steps);
    return dialog.ArchiveChanged();
}

bool OpenArchiveFromFile(QWidget* owner, const CardWindowSteps& steps) {
    (void)owner;
    const PageSize before;
    Run(steps.storeCard);
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ArchiveDir;
    request.fileName = "morvidex*.dat";
    request.filter = "morvidex*.dat";
    const std::string dir = DescriptorDirectory(AskFileName(request));
    // The archive in use is written down for the next start.
    if (dir.empty() || !StorablePathGiven(dir)) return false;
    bool opened = true;
    try {
        SwitchToArchive(dir);
    } catch (const IoError& e) {
        // The previous archive has been opened again, with a blank new card.
        ShowIoError(e);
        opened = false;
    }
    // The card in hand is a blank new card even when the same archive was chosen again: the
    // window shows it.
    Run(steps.applyArchive);
    if (before.Changed()) Run(steps.centre);
    Repaint(steps);
    return opened;
}

bool OpenDesigner(QWidget* owner, const CardWindowSteps& steps) {
    Run(steps.storeCard);
    CoreState.CardWindowMode = kSearchMode;
    const PageSize before;
    const std::string archive = CoreState.ArchiveDir;
    {
        TEditS2 dialog(owner);
        ShowModal(dialog);
    }
    if (CoreState.CardWindowMode != kPointerMode) CoreState.CardWindowMode = kSearchMode;
    const bool changed = CoreState.ArchiveDir != archive;
    // The designer may have made its new archive the current one: its logo and list state too.
    if (changed || before.Changed()) Run(steps.applyArchive);
    if (before.Changed()) Run(steps.centre);
    Repaint(steps);
    return changed;
}

}  // namespace qv
