#include "selection/list_engine.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "selection/clickable_list.h"
#include "support/mask_archive.h"
#include "support/recording_progress.h"
#include "support/records.h"

namespace qv {
namespace {

using namespace test;

// Cards 0..4; cards 0 to 3 selected.
//   card  name     category  municipality  number
//   0     Rossi    2         2             30
//   1     Bianchi  1         3             40
//   2     Verdi    2         1             50
//   3     Neri     1         2             60
//   4     Gialli   0         0             70
class ListEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        struct Row {
            const char* name;
            int category, comune;
            int16_t number;
        } rows[] = {{"Rossi", 2, 2, 30},
                    {"Bianchi", 1, 3, 40},
                    {"Verdi", 2, 1, 50},
                    {"Neri", 1, 2, 60},
                    {"Gialli", 0, 0, 70}};
        for (int c = 0; c < 5; ++c) {
            a.Blank();
            a.Name(rows[c].name);
            a.Category(rows[c].category);
            a.Comune(rows[c].comune);
            a.Number(rows[c].number);
            a.Store(c);
            if (c < 4) MaskArchive::Select(c);
        }
        WriteBytes(a / "mas-dat.txt", "#1*;#0*\r\n");
    }
    void Index(int field, std::initializer_list<int32_t> cards) {
        char name[16];
        std::snprintf(name, sizeof name, "ALFA.%03d", field);
        WriteBytes(a / name, Int32s(cards));
    }
    std::string List() const { return ReadBytes(a / "lista.txt"); }
    std::string RowFile() const { return ReadBytes(a / "dli-list.dat"); }
    // Clicks every row of the list: a row ending in a card's ordinal number opens that card,
    // any other row none, and the row file holds no record past the last row.
    static void ExpectEveryRowOpensItsCard() {
        const auto list = StageClickableList();
        ASSERT_TRUE(list);
        for (size_t row = 0; row < list->rows.size(); ++row) {
            const std::string& text = list->rows[row];
            const size_t digits = text.find_last_not_of("0123456789") + 1;
            const int32_t card = digits < text.size() ? std::stoi(text.substr(digits)) - 1 : -1;
            EXPECT_EQ(ListRowCard(int32_t(row)), card) << "row " << row << ": " << text;
        }
        EXPECT_THROW(ListRowCard(int32_t(list->rows.size())), IoError);
    }
    MaskArchive a;
    RecordingProgress progress;
};

