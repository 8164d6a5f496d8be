#include "cardwindow/range_check.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/small_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Fields: 1 coded with three categories (word 1), 2 its further answer (word 2), 3 municipality
// (word 3), 4 number holding the province (word 4), 5 text of 10 at byte 1.
class RangeCheckTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        TerritoryCount = 20;
        test::LayOutFields({{0, 1}, {1, 2}, {3, 3}, {4, 4}, {-10, 0, 1}});
        FieldFirstLabel[1] = FieldFirstLabel[2] = 4;
        FieldLastLabel[1] = FieldLastLabel[2] = 6;
        CoreState.CommuneField = 3;
        CoreState.ProvinceField = 4;

        WriteBytes(CoreState.ProgramDir + "sigle.imp",
                   test::NumberedTexts(840, {{837, "  - manca il comune"},
                                             {838, "  - manca la provincia"},
                                             {839, "  - il comune non appartiene alla provincia"}}));
        BuildTextFile();
    }
    static SmallCard Card(int first, int second, int commune, int province) {
        return SmallCard().Word(1, first).Word(2, second).Word(3, commune).Word(4, province).Text(1, "nome");
    }
};

TEST(LeadingCodeTest, ASignIsNotPartOfACode) {
    const std::pair<const char*, int32_t> cases[] = {{" 12ab", 12}, {"-5", 0}, {" +5", 0}, {"x9", 0}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(LeadingCode(text), expected) << text;
}

TEST_F(RangeCheckTest, RangeListFromTheProvinceStarts) {
    struct Case {
        const char* starts;
        const char* expected;
    } cases[] = {
        {"   1 Alfa\r\n   4 Beta\r\n   9Gamma lunga\r\n",
         "    1    3 Alfa\r\n    4    8 Beta\r\n    9   20Gamma lunga\r\n"},
        // Written on Linux; the text starts right at column 5; a line of the number alone; a
        // number wider than columns 1-4 is cut there.
        {"  1 Alfa\n  3\n12345 Delta\n", "    1    2Alfa\r\n    3 1233\r\n 1234   205 Delta\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(CoreState.ProgramDir + "ini-prov.imp", c.starts);
        BuildProvinceRangeList();
        EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "province.txt"), c.expected) << c.starts;
    }
}

TEST_F(RangeCheckTest, MissingProvinceStartsIsAnError) {
    EXPECT_THROW(BuildProvinceRangeList(), IoError);
    EXPECT_FALSE(LoadProvinceRanges().has_value());
}

TEST_F(RangeCheckTest, RangesFromTheFirstThousandLines) {
    std::string lines = "  12   40 Alfa\r\n7x   12\r\n\r\n";
    for (int n = 4; n <= 1001; ++n) lines += std::to_string(n) + "    " + std::to_string(n) + "\r\n";
    WriteBytes(CoreState.ArchiveDir + "province.txt", lines);
    const auto ranges = LoadProvinceRanges();
    ASSERT_TRUE(ranges);
    EXPECT_EQ(ranges->low[1], 12);
    EXPECT_EQ(ranges->high[1], 40);
    EXPECT_EQ(ranges->low[2], 7);
    EXPECT_EQ(ranges->high[2], 12);
    EXPECT_EQ(ranges->low[3], 0);
    EXPECT_EQ(ranges->high[3], 0);
    EXPECT_EQ(ranges->low[1000], 1000);
}

TEST_F(RangeCheckTest, ReportAndResetValues) {
    WriteBytes(CoreState.ArchiveDir + "province.txt", "    1    3 Alfa\r\n    4    8 Beta\r\n");
    std::vector<SmallCard> cards = {
        Card(3, 4, 5, 2),        // the count is valid, count + 1 is not
        Card(-1, 0, 0, 0),       // negative category, municipality and province missing
        Card(1, 1, 3, 2),        // below the lowest code
        Card(2, 0, 8, 2),        // the highest code
        Card(0, 3, 4, 2),        // the lowest code
        Card(0, 0, 9999, 1000),  // a province from 1000 on is not tested
        Card(0, 0, 2, 3),        // a province without a line has no valid code
        Card(0, 0, -4, 1),       // a negative municipality is not tested
    };
    // The index names two cards more: the check leaves them to the station writing them.
    test::StoreSmallCards(CoreState.ArchiveDir, cards, 2);
    const std::string text = test::SmallTextFile(cards);
    test::RecordingProgress progress;
    EXPECT_EQ(RunRangeCheck(progress).Missing(), 2);

    EXPECT_EQ(Report(),
              "rec.      1, pos.     2, val. 4\r\n"
              "rec.      2, pos.     1, val. -1\r\n"
              "rec.      2  - manca il comune\r\n"
              "rec.      2  - manca la provincia\r\n"
              "rec.      3  - il comune non appartiene alla provincia\r\n"
              "rec.      7  - il comune non appartiene alla provincia\r\n");
    cards[0].Word(2, 0);
    cards[1].Word(1, 0);
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "num-sch.dat"), test::SmallValuesFile(cards));
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "alf-sch.dat"), text);
    EXPECT_EQ(CoreState.CurrentCard, 7);
    EXPECT_EQ(progress.maximum, 7);
    EXPECT_EQ(progress.positions.back(), 7);
}

TEST_F(RangeCheckTest, MunicipalityCheckNeedsTheRangesAndTwoNumericFields) {
    struct Case {
        const char* what;
        bool ranges;
        int commune, province;
    } cases[] = {
        {"no province.txt", false, 3, 4},  {"no municipality field", true, 0, 4},
        {"no province field", true, 3, 0}, {"a field the archive lacks", true, 3, 6},
        {"a text field", true, 5, 4},
    };
    for (const Case& c : cases) {
        RemoveFile(CoreState.ArchiveDir + "province.txt");
        if (c.ranges) WriteBytes(CoreState.ArchiveDir + "province.txt", "    1    3 Alfa\r\n");
        CoreState.CommuneField = c.commune;
        CoreState.ProvinceField = c.province;
        test::StoreSmallCards(CoreState.ArchiveDir, {Card(0, 0, 0, 0), Card(9, 0, 7, 1)});
        test::RecordingProgress progress;
        RunRangeCheck(progress);
        EXPECT_EQ(Report(), "rec.      2, pos.     1, val. 9\r\n") << c.what;
    }
}

TEST_F(RangeCheckTest, AnUnwritableReportLeavesTheCardsAlone) {
    const std::vector<SmallCard> cards = {Card(9, 0, 1, 1)};
    test::StoreSmallCards(CoreState.ArchiveDir, cards);
    CoreState.ProgramDir = dir.Path() + "missing/";
    test::RecordingProgress progress;
    EXPECT_THROW(RunRangeCheck(progress), IoError);
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "num-sch.dat"), test::SmallValuesFile(cards));
}

}  // namespace
}  // namespace qv
