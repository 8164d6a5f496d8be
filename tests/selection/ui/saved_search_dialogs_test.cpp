#include "selection/ui/saved_search_dialogs.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "app/startup.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/ui/dialogs.h"
#include "selection/collective_selection.h"
#include "selection/ui/form_fixtures.h"
#include "support/card_selection.h"
#include "support/program_dir.h"
#include "support/sample_fields.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;

class SavedSearchDialogTest : public SearchDialogTest {
  protected:
    void SetUp() override {
        SearchDialogTest::SetUp();
        ClearStatistics(2);
    }
    static std::vector<int> SelectedCodes() {
        std::vector<int> codes;
        for (int c = 1; c <= TerritoryCount; ++c)
            if (*TerritoryFlag(c)) codes.push_back(c);
        return codes;
    }
    // Women, as the collective selection finds them.
    static void SelectWomen() {
        FieldInCondition[kSex] = 1;
        CategoryWanted[size_t(FieldFirstCategory[kSex] + 1)] = 1;
        NoProgress none;
        RunCollectiveSelection(kFirstSearch, none);
    }
};

TEST_F(SavedSearchDialogTest, SaveAndOpenStartEmptyAndHelp) {
    TSalvaRicerca d(nullptr);
    for (QLineEdit* e : {d.Ok1, d.Ok2, d.Ok3}) EXPECT_EQ(e->text(), "");
    d.Help2Click();
    EXPECT_EQ(CoreState.CommandCode, 83);

    TApriRicerca r(nullptr);
    r.Help2Click();
    EXPECT_EQ(CoreState.CommandCode, 20);

    shown.clear();
    OpenSaveSearch(nullptr);
    OpenRecallSearch(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"TSalvaRicerca", "TApriRicerca"}));
}

TEST_F(SavedSearchDialogTest, SearchIsSavedUnderTheChosenNameWithItsExtension) {
    SelectWomen();
    const auto women = SelectedCards();
    ASSERT_FALSE(women.empty());
    TSalvaRicerca d(nullptr);

    answer.clear();
    d.RicercaClick();
    EXPECT_EQ(d.Ok1->text(), "???");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogKind::Save);
    EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
    EXPECT_EQ(requests[0].fileName, "*.sta");

    // x, x.sta and x.dat all name x.sta; the program directory's own full stop stays.
    for (const char* name : {"donne", "donne.sta", "donne.dat"}) {
        RemoveFile(root / "donne.sta");
        answer = root / name;
        d.RicercaClick();
        EXPECT_EQ(d.Ok1->text(), "Ok");
        const std::string bytes = ReadBytes(root / "donne.sta");
        ASSERT_EQ(bytes.size(), size_t(kStatisticsFileSize + kStatisticsYearTailBytes)) << name;
        // The total of table 0 opens the file; the selection closes the parts before the tail.
        EXPECT_EQ(uint8_t(bytes[0]), women.size() % 256);
        EXPECT_EQ(bytes.substr(kStatisticsFileSize - kSelectionMaskBytes, kSelectionMaskBytes),
                  std::string(reinterpret_cast<const char*>(CardSelectionMask.data()), kSelectionMaskBytes));
    }
    EXPECT_FALSE(FileSize(root / "donne.dat"));

    // The OR, the AND and the recall all reach the saved search.
    FieldInCondition[kSex] = 0;
    SelectionFileName = root / "donne";
    NoProgress none;
    RunCollectiveSelection(kAndSavedSearch, none);
    EXPECT_EQ(SelectedCards(), women);

    ClearStatistics(2);
    answer = root / "donne.sta";
    TApriRicerca r(nullptr);
    r.RicercaClick();
    EXPECT_EQ(r.Ok1->text(), "Ok");
    EXPECT_EQ(requests.back().kind, FileDialogKind::Open);
    EXPECT_EQ(requests.back().directory, CoreState.ProgramDir);
    EXPECT_EQ(requests.back().fileName, "STA *.dat");
    EXPECT_EQ(SelectedCards(), women);
    EXPECT_EQ(StatisticsTables[0][kStatisticsCategoryBase], int32_t(women.size()));
}

