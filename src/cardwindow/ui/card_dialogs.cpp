#include "cardwindow/ui/card_dialogs.h"

#include <map>

namespace qv {

namespace {
std::map<CardDialog, CardDialogOpener>& Openers() {
    static std::map<CardDialog, CardDialogOpener> openers;
    return openers;
}
}  // namespace

void RegisterCardDialog(CardDialog dialog, CardDialogOpener open) {
    if (open)
        Openers()[dialog] = std::move(open);
    else
        Openers().erase(dialog);
}

bool OpenCardDialog(CardDialog dialog, QWidget* owner) {
    const auto it = Openers().find(dialog);
    if (it == Openers().end()) return false;
    // A copy: the dialog may register or remove openers while it is shown.
    const CardDialogOpener open = it->second;
    open(owner);
    return true;
}

}  // namespace qv
