#include "selection/merged_list.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/mask_archive.h"
#include "support/recording_progress.h"
#include "support/records.h"

namespace qv {
namespace {

using namespace test;

std::string Counter(int16_t n) {
    std::string bytes;
    AppendI16(bytes, n);
    return bytes;
}

// The program directory is the first archive's; the second archive lies below it and shares
// its field definition. The mask writes the name (field 1); the lists group by the category
// (field 2), so a card's key line holds its category and 0, and the block's one line.
class MergedListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        first = a.Dir();
        second = a / "secondo/";
        ASSERT_TRUE(MakeDirs(second));
        WriteBytes(second + "mod-sch.dat", ReadBytes(a / "mod-sch.dat"));
        WriteBytes(second + "alf-sch.dat", "");
        WriteBytes(second + "num-sch.dat", "");
        CoreState.ListGroupField1 = 2;
    }
    struct Card {
        const char* name;
        int category;
        bool selected;
    };
    // Opens `dir` as the current archive with these cards and this mask.
    void Archive(const std::string& dir, std::initializer_list<Card> cards, const std::string& mask) {
        CoreState.ArchiveDir = dir;
        CoreState.LastCard = -1;
        CardSelectionMask.fill(0);
        int32_t c = 0;
        for (const Card& card : cards) {
            a.Blank();
            a.Name(card.name);
            a.Category(card.category);
            a.Store(c);
            if (card.selected) MaskArchive::Select(c);
            ++c;
        }
        WriteBytes(dir + "mas-dat.txt", mask);
    }
    std::string Program(const std::string& name) const { return a / name; }

    MaskArchive a;
    std::string first, second;
    RecordingProgress progress;
};

TEST_F(MergedListTest, TwoArchivesJoinedByKey) {
    WriteBytes(Program("lista.txt"), "old list\r\n");
    // Gialli shares the smallest key but is not selected.
    Archive(first, {{"Rossi", 3, true}, {"Bianchi", 1, true}, {"Gialli", 1, false}}, "#1*\r\n");
    ASSERT_EQ(RunFirstMergePass(progress), MergePassOutcome::Done);
    EXPECT_EQ(ReadBytes(Program("Scheda.1")), "*1,0 1\r\nBianchi\r\n*3,0 1\r\nRossi\r\n");
    EXPECT_EQ(ReadBytes(Program("mrg-sch.dat")), Counter(1));
    EXPECT_EQ(ReadBytes(Program("lista.txt")), "");
    EXPECT_EQ(ReadBytes(first + "archbase.txt"), "");
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 0, 1}));

    // The second archive in the order of its index: Neri before Verdi, but Verdi's group
    // comes first.
    Archive(second, {{"Verdi", 2, true}, {"Neri", 3, true}}, "#1*\r\n");
    WriteBytes(second + "ALFA.001", Int32s({1, 0}));
    CoreState.ListOrderField = 1;
    CoreState.MergeListAlphabetic = 1;
    progress.positions.clear();
    ASSERT_EQ(RunNextMergePass(progress), MergePassOutcome::Done);
    EXPECT_EQ(ReadBytes(Program("Scheda.2")), "*2,0 1\r\nVerdi\r\n*3,0 1\r\nNeri\r\n");
    EXPECT_EQ(ReadBytes(Program("mrg-sch.dat")), Counter(2));
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 2}));

    // Equal keys: file 1 before file 2.
    progress.positions.clear();
    ASSERT_EQ(JoinMergedLists(progress), MergeJoinOutcome::Done);
    EXPECT_EQ(ReadBytes(second + "mrg-list.txt"), "Bianchi\r\nVerdi\r\nRossi\r\nNeri\r\n");
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(FileExists(first + "mrg-list.txt"));
}

