#include "core/ui/card_dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/text_tables.h"
#include "platform/assertion.h"
#include "platform/registry.h"
#include "platform/ui/dialogs.h"

namespace qv {

namespace {

constexpr int kDialogMissingText = 1891;

Registry<CardDialog, CardDialogOpener>& Openers() {
    static Registry<CardDialog, CardDialogOpener> openers;
    return openers;
}

// Every dialog is registered when the program starts, so a missing one is a fault of the
// program: a developer's build stops at once, a person's build says so and goes on.
void ReportMissingDialog(CardDialog dialog) {
#if QV_ASSERTIONS_ACTIVE
    std::fprintf(stderr, "card dialog %d is not registered\n", int(dialog));
    std::abort();
#else
    ShowError(LoadText(kDialogMissingText) + " " + std::to_string(int(dialog)));
#endif
}

}  // namespace

void RegisterCardDialog(CardDialog dialog, CardDialogOpener open) {
    Openers().Register(dialog, std::move(open));
}

bool OpenCardDialog(CardDialog dialog, QWidget* owner) {
    const CardDialogOpener open = Openers().Find(dialog);
    if (!open) {
        ReportMissingDialog(dialog);
        return false;
    }
    open(owner);
    return true;
}

}  // namespace qv