TEST_F(SavedSearchDialogTest, ConditionsRoundTrip) {
    FieldInCondition[kSex] = 1;
    FieldConditionSense[kSex] = 0;
    CategoryWanted[size_t(FieldFirstCategory[kSex])] = 1;
    *TerritoryFlag(4) = *TerritoryFlag(5) = 1;
    DateConditionFrom[1] = 800101;
    NumericConditionHigh[2] = 40000;
    CoreState.StatisticsField = 10;

    TSalvaRicerca d(nullptr);
    answer = root / "cond.sta";  // conditions go to a ".con" file whatever the name
    d.CondizioniClick();
    EXPECT_EQ(d.Ok2->text(), "Ok");
    EXPECT_EQ(requests.back().fileName, "*.con");
    EXPECT_EQ(requests.back().directory, CoreState.ProgramDir);
    EXPECT_FALSE(FileSize(root / "cond.sta"));
    ASSERT_TRUE(FileSize(root / "cond.con"));

    ClearSearchCriteria();
    TApriRicerca r(nullptr);
    answer.clear();
    r.CondizioniClick();
    EXPECT_EQ(r.Ok2->text(), "???");
    EXPECT_EQ(FieldInCondition[kSex], 0);  // a cancelled recall changes nothing
    EXPECT_EQ(requests.back().fileName, "CON *.dat");

    answer = root / "cond.con";
    r.CondizioniClick();
    EXPECT_EQ(r.Ok2->text(), "Ok");
    EXPECT_EQ(FieldInCondition[kSex], 1);
    EXPECT_EQ(FieldConditionSense[kSex], 0);
    EXPECT_EQ(CategoryWanted[size_t(FieldFirstCategory[kSex])], 1);
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{4, 5}));
    EXPECT_EQ(DateConditionFrom[1], 800101);
    EXPECT_EQ(NumericConditionHigh[2], 40000);
    EXPECT_EQ(CoreState.StatisticsField, 10);

    // A file that is not there raises the error and leaves the conditions as they were.
    r.Ok2->clear();
    answer = root / "nessuna.con";
    EXPECT_THROW(r.CondizioniClick(), IoError);
    EXPECT_EQ(r.Ok2->text(), "");
    EXPECT_EQ(FieldInCondition[kSex], 1);
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{4, 5}));
}

TEST_F(SavedSearchDialogTest, TerritorialDistributionKeepsTheName) {
    StatisticsTables[1][1] = 7;
    StatisticsTables[1][8101] = -2;
    CoreState.DistributionTable = 1;
    TSalvaRicerca d(nullptr);
    answer = root / "y";
    d.TerritorioClick();
    EXPECT_EQ(d.Ok3->text(), "Ok");
    EXPECT_EQ(requests.back().directory, "");
    EXPECT_EQ(requests.back().fileName, "*.tdt");
    const std::string bytes = ReadBytes(root / "y");
    ASSERT_EQ(bytes.size(), 32404u);
    EXPECT_EQ(bytes.substr(0, 4), Hex("07 00 00 00"));
    EXPECT_EQ(bytes.substr(32400), Hex("FE FF FF FF"));

    // Cancelling leaves the edit as it was; a file that cannot be written raises the error
    // and leaves the edit as it was.
    answer.clear();
    d.TerritorioClick();
    EXPECT_EQ(d.Ok3->text(), "Ok");
    d.Ok1->setText("-");
    answer = root / "no/such/dir/x";
    EXPECT_THROW(d.RicercaClick(), IoError);
    EXPECT_EQ(d.Ok1->text(), "-");
}

TEST_F(SavedSearchDialogTest, TerritorialSelectionIsRead) {
    *TerritoryFlag(1) = 1;
    WriteBytes(root / "zona.tun", Hex("03 00 05 00 09 00 09 00 05 00 03 00"));
    TApriRicerca r(nullptr);
    answer = root / "zona.tun";
    CoreState.CurrentField = kSex;
    r.TerritorioClick();
    EXPECT_EQ(r.Ok3->text(), "Ok");
    EXPECT_EQ(requests.back().fileName, "*.tun");
    EXPECT_EQ(requests.back().directory, CoreState.ProgramDir);
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{3, 4, 5, 9}));
    // The recalled places take part in the search through the municipality field, never
    // through the field the cursor was on.
    EXPECT_EQ(FieldInCondition[kComune], 1);
    EXPECT_EQ(FieldInCondition[kSex], 0);

    // The territory condition is saved with the other conditions.
    SaveSearchCriteria(root / "t.con");
    ClearSearchCriteria();
    LoadSearchCriteria(root / "t.con");
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{3, 4, 5, 9}));

    r.Ok3->setText("-");
    WriteBytes(root / "rotto.tun", Hex("03 00 05"));
    answer = root / "rotto.tun";
    EXPECT_THROW(r.TerritorioClick(), IoError);
    EXPECT_EQ(r.Ok3->text(), "-");
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{3, 4, 5, 9}));

    answer = root / "manca.tun";
    EXPECT_THROW(r.TerritorioClick(), IoError);
    answer.clear();
    r.TerritorioClick();
    EXPECT_EQ(r.Ok3->text(), "???");
    EXPECT_EQ(SelectedCodes(), (std::vector<int>{3, 4, 5, 9}));
}

TEST_F(SavedSearchDialogTest, CancelledRecallKeepsTheSelection) {
    SelectWomen();
    const auto women = SelectedCards();
    TApriRicerca r(nullptr);
    answer.clear();
    r.RicercaClick();
    EXPECT_EQ(r.Ok1->text(), "???");
    EXPECT_EQ(SelectedCards(), women);

    // A saved search that is not there raises the error and keeps the selection.
    answer = root / "nessuna.sta";
    EXPECT_THROW(r.RicercaClick(), IoError);
    EXPECT_EQ(r.Ok1->text(), "???");
    EXPECT_EQ(SelectedCards(), women);
}

}  // namespace
}  // namespace qv
