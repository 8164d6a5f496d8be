#include "core/station_settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// A settings file from slot values; each value is followed by the end word.
std::string SettingsFile(const std::vector<int>& values) {
    std::string out;
    for (int v : values) out += Words({v, 33536});
    return out;
}

class StationSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.StationNumber = "007";
        ApplySettingsDefaults();
    }
    TempDir dir;
};

TEST_F(StationSettings, DefaultFileGolden) {
    SaveSettingsWordFile();
    // Slot defaults: 640, 480, 0, 1 (class width), 0 x 6, 1 (sort key), 0 x 22, 1 (import format),
    // 44 (","), 0 x 21, 1 (reserved 56), 0 x 3.
    std::vector<int> slots = {640, 480, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    slots.insert(slots.end(), 22, 0);
    slots.push_back(1);
    slots.push_back(44);
    slots.insert(slots.end(), 21, 0);
    slots.push_back(1);
    slots.insert(slots.end(), 3, 0);
    ASSERT_EQ(slots.size(), 60u);
    const std::string got = ReadBytes(dir / "imposta.007");
    EXPECT_EQ(got.size(), 240u);
    EXPECT_EQ(ToHex(got.substr(0, 8)), ToHex(Hex("80 02 00 83 E0 01 00 83")));
    EXPECT_EQ(ToHex(got), ToHex(SettingsFile(slots)));
}

TEST_F(StationSettings, ShortFileSetsOnlyItsSlots) {
    WriteBytes(dir / "Imposta.007", SettingsFile({800, 600}));
    CoreState.ClassWidth = 1;
    LoadSettingsWordFile();
    EXPECT_EQ(CoreState.PageWidth, 800);
    EXPECT_EQ(CoreState.PageHeight, 600);
    EXPECT_EQ(CoreState.ClassWidth, 1);
    EXPECT_EQ(CoreState.SortKeyLength, 1);
    EXPECT_EQ(CoreState.ImportDelimiter, ',');
    EXPECT_EQ(CoreState.ReservedSlots[56], 1);
}

TEST_F(StationSettings, FlagSlotsSetOnlyByPositiveWords) {
    // Slot 20 (chi-square) preset to 1 as a default would be; slots 17, 18, 19 and 21 start at 0.
    CoreState.ChiSquare = 1;
    std::vector<int> slots(22, 0);
    slots[17] = 2;       // set
    slots[18] = 0xFFFF;  // -1: stays
    slots[19] = 0x8000;  // most negative: stays
    slots[20] = 0;       // stays 1
    slots[21] = 1;       // hide trivial connections
    WriteBytes(dir / "Imposta.007", SettingsFile(slots));
    LoadSettingsWordFile();
    EXPECT_EQ(CoreState.PercentColumn, 1);
    EXPECT_EQ(CoreState.PercentRow, 0);
    EXPECT_EQ(CoreState.PercentTotal, 0);
    EXPECT_EQ(CoreState.ChiSquare, 1);
    EXPECT_EQ(CoreState.HideTrivialConnections, 1);
}

TEST_F(StationSettings, SeveralValuesBeforeOneEndWord) {
    // Slot 0: two values, the last wins; slot 1: end; slot 2..10: ends; slot 11 (flag): 0 then 3.
    std::string file = Words({100, 200, 33536, 33536});
    for (int k = 2; k <= 10; ++k) file += Words({33536});
    file += Words({0, 3, 33536});
    WriteBytes(dir / "Imposta.007", file);
    LoadSettingsWordFile();
    EXPECT_EQ(CoreState.PageWidth, 200);
    EXPECT_EQ(CoreState.PageHeight, 480);
    EXPECT_EQ(CoreState.ListFlag, 1);
}

TEST_F(StationSettings, SlotsPastTheLastAreIgnored) {
    std::vector<int> slots(62, 0);
    slots[59] = 5;
    slots[60] = 9;  // would be a 61st slot
    WriteBytes(dir / "Imposta.007", SettingsFile(slots));
    LoadSettingsWordFile();
    EXPECT_EQ(CoreState.EmailSentCode, 5);
}

TEST_F(StationSettings, ValueEqualToTheEndWordShiftsTheSlots) {
    CoreState.PageWidth = -32000;  // the end word itself
    CoreState.PageHeight = 300;
    SaveSettingsWordFile();
    ApplySettingsDefaults();
    LoadSettingsWordFile();
    // The value reads as the end of slot 0, the real end word closes slot 1 empty.
    EXPECT_EQ(CoreState.PageWidth, 640);
    EXPECT_EQ(CoreState.PageHeight, 480);
    EXPECT_EQ(CoreState.ProvinceIndex, 300);
}

TEST_F(StationSettings, EverySlotRoundTrips) {
    // Each slot gets a value of its own kind, different from its default.
    CoreState.PageWidth = 1024, CoreState.PageHeight = 768, CoreState.ProvinceIndex = 12,
    CoreState.ClassWidth = 5;
    CoreState.DistributionTable = 2, CoreState.ListGroupField1 = 3, CoreState.ListGroupField2 = 4;
    CoreState.ListOrderField = 6, CoreState.SortKeyLength = 3;
    for (uint8_t* f : {&CoreState.ListFlag,
                       &CoreState.DistributionHeadings,
                       &CoreState.SkipEmptyRows,
                       &CoreState.TableHeadings,
                       &CoreState.OmitRowNumbers,
                       &CoreState.PercentColumn,
                       &CoreState.PercentRow,
                       &CoreState.PercentTotal,
                       &CoreState.ChiSquare,
                       &CoreState.HideTrivialConnections,
                       &CoreState.CellBorders,
                       &CoreState.WideCells,
                       &CoreState.CountByQuantUnit,
                       &CoreState.LabelsToPrinter,
                       &CoreState.MergeListAlphabetic,
                       &CoreState.AfcFlag,
                       &CoreState.Cumulate,
                       &CoreState.ExportTabs,
                       &CoreState.TabSeparators,
                       &CoreState.ShowFrequencies})
        *f = 1;
    CoreState.QuantUnitVar = 27, CoreState.LabelColumns = 28, CoreState.LabelWidth = 30;
    CoreState.SearchListOption = 2, CoreState.ImportFormat = 3, CoreState.ImportDelimiter = ';';
    CoreState.CommuneField = 41, CoreState.ProvinceField = 42, CoreState.PreparedQuantVar = 44;
    CoreState.PreparedTerritoryVar = 45, CoreState.PreparedDateVar = 46, CoreState.LinkChoice1 = 47;
    CoreState.LinkChoice2 = 48, CoreState.TypologyField = 51, CoreState.EmailAddressField = 52;
    CoreState.EmailNameField = 53, CoreState.EmailConditionField = 54, CoreState.EmailConditionCode = -55;
    CoreState.EmailErrorField = 57, CoreState.EmailErrorCode = 58, CoreState.EmailSentCode = 59;
    for (int k : {4, 5, 36, 37, 43, 49, 56}) CoreState.ReservedSlots[size_t(k)] = 1000 + k;
    for (int k : {12, 24, 25}) CoreState.ReservedSlots[size_t(k)] = 1;
    const CoreStateRecord saved = CoreState;
    SaveSettingsWordFile();
    const std::string first = ReadBytes(dir / "imposta.007");

    ResetProgramState();
    CoreState.ArchiveDir = dir.Path();
    CoreState.StationNumber = "007";
    ApplySettingsDefaults();
    LoadSettingsWordFile();
    SaveSettingsWordFile();
    EXPECT_EQ(ToHex(ReadBytes(dir / "imposta.007")), ToHex(first));
    EXPECT_EQ(CoreState.EmailConditionCode, -55);
    EXPECT_EQ(CoreState.ImportDelimiter, ';');
    EXPECT_EQ(CoreState.HideTrivialConnections, 1);
    EXPECT_EQ(CoreState.ReservedSlots, saved.ReservedSlots);
    // Slot 21 holds the connections flag.
    EXPECT_EQ(ToHex(first.substr(21 * 4, 4)), ToHex(Words({1, 33536})));
}

TEST_F(StationSettings, ByteSlotsKeepTheLowByte) {
    std::vector<int> slots(35, 0);
    slots[34] = 0x013B;
    WriteBytes(dir / "Imposta.007", SettingsFile(slots));
    LoadSettingsWordFile();
    EXPECT_EQ(CoreState.ImportDelimiter, ';');
    CoreState.ImportFormat = 300;
    SaveSettingsWordFile();  // the existing spelling is reused
    EXPECT_EQ(ToHex(ReadBytes(dir / "Imposta.007").substr(33 * 4, 2)), ToHex(Words({300 & 0xFF})));
}

TEST(SelectionRunList, GoldenRuns) {
    struct Case {
        std::vector<int> set;
        std::string words;
    } cases[] = {
        {{3, 4, 5, 10}, Words({3, 5, 10, 10})},
        {{4000}, Words({4000, 4000})},
        {{0, 1, 4000}, Words({0, 1, 4000, 4000})},
        {{}, ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        FlagList flags{};
        for (int i : c.set) flags[size_t(i)] = 1;
        SaveSelectionRunList(dir / "ScRighe.000", flags);
        EXPECT_EQ(ToHex(ReadBytes(dir / "ScRighe.000")), ToHex(c.words));
        FlagList back{};
        LoadSelectionRunList(dir / "ScRighe.000", back);
        EXPECT_EQ(back, flags);
    }
}

TEST(SelectionRunList, DamagedFilesSetOnlyWhatFits) {
    struct Case {
        std::string words;
        std::vector<int> set;
    } cases[] = {
        {Words({2, 3, 7}), {2, 3}},                       // trailing odd word ignored
        {Words({3999, 5000, 4500, 4600}), {3999, 4000}},  // indexes past 4000 ignored
        {Words({9, 8, 1, 1}), {1}},                       // reversed run marks nothing
    };
    TempDir dir;
    for (const Case& c : cases) {
        WriteBytes(dir / "l", c.words);
        FlagList flags{};
        LoadSelectionRunList(dir / "l", flags);
        FlagList expected{};
        for (int i : c.set) expected[size_t(i)] = 1;
        EXPECT_EQ(flags, expected) << ToHex(c.words);
    }
    FlagList kept{};
    kept[5] = 1;
    LoadSelectionRunList(dir / "missing", kept);
    EXPECT_EQ(kept[5], 1);
    EXPECT_THROW(SaveSelectionRunList(dir / "no/dir/x", kept), IoError);
}

}  // namespace
}  // namespace qv
