#include "quick/ui/quick_forms.h"

#include <QProgressBar>
#include <utility>

#include "platform/ui/dialogs.h"
#include "quick/ui/preparation_dialog.h"
#include "quick/ui/quick_grids_dialog.h"

namespace qv {

namespace {
QuickFormOpener& AdditionalVariablesOpener() {
    static QuickFormOpener open;
    return open;
}
}  // namespace

void RegisterAdditionalVariablesDialog(QuickFormOpener open) {
    AdditionalVariablesOpener() = std::move(open);
}

void OpenAdditionalVariablesDialog(QWidget* owner) {
    if (AdditionalVariablesOpener()) AdditionalVariablesOpener()(owner);
}

void OpenQuickGridSet(QWidget* owner) {
    TElabVelociGriglia dialog(owner);
    ShowModal(dialog);
}

void OpenQuickPreparation(QWidget* owner) {
    TElabVelociPrepara dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