TEST_F(MergedListTest, PassWritesNoHeadingAndKeepsKeyLinesApart) {
    // A tabular mask whose output does not end its line: no heading, and each key line still
    // starts a line of its own.
    Archive(first, {{"Rossi", 3, true}, {"Bianchi", 1, true}}, "#T,5,Nome*#1*");
    ASSERT_EQ(RunFirstMergePass(progress), MergePassOutcome::Done);
    EXPECT_EQ(ReadBytes(Program("Scheda.1")), "*1,0 1\r\nBianchi\r\n*3,0 1\r\nRossi\r\n");
    ASSERT_EQ(JoinMergedLists(progress), MergeJoinOutcome::Done);
    EXPECT_EQ(ReadBytes(first + "mrg-list.txt"), "Bianchi\r\nRossi\r\n");
}

TEST_F(MergedListTest, PassesThatTouchNothing) {
    Archive(first, {{"Rossi", 3, true}}, "#1*\r\n");
    CoreState.ListGroupField1 = 0;
    EXPECT_EQ(RunFirstMergePass(progress), MergePassOutcome::NoGroupField);
    EXPECT_EQ(RunNextMergePass(progress), MergePassOutcome::NoGroupField);
    EXPECT_FALSE(FileExists(Program("mrg-sch.dat")));

    CoreState.ListGroupField1 = 2;
    EXPECT_THROW(RunNextMergePass(progress), IoError);

    // The tenth pass.
    WriteBytes(Program("mrg-sch.dat"), Counter(9));
    EXPECT_EQ(RunNextMergePass(progress), MergePassOutcome::NoMorePasses);
    EXPECT_EQ(ReadBytes(Program("mrg-sch.dat")), Counter(9));

    // An alphabetical pass without the order index.
    WriteBytes(Program("mrg-sch.dat"), Counter(3));
    CoreState.MergeListAlphabetic = 1;
    CoreState.ListOrderField = 1;
    EXPECT_EQ(RunFirstMergePass(progress), MergePassOutcome::OrderIndexMissing);
    EXPECT_EQ(RunNextMergePass(progress), MergePassOutcome::OrderIndexMissing);
    EXPECT_EQ(ReadBytes(Program("mrg-sch.dat")), Counter(3));
    EXPECT_FALSE(FileExists(Program("Scheda.4")));
}

TEST_F(MergedListTest, PassWithoutMaskLeavesAnEmptyNumberedFile) {
    Archive(first, {{"Rossi", 3, true}}, "");
    RemoveFile(first + "mas-dat.txt");
    // A file left from an earlier series under the number the pass takes.
    WriteBytes(Program("Scheda.1"), "*10000\r\nVecchio\r\n");
    EXPECT_THROW(RunFirstMergePass(progress), IoError);
    EXPECT_EQ(ReadBytes(Program("mrg-sch.dat")), Counter(1));
    EXPECT_EQ(ReadBytes(Program("Scheda.1")), "");
    ASSERT_EQ(JoinMergedLists(progress), MergeJoinOutcome::Done);
    EXPECT_EQ(ReadBytes(first + "mrg-list.txt"), "");
}

TEST_F(MergedListTest, NoCardLostWhateverItsValuesAndLines) {
    // Grouped by the 32-bit number, then the category; the mask's lines begin with "*".
    CoreState.ListGroupField1 = 8;
    CoreState.ListGroupField2 = 2;
    CoreState.ArchiveDir = first;
    CoreState.LastCard = -1;
    CardSelectionMask.fill(0);
    const std::pair<const char*, int32_t> cards[] = {
        {"Rossi", 12000000}, {"Bianchi", kEmptyNumber}, {"Verdi", 9999999}, {"Neri", 10000}};
    for (int32_t c = 0; c < 4; ++c) {
        a.Blank();
        a.Name(cards[c].first);
        a.Number32(cards[c].second);
        a.Category(c == 3 ? 3 : 0);
        a.Store(c);
        MaskArchive::Select(c);
    }
    WriteBytes(first + "mas-dat.txt", "*#1*\r\n*\r\n");
    ASSERT_EQ(RunFirstMergePass(progress), MergePassOutcome::Done);
    ASSERT_EQ(JoinMergedLists(progress), MergeJoinOutcome::Done);
    EXPECT_EQ(ReadBytes(first + "mrg-list.txt"),
              "*Bianchi\r\n*\r\n*Neri\r\n*\r\n*Verdi\r\n*\r\n*Rossi\r\n*\r\n");
}

