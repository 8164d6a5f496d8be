#include "selection/labels.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "platform/bytes.h"
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
    // Line n of the list is "riga<n>", written by the card of entry n - 1 (-1: a heading); the
    // row file names the first `named` lines (all of them by default).
    void List(const std::vector<int32_t>& cards, size_t named = SIZE_MAX) {
        std::string text, rows;
        for (size_t n = 1; n <= cards.size(); ++n) {
            text += "riga" + std::to_string(n) + "\r\n";
            if (n > named) continue;
            uint8_t record[4];
            PutI32(record, cards[n - 1]);
            rows.append(reinterpret_cast<const char*>(record), 4);
        }
        WriteBytes(program / "lista.txt", text);
        WriteBytes(program / "dli-list.dat", rows);
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

// A label per card, its cells padded or cut to the width: every tab of the file stands at the
// end of its label's column.
TEST_F(LabelsTest, OneCardALabelInAlignedColumns) {
    const struct {
        const char* what;
        std::vector<int32_t> cards;
        size_t named;
        int maskLines, columns, width;
        std::string expected;
    } cases[] = {
        {"three cards of two lines, two across",
         {0, 0, 1, 1, 2, 2},
         SIZE_MAX,
         2,
         2,
         6,
         "riga1 \triga3 \t\r\nriga2 \triga4 \t\r\nriga5 \t\r\nriga6 \t\r\n"},
        {"a 2-line mask makes labels of 2 rows, whatever the list holds",
         {0, 0, 0, 1, 1, 1},
         SIZE_MAX,
         2,
         2,
         5,
         "riga1\triga4\t\r\nriga2\triga5\t\r\n"},
        {"headings passed over, a taller mask",
         {-1, 4, 4, -1, 7, 7},
         SIZE_MAX,
         3,
         3,
         5,
         "riga2\triga5\t\r\nriga3\triga6\t\r\n     \t     \t\r\n"},
        {"lines the row file does not name", {3, 3, 5, 5}, 2, 2, 2, 5, "riga1\t\r\nriga2\t\r\n"},
        {"cut to the width", {0, 1}, SIZE_MAX, 1, 2, 3, "rig\trig\t\r\n"},
        {"width 0", {0, 1}, SIZE_MAX, 1, 2, 0, "\t\t\r\n"},
        {"no lines", {}, SIZE_MAX, 2, 3, 10, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        List(c.cards, c.named);
        Mask(c.maskLines);
        const std::string sheet = Labels(c.columns, c.width);
        EXPECT_EQ(sheet, c.expected);
        for (size_t start = 0, end; (end = sheet.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = sheet.substr(start, end - start);
            for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', tab + 1))
                EXPECT_EQ((tab + 1) % size_t(c.width + 1), 0u) << line;
        }
    }
}

TEST_F(LabelsTest, SettingsAreBroughtIntoRange) {
    List({0, 0, 0});
    Mask(25);
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
    // A label has at most 20 rows: the card's lines past them are dropped.
    Mask(25);
    List(std::vector<int32_t>(21, 6));
    EXPECT_EQ(Labels(1, 6), [] {
        std::string band;
        for (int n = 1; n <= 20; ++n)
            band += (n < 10 ? "riga" + std::to_string(n) + " " : "riga" + std::to_string(n)) + "\t\r\n";
        return band;
    }());

    // A line of full width keeps its tab.
    Mask(1);
    WriteBytes(program / "lista.txt", std::string(120, 'x') + "\r\n" + std::string(99, 'y') + "\r\n");
    WriteBytes(program / "dli-list.dat", std::string("\0\0\0\0\1\0\0\0", 8));
    EXPECT_EQ(Labels(2, 100), std::string(100, 'x') + "\t" + std::string(99, 'y') + " \t\r\n");

    std::remove((program / "dli-list.dat").c_str());
    EXPECT_THROW(Labels(1, 10), IoError);
    List({0});
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
