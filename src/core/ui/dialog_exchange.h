#pragma once
#include <QDialog>

#include "core/core_state.h"
#include "platform/ui/dialogs.h"

class QWidget;

namespace qv {

// One exchange with a modal dialog of type Dialog, the one place its value passes through
// CoreState.CommandCode: `argument` stands there while the dialog is shown (the dialog and the
// help pages it opens read it there), and the dialog's Answer() stands there afterwards, where
// later code and the help pages look for it; the answer is also returned.
template <typename Dialog, typename... Extra>
int ExchangeDialog(QWidget* owner, int argument, Extra&&... extra) {
    CoreState.CommandCode = argument;
    Dialog dialog(owner, static_cast<Extra&&>(extra)...);
    ShowModal(dialog);
    CoreState.CommandCode = dialog.Answer();
    return CoreState.CommandCode;
}

// The same for a dialog that gives no answer of its own: `argument` stands in CommandCode while
// it is shown, and what the dialog's work or the windows it opened (a help page, the viewer)
// left there stays; that value is returned.
template <typename Dialog, typename... Extra>
int PassToDialog(QWidget* owner, int argument, Extra&&... extra) {
    CoreState.CommandCode = argument;
    Dialog dialog(owner, static_cast<Extra&&>(extra)...);
    ShowModal(dialog);
    return CoreState.CommandCode;
}

// The same for a dialog that runs a job and is accepted only when the job ran and ended well:
// whether it did.
template <typename Dialog, typename... Extra>
bool RunInDialog(QWidget* owner, int argument, Extra&&... extra) {
    CoreState.CommandCode = argument;
    Dialog dialog(owner, static_cast<Extra&&>(extra)...);
    return ShowModal(dialog) == QDialog::Accepted;
}

// The same for a dialog that takes no argument: CommandCode keeps what it held until the answer.
template <typename Dialog>
int AskDialog(QWidget* owner) {
    Dialog dialog(owner);
    ShowModal(dialog);
    CoreState.CommandCode = dialog.Answer();
    return CoreState.CommandCode;
}

}  // namespace qv
