#include "core/help_page.h"

#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace qv {

std::string HelpPagePath(int page) {
    if (page < 1 || page > 999) return {};
    const char digits[] = {char('0' + page / 100), char('0' + page / 10 % 10), char('0' + page % 10), 0};
    return CoreState.ProgramDir + "help/help" + digits + ".rtf";
}

std::optional<std::string> ReadHelpPage(int page) {
    const std::string path = HelpPagePath(page);
    if (path.empty()) return std::nullopt;
    return TryReadFile(ResolveExisting(path));
}

}  // namespace qv