TEST_F(MergedListTest, JoinOfHandMadeFiles) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::string merged;
    } cases[] = {
        {"an empty file adds nothing", {"", "*5\r\nA\r\n"}, "A\r\n"},
        {"a block copies its counted lines, whatever they begin with",
         {"*1,0 2\r\nA\r\n*x\r\n*3,0 1\r\nC\r\n", "*2,0 1\r\nD\r\n"},
         "A\r\n*x\r\nD\r\nC\r\n"},
        {"a count beyond the file's end stops there", {"*1,0 5\r\nA\r\n"}, "A\r\n"},
        {"pairs compare value by value", {"*1,-9999999 1\r\nA\r\n", "*0,5000000 1\r\nB\r\n"}, "B\r\nA\r\n"},
        // Files without counts, from stations that key by a x 10000 + b.
        {"a single key is read as its pair", {"*10000\r\nA\r\n", "*0,20000 1\r\nB\r\n"}, "B\r\nA\r\n"},
        {"without a count, a card line beginning with * is a key line",
         {"*1\r\nA\r\n*x\r\nB\r\n*3\r\nC\r\n", "*2\r\nD\r\n"},
         "A\r\nB\r\nD\r\nC\r\n"},
        {"keys from the end value on are still copied", {"*10000000\r\nA\r\n", "*5\r\nB\r\n"}, "B\r\nA\r\n"},
        {"negative keys come first", {"*7\r\nA\r\n", "*-320000000\r\nB\r\nB2\r\n"}, "B\r\nB2\r\nA\r\n"},
        {"a single key -1 lies just below 0,0",
         {"*0,0 1\r\nA\r\n", "*-1\r\nB\r\n", "*-1,9999 1\r\nC\r\n"},
         "B\r\nC\r\nA\r\n"},
        {"numbers past 64 bits",
         {"*99999999999999999999999\r\nA\r\n", "*-99999999999999999999999\r\nB\r\n"},
         "B\r\nA\r\n"},
        {"a key line at the end copies nothing", {"*1\r\nA\r\n*9\r\n", "*4\r\nB\r\n"}, "A\r\nB\r\n"},
        {"lines are cut to 255 characters",
         {"*1\r\n" + std::string(300, 'x') + "\r\n"},
         std::string(255, 'x') + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(Program("mrg-sch.dat"), Counter(int16_t(c.files.size())));
        for (size_t i = 0; i < c.files.size(); ++i) WriteBytes(MergeIntermediatePath(int(i + 1)), c.files[i]);
        ASSERT_EQ(JoinMergedLists(progress), MergeJoinOutcome::Done);
        EXPECT_EQ(ReadBytes(first + "mrg-list.txt"), c.merged);
    }
}

TEST_F(MergedListTest, JoinWithoutFiles) {
    WriteBytes(first + "mrg-list.txt", "old\r\n");
    EXPECT_EQ(JoinMergedLists(progress), MergeJoinOutcome::NoFiles);
    WriteBytes(Program("mrg-sch.dat"), Counter(0));
    EXPECT_EQ(JoinMergedLists(progress), MergeJoinOutcome::NoFiles);
    // A counter that will not open is an error, not "no files"; a numbered file missing, too.
    // The old merged list stays.
    WriteBytes(Program("mrg-sch.dat"), Counter(2));
    FailIoCallForTest(IoCall::Open, 1, EACCES);
    EXPECT_THROW(JoinMergedLists(progress), IoError);
    ResetIoFaultsForTest();
    WriteBytes(Program("Scheda.1"), "*1\r\nA\r\n");
    RemoveFile(Program("Scheda.2"));
    EXPECT_THROW(JoinMergedLists(progress), IoError);
    EXPECT_EQ(ReadBytes(first + "mrg-list.txt"), "old\r\n");
}

}  // namespace
}  // namespace qv
