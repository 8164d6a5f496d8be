#include "core/help_page.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(HelpPage, PathsAndCaseInsensitiveLookup) {
    TempDir dir;
    ResetProgramState();
    CoreState.ProgramDir = dir.Path();
    struct Case {
        int page;
        const char* name;  // "" when the number is no page
    } cases[] = {
        {7, "help/help007.rtf"},
        {117, "help/help117.rtf"},
        {23, "help/help023.rtf"},
        {5, "help/help005.rtf"},
        {1, "help/help001.rtf"},
        {999, "help/help999.rtf"},
        {40, "help/help040.rtf"},
        {0, ""},
        {-7, ""},
        {1000, ""},
        {-1000, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(HelpPagePath(c.page), *c.name ? dir.Path() + c.name : "") << c.page;

    dir.MakeDir("Help");
    WriteBytes(dir / "Help/HELP007.RTF", "{\\rtf1 sette}");
    EXPECT_EQ(ReadHelpPage(7), "{\\rtf1 sette}");
    EXPECT_EQ(ReadHelpPage(8), std::nullopt);
    EXPECT_EQ(ReadHelpPage(0), std::nullopt);
    EXPECT_EQ(ReadHelpPage(1007), std::nullopt);
}

TEST(HelpPage, LinksBetweenPages) {
    const std::pair<const char*, int> cases[] = {
        {"help099.rtf", 99},   {"HELP032.RTF", 32},
        {"help001.rtf", 1},    {"help000.rtf", 0},
        {"help99.rtf", 0},     {"help0999.rtf", 0},
        {"help09x.rtf", 0},    {"help099.rtx", 0},
        {"../help099.rtf", 0}, {"", 0},
        {"http://x/a.rtf", 0},
    };
    for (const auto& [target, page] : cases) EXPECT_EQ(HelpPageOfLink(target), page) << target;
}

}  // namespace
}  // namespace qv
