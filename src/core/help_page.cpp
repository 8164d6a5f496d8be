#include "core/help_page.h"

#include <cctype>

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

int HelpPageOfLink(std::string_view target) {
    if (target.size() != 11) return 0;
    int page = 0;
    for (size_t i = 0; i < target.size(); ++i) {
        const unsigned char c = target[i];
        if (i >= 4 && i < 7) {
            if (c < '0' || c > '9') return 0;
            page = page * 10 + (c - '0');
        } else if (std::tolower(c) != "help###.rtf"[i]) {
            return 0;
        }
    }
    return page;
}

}  // namespace qv
