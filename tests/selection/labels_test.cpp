#include "selection/labels.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

class LabelsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = program.Path();
        CoreState.ArchiveDir = archive.Path();
    }
    void TearDown() override { ResetProgramState(); }

    void Mask(int lines) {
        std::string text;
        for (int n = 1; n <= lines; ++n) text += "#1,10*\r\n";
        WriteBytes(archive / "mas-dat.txt", text);
    }
    void List(int lines) {
        std::string text;
        for (int n = 1; n <= lines; ++n) text += "riga" + std::to_string(n) + "\r\n";
        WriteBytes(program / "lista.txt", text);
    }
    std::string Labels(int columns, int width) {
        CoreState.LabelColumns = columns;
        CoreState.LabelWidth = width;
        WriteLabels();
        return ReadBytes(program / "Etichett.TXT");
    }

    test::TempDir program;
    test::TempDir archive;
};

TEST_F(LabelsTest, BandsOfLabels) {
    const struct {
        int listLines, maskLines, columns, width;
        std::string expected;
    } cases[] = {
        // Line 7 starts a fourth label, written with its second line empty.
        {7, 2, 3, 10, "riga1\triga3\triga5\t\r\nriga2\triga4\triga6\t\r\nriga7\t\r\n\t\r\n"},
        // After the full band, the labels that follow; the last one's missing line is empty,
        // not the cell of the band before.
        {8, 3, 2, 10, "riga1\triga4\t\r\nriga2\triga5\t\r\nriga3\triga6\t\r\nriga7\t\r\nriga8\t\r\n\t\r\n"},
        {9, 2, 3, 10, "riga1\triga3\triga5\t\r\nriga2\triga4\triga6\t\r\nriga7\triga9\t\r\nriga8\t\t\r\n"},
        {3, 1, 2, 3, "rig\trig\t\r\nrig\t\r\n"},
        {2, 1, 1, 0, "\t\r\n\t\r\n"},
        {0, 2, 3, 10, ""},
        // A mask of no lines gives labels of no rows.
        {5, 0, 2, 10, ""},
    };
    for (const auto& c : cases) {
        List(c.listLines);
        Mask(c.maskLines);
        EXPECT_EQ(Labels(c.columns, c.width), c.expected)
            << c.listLines << " " << c.maskLines << " " << c.columns << " " << c.width;
    }
}

TEST_F(LabelsTest, SettingsAreBroughtIntoRange) {
    List(3);
    Mask(25);  // labels of 20 rows: the card's last rows spill into the next label
    CoreState.LabelsToPrinter = 1;
    const struct {
        int columns, width, storedColumns, storedWidth;
    } cases[] = {{0, 150, 1, 100}, {9, -4, 5, 0}, {3, 40, 3, 40}};
    for (const auto& c : cases) {
        Labels(c.columns, c.width);
        EXPECT_EQ(CoreState.LabelColumns, c.storedColumns);
        EXPECT_EQ(CoreState.LabelWidth, c.storedWidth);
        EXPECT_EQ(CoreState.LabelsToPrinter, 0);
    }
    List(21);
    EXPECT_EQ(Labels(1, 10), [] {
        std::string band;
        for (int n = 1; n <= 20; ++n) band += "riga" + std::to_string(n) + "\t\r\n";
        band += "riga21\t\r\n";
        for (int n = 2; n <= 20; ++n) band += "\t\r\n";
        return band;
    }());

    // A line of full width keeps its tab.
    Mask(1);
    WriteBytes(program / "lista.txt", std::string(120, 'x') + "\r\n" + std::string(99, 'y') + "\r\n");
    EXPECT_EQ(Labels(2, 100), std::string(100, 'x') + "\t" + std::string(99, 'y') + "\t\r\n");

    std::remove((program / "lista.txt").c_str());
    EXPECT_THROW(Labels(1, 10), IoError);
}

TEST(LabelInputTest, MaskLinesAndTypedNumbers) {
    test::TempDir dir;
    ResetProgramState();
    CoreState.ArchiveDir = dir.Path();
    EXPECT_EQ(CountMaskLines(), 0);
    // A last line without a line break counts; byte 26 ends the mask.
    const std::pair<std::string, int> masks[] = {
        {"", 0}, {"a\r\nb", 2}, {"a\nb\n", 2}, {"\r\n\r\n", 2}, {"a\r\n\x1a", 1}};
    for (const auto& [text, lines] : masks) {
        WriteBytes(dir / "mas-dat.txt", text);
        EXPECT_EQ(CountMaskLines(), lines) << text;
    }
    EXPECT_EQ(TypedWholeNumber("99999999999"), 32767);
    ResetProgramState();
}

}  // namespace
}  // namespace qv
