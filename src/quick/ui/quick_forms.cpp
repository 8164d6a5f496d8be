#include "quick/ui/quick_forms.h"

#include <QProgressBar>

#include "core/core_state.h"
#include "platform/ui/dialogs.h"
#include "quick/ui/preparation_dialog.h"
#include "quick/ui/quick_grids_dialog.h"

namespace qv {

QuickFormHooks& QuickForms() {
    static QuickFormHooks hooks;
    return hooks;
}

void OpenQuickViewer(QWidget* owner, int selector) {
    CoreState.CommandCode = selector;
    if (QuickForms().TextViewer) QuickForms().TextViewer(owner, selector);
}

void OpenQuickHelp(QWidget* owner, int page) {
    CoreState.CommandCode = page;
    if (QuickForms().HelpPage) QuickForms().HelpPage(owner, page);
}

void BarProgress::SetMaximum(int maximum) {
    bar_->setRange(0, maximum);
}

void BarProgress::SetPosition(int position) {
    bar_->setValue(position);
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
