#include "core/ui/card_dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/assertion.h"
#include "platform/registry.h"
#include "platform/ui/dialogs.h"

namespace qv {

namespace {

constexpr int kDialogMissingText = 1891;

Registry<CardDialog, CardDialogExchange>& Exchanges() {
    static Registry<CardDialog, CardDialogExchange> exchanges;
    return exchanges;
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
    if (!open) return RegisterCardDialog(dialog, nullptr);
    // A dialog without an exchange of its own finds the argument where every dialog looks and
    // answers what it leaves there.
    RegisterCardExchange(dialog, [open = std::move(open)](QWidget* owner, int argument) {
        CoreState.CommandCode = argument;
        open(owner);
        return CoreState.CommandCode;
    });
}

void RegisterCardExchange(CardDialog dialog, CardDialogExchange exchange) {
    Exchanges().Register(dialog, std::move(exchange));
}

void RegisterCardDialog(CardDialog dialog, std::nullptr_t) {
    Exchanges().Register(dialog, {});
}

bool OpenCardDialog(CardDialog dialog, QWidget* owner) {
    const CardDialogExchange exchange = Exchanges().Find(dialog);
    if (!exchange) {
        ReportMissingDialog(dialog);
        return false;
    }
    exchange(owner, CoreState.CommandCode);
    return true;
}

int ExchangeCardDialog(CardDialog dialog, QWidget* owner, int argument) {
    const CardDialogExchange exchange = Exchanges().Find(dialog);
    if (exchange) return exchange(owner, argument);
    ReportMissingDialog(dialog);
    CoreState.CommandCode = 0;
    return 0;
}

}  // namespace qv
