#include "quick/ui/quick_commands.h"

#include <map>
#include <utility>

namespace qv {

namespace {
std::map<QuickCommand, QuickFormOpener>& Openers() {
    static std::map<QuickCommand, QuickFormOpener> openers;
    return openers;
}
}  // namespace

void RegisterQuickCommand(QuickCommand command, QuickFormOpener open) {
    if (open)
        Openers()[command] = std::move(open);
    else
        Openers().erase(command);
}

bool OpenQuickCommand(QuickCommand command, QWidget* owner) {
    auto it = Openers().find(command);
    if (it == Openers().end()) return false;
    // A copy: the window may change the registrations while it is shown.
    QuickFormOpener open = it->second;
    open(owner);
    return true;
}

}  // namespace qv
