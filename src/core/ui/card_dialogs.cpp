#include "core/ui/card_dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "core/text_tables.h"
#include "platform/ui/dialogs.h"

namespace qv {

namespace {

constexpr int kDialogMissingText = 1891;

std::map<CardDialog, CardDialogOpener>& Openers() {
    static std::map<CardDialog, CardDialogOpener> openers;
    return openers;
}

// Every dialog is registered when the program starts, so a missing one is a fault of the
// program: a developer's build stops at once, a person's build says so and goes on.
void ReportMissingDialog(CardDialog dialog) {
#ifndef NDEBUG
    std::fprintf(stderr, "card dialog %d is not registered\n", int(dialog));
    std::abort();
#else
    ShowError(LoadText(kDialogMissingText) + " " + std::to_string(int(dialog)));
#endif
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
    if (it == Openers().end()) {
        ReportMissingDialog(dialog);
        return false;
    }
    // A copy: the dialog may register or remove openers while it is shown.
    const CardDialogOpener open = it->second;
    open(owner);
    return true;
}

}  // namespace qv