TEST_F(ListEngineTest, PlainListsInCardAndIndexOrder) {
    CoreState.ListRow = 12;
    RunSequentialList(progress);
    EXPECT_EQ(List(), "Rossi;1\r\nBianchi;2\r\nVerdi;3\r\nNeri;4\r\n");
    EXPECT_EQ(RowFile(), Int32s({0, 1, 2, 3}));
    EXPECT_EQ(CoreState.ListReady, 1);
    EXPECT_EQ(CoreState.ListRow, 0);
    EXPECT_EQ(CoreState.CurrentCard, 3);
    EXPECT_EQ(progress.maximum, 4);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2, 3}));

    // Entries outside the archive are passed over; card 4 is not selected.
    CoreState.ListOrderField = 1;
    Index(1, {1, 4, 3, 0, 2, 99, -1});
    progress.positions.clear();
    EXPECT_EQ(RunAlphabeticalList(progress), ListOutcome::Done);
    EXPECT_EQ(List(), "Bianchi;2\r\nNeri;4\r\nRossi;1\r\nVerdi;3\r\n");
    EXPECT_EQ(RowFile(), Int32s({1, 3, 0, 2}));
    EXPECT_EQ(CoreState.CurrentCard, 2);
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(ListEngineTest, GroupedLists) {
    const std::string ff = "\f\r\n";
    struct Case {
        int group1, group2;
        bool alphabetical;
        std::string list;
        int after1, after2;
        bool numberAsComune = false;
    } cases[] = {
        // Gialli (not selected) holds the smallest key 0: the first group is empty.
        {2, 0, false, ff + "Bianchi;2\r\nNeri;4\r\n" + ff + "Rossi;1\r\nVerdi;3\r\n" + ff, 2, 0},
        // A municipality alone goes second; one group per code.
        {4, 0, false, ff + "Verdi;3\r\n" + ff + "Rossi;1\r\nNeri;4\r\n" + ff + "Bianchi;2\r\n" + ff, 0, 4},
        // Category first, then municipality, whichever was chosen first.
        {4, 2, false, ff + "Neri;4\r\n" + ff + "Bianchi;2\r\n" + ff + "Verdi;3\r\n" + ff + "Rossi;1\r\n" + ff,
         2, 4},
        {0, 2, false, ff + "Bianchi;2\r\nNeri;4\r\n" + ff + "Rossi;1\r\nVerdi;3\r\n" + ff, 0, 2},
        // Index order inside each group.
        {2, 0, true, ff + "Neri;4\r\nBianchi;2\r\n" + ff + "Verdi;3\r\nRossi;1\r\n" + ff, 2, 0},
        // Two municipality fields keep the order chosen, run after run.
        {4, 5, false, ff + "Verdi;3\r\n" + ff + "Rossi;1\r\n" + ff + "Neri;4\r\n" + ff + "Bianchi;2\r\n" + ff,
         4, 5, true},
    };
    CoreState.ListOrderField = 1;
    Index(1, {3, 1, 2, 0, 4});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        CoreState.ListGroupField1 = c.group1;
        CoreState.ListGroupField2 = c.group2;
        FieldTypes[5] = int16_t(c.numberAsComune ? 3 : 4);
        for (int run = 0; run < 2; ++run) {
            if (c.alphabetical)
                EXPECT_EQ(RunAlphabeticalList(progress), ListOutcome::Done);
            else
                RunSequentialList(progress);
            EXPECT_EQ(List(), c.list);
            ExpectEveryRowOpensItsCard();
            EXPECT_EQ(CoreState.ListGroupField1, c.after1);
            EXPECT_EQ(CoreState.ListGroupField2, c.after2);
        }
    }
}

TEST_F(ListEngineTest, NoCardLostWhateverItsGroupValues) {
    const std::string ff = "\f\r\n";
    struct Case {
        int group1, group2;
        int16_t numbers[4];
        int32_t big[4];
        std::string list;
    } cases[] = {
        // From a first value of 1000 on, a x 10000 reached the old end marker.
        {5,
         0,
         {30, 40, 1000, 60},
         {},
         "Rossi;1\r\n" + ff + "Bianchi;2\r\n" + ff + "Neri;4\r\n" + ff + "Verdi;3\r\n" + ff},
        {8,
         0,
         {},
         {12000000, kEmptyNumber, 50, 9999999},
         "Bianchi;2\r\n" + ff + "Verdi;3\r\n" + ff + "Neri;4\r\n" + ff + "Rossi;1\r\n" + ff},
        // Pairs: category 1 with an empty number before category 2 with any.
        {2,
         8,
         {},
         {5, kEmptyNumber, -5, 20000},
         ff + "Bianchi;2\r\n" + ff + "Neri;4\r\n" + ff + "Verdi;3\r\n" + ff + "Rossi;1\r\n" + ff},
    };
    const int categories[] = {2, 1, 2, 1, 0};
    const char* names[] = {"Rossi", "Bianchi", "Verdi", "Neri", "Gialli"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        for (int card = 0; card < 5; ++card) {
            a.Blank();
            a.Name(names[card]);
            a.Category(categories[card]);
            a.Number(card < 4 ? c.numbers[card] : 70);
            a.Number32(card < 4 ? c.big[card] : kEmptyNumber);
            a.Store(card);
        }
        CoreState.ListGroupField1 = c.group1;
        CoreState.ListGroupField2 = c.group2;
        RunSequentialList(progress);
        EXPECT_EQ(List(), c.list);
    }
}

