#include "quick/ui/quick_commands.h"

#include "platform/registry.h"

namespace qv {

namespace {
Registry<QuickCommand, QuickFormOpener>& Openers() {
    static Registry<QuickCommand, QuickFormOpener> openers;
    return openers;
}
}  // namespace

void RegisterQuickCommand(QuickCommand command, QuickFormOpener open) {
    Openers().Register(command, std::move(open));
}

bool OpenQuickCommand(QuickCommand command, QWidget* owner) {
    const QuickFormOpener open = Openers().Find(command);
    if (!open) return false;
    open(owner);
    return true;
}

}  // namespace qv
