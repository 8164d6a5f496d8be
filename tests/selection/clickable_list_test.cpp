#include "selection/clickable_list.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using test::Hex;
using test::ReadBytes;
using test::WriteBytes;

class ClickableListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.Path();
    }
    void TearDown() override { ResetProgramState(); }
    test::TempDir dir;
};

TEST_F(ClickableListTest, StagingCopyOfTheRowsShown) {
    EXPECT_FALSE(StageClickableList());
    WriteBytes(dir / "tabella.txt", "prima");
    EXPECT_FALSE(StageClickableList());
    EXPECT_EQ(ReadBytes(dir / "tabella.txt"), "prima");

    const std::string wide(1100, 'w');
    WriteBytes(dir / "lista.txt", "uno\r\n" + wide + "\r\n\x0c\r\nquattro");
    const auto list = StageClickableList();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->lineCount, 4);
    EXPECT_FALSE(list->Truncated());
    ASSERT_EQ(list->rows.size(), 4u);
    EXPECT_EQ(list->rows[1], std::string(1020, 'w'));
    EXPECT_EQ(ReadBytes(dir / "tabella.txt"), "uno\r\n" + std::string(1020, 'w') + "\r\n\x0c\r\nquattro\r\n");

    for (const auto& [lines, shown] :
         {std::pair{29999, 29999}, std::pair{30000, 29999}, std::pair{30001, 29999}}) {
        std::string text;
        for (int n = 0; n < lines; ++n) text += "r\r\n";
        WriteBytes(dir / "lista.txt", text);
        const auto big = StageClickableList();
        ASSERT_TRUE(big);
        EXPECT_EQ(big->lineCount, lines);
        EXPECT_EQ(int(big->rows.size()), shown);
        EXPECT_EQ(big->Truncated(), lines >= 30000);
    }
}

TEST_F(ClickableListTest, RowCardsAndPrintedLines) {
    EXPECT_THROW(ListRowCard(0), IoError);
    WriteBytes(dir / "dli-list.dat", Hex("05 00 00 00  2C 01 00 00  FF FF FF FF"));
    EXPECT_EQ(ListRowCard(0), 5);
    EXPECT_EQ(ListRowCard(1), 300);
    EXPECT_EQ(ListRowCard(2), -1);
    EXPECT_THROW(ListRowCard(3), IoError);

    EXPECT_THROW(ListPrintLines(), IoError);
    WriteBytes(dir / "lista.txt", "a\r\n" + std::string(300, 'p') + "\r\nc");
    EXPECT_EQ(ListPrintLines(), (std::vector<std::string>{"a", std::string(255, 'p'), "c"}));
}

}  // namespace
}  // namespace qv