TEST_F(ListEngineTest, NothingSelectedOrNoMask) {
    CardSelectionMask.fill(0);
    RunSequentialList(progress);
    EXPECT_EQ(List(), "");
    EXPECT_EQ(RowFile(), "");
    CoreState.ListGroupField1 = 2;
    RunSequentialList(progress);
    EXPECT_EQ(List(), "\f\r\n");

    MaskArchive::Select(0);
    MaskArchive::Select(1);
    test::WriteBytes(a / "mas-dat.txt", "#T*#1,5,Nome*\r\n");
    CardSelectionMask.fill(0);
    CoreState.ListGroupField1 = 0;
    RunSequentialList(progress);
    EXPECT_EQ(List(), "Nome \r\n\r\n");  // the heading stands alone

    std::remove((a / "mas-dat.txt").c_str());
    MaskArchive::Select(0);
    MaskArchive::Select(1);
    CoreState.ListGroupField1 = 2;
    RunSequentialList(progress);
    EXPECT_EQ(List(), "\f\r\n\f\r\n\f\r\n");  // groups 0, 1, 2
    EXPECT_EQ(RowFile(), Int32s({-1, -1, -1}));
}

TEST_F(ListEngineTest, MissingOrderIndexKeepsThePreviousList) {
    RunSequentialList(progress);
    const std::string list = List(), rows = RowFile();
    CoreState.ListReady = 0;
    CoreState.ListRow = 3;
    for (int field : {0, 1, 7}) {
        CoreState.ListOrderField = field;
        for (int group : {0, 2}) {
            CoreState.ListGroupField1 = group;
            EXPECT_EQ(RunAlphabeticalList(progress), ListOutcome::OrderIndexMissing);
            EXPECT_EQ(List(), list);
            EXPECT_EQ(RowFile(), rows);
            EXPECT_EQ(CoreState.ListReady, 1);
            EXPECT_EQ(CoreState.ListRow, 0);
        }
    }
}

TEST_F(ListEngineTest, TabularHeadingEvery61Cards) {
    for (int c = 0; c < 130; ++c) {
        a.Blank();
        a.Store(c);
        MaskArchive::Select(c);
    }
    WriteBytes(a / "mas-dat.txt", "#T*#0,3,Num*\r\n");
    RunSequentialList(progress);
    const std::string heading = "Num\r\n\r\n";
    std::string want = heading;
    for (int n = 1; n <= 130; ++n) {
        if (n == 62 || n == 123) want += "\f" + heading;
        char line[8];
        std::snprintf(line, sizeof line, "%3d\r\n", n);
        want += line;
    }
    EXPECT_EQ(List(), want);
    ExpectEveryRowOpensItsCard();
}

TEST_F(ListEngineTest, EveryLineOfACardNamesIt) {
    // Three mask lines, a "P" line break and a note of two lines on card 5.
    a.Blank();
    a.Notes("uno\r\ndue");
    a.Store(5);
    MaskArchive::Select(5);
    WriteBytes(a / "mas-dat.txt", "#1*\r\n#0*#N*\r\n-#P,13*-\r\n");
    RunSequentialList(progress);
    EXPECT_EQ(RowFile(), Int32s({0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 5, 5, 5, 5, 5}));
}

TEST_F(ListEngineTest, SingleCardPrint) {
    RunSequentialList(progress);
    const std::string list = List(), rows = RowFile();
    WriteBytes(a / "mas-dat.txt", "#T*#1,8,Nome*|#0*\r\n");
    CoreState.CurrentCard = 2;
    PrintCurrentCardThroughMask();
    EXPECT_EQ(ReadBytes(a / "tabella.txt"), "Verdi   |3\r\n");
    EXPECT_EQ(CoreState.CurrentCard, 2);
    EXPECT_EQ(List(), list);
    EXPECT_EQ(RowFile(), rows);

    std::remove((a / "mas-dat.txt").c_str());
    PrintCurrentCardThroughMask();
    EXPECT_EQ(ReadBytes(a / "tabella.txt"), "");
}

TEST_F(ListEngineTest, MissingCardFilesAbandonTheRun) {
    RunSequentialList(progress);
    const std::string list = List();
    std::remove((a / "alf-sch.dat").c_str());
    EXPECT_THROW(RunSequentialList(progress), IoError);
    EXPECT_EQ(List(), list);
}

}  // namespace
}  // namespace qv
