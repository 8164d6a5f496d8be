#include "selection/clickable_list.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(ClickableListTest, StagingCopyRowCardsAndPrintedLines) {
    test::TempDir dir;
    ResetProgramState();
    CoreState.ProgramDir = dir.Path();
    WriteBytes(dir / "tabella.txt", "prima");
    EXPECT_FALSE(StageClickableList());
    EXPECT_EQ(ReadBytes(dir / "tabella.txt"), "prima");
    EXPECT_THROW(ListPrintLines(), IoError);
    EXPECT_THROW(ListRowCard(0), IoError);

    // Rows are cut to 1020 characters for the list and to 255 for the printer; only 29999 are
    // shown, but every line is counted.
    std::string text = "uno\r\n" + std::string(1100, 'w') + "\r\n";
    for (int n = 2; n < 30001; ++n) text += "r\r\n";
    WriteBytes(dir / "lista.txt", text);
    const auto list = StageClickableList();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->lineCount, 30001);
    EXPECT_TRUE(list->Truncated());
    ASSERT_EQ(list->rows.size(), 29999u);
    EXPECT_EQ(list->rows[1], std::string(1020, 'w'));
    const std::string staged = ReadBytes(dir / "tabella.txt");
    EXPECT_EQ(staged.size(), 5 + 1022 + 29997 * 3u);
    EXPECT_EQ(staged.substr(0, 10), "uno\r\nwwwww");
    const std::vector<std::string> printed = ListPrintLines();
    EXPECT_EQ(printed.size(), 30001u);
    EXPECT_EQ(printed[1], std::string(255, 'w'));

    WriteBytes(dir / "dli-list.dat", Hex("05 00 00 00  2C 01 00 00  FF FF FF FF"));
    EXPECT_EQ(ListRowCard(0), 5);
    EXPECT_EQ(ListRowCard(1), 300);
    EXPECT_EQ(ListRowCard(2), -1);
    EXPECT_THROW(ListRowCard(3), IoError);
    ResetProgramState();
}

}  // namespace
}  // namespace qv
