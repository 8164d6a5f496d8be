// The folders of src/ stand in one order, lowest first; a folder includes only itself and the
// folders before it, its engine never a ui/ folder, and its ui/ the engine and ui/ of itself and
// of the folders before it. A new include against the order fails here, naming the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

// The program's tools (the sample-archive builder) stand above everything, like the program.
const std::vector<std::string> kOrder = {"platform", "core",       "selection", "elaborations", "territory",
                                         "quick",    "cardwindow", "app",       "tools"};

int Rank(const std::string& folder) {
    const auto at = std::find(kOrder.begin(), kOrder.end(), folder);
    return at == kOrder.end() ? -1 : int(at - kOrder.begin());
}

TEST(Layering, EveryIncludeRunsDownTheFolderOrder) {
    const std::filesystem::path src = std::filesystem::path(QV_SOURCE_DIR) / "src";
    const std::regex include(R"(^\s*#\s*include\s*"([^"/]+)/(ui/)?[^"]+")");
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const std::filesystem::path relative = std::filesystem::relative(entry.path(), src);
        auto part = relative.begin();
        const std::string folder = part->string();
        const bool inUi = std::next(part) != relative.end() && std::next(part)->string() == "ui";
        ASSERT_GE(Rank(folder), 0) << relative << ": a folder the order does not name";
        ++files;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch m;
            if (!std::regex_search(line, m, include)) continue;
            const std::string target = m[1];
            const bool targetUi = m[2].matched;
            if (Rank(target) < 0) continue;  // an include of the same folder's own file
            const std::string where = relative.string() + ":" + std::to_string(number) + ": " + line;
            EXPECT_LE(Rank(target), Rank(folder)) << where;
            if (targetUi) {
                EXPECT_TRUE(inUi || Rank(folder) >= Rank("app")) << where << " (engine including a form)";
            }
        }
    }
    EXPECT_GT(files, 300);
}

}  // namespace
