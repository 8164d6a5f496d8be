#include "selection/ui/teseguecollettiva.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include "app/startup.h"
#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "platform/ui/dialogs.h"
#include "selection/collective_selection.h"
#include "selection/ui/form_fixtures.h"
#include "support/program_dir.h"
#include "support/sample_fields.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;

class CollectiveDialogTest : public SearchDialogTest {
  protected:
    CollectiveDialogTest() : SearchDialogTest(1999) {}  // the program's own messages too
    static void WantSex(int code) {
        ClearSearchCriteria();
        FieldInCondition[kSex] = 1;
        CategoryWanted[size_t(FieldFirstCategory[kSex] + code - 1)] = 1;
    }
    // The cards with `code` in the sex field, read one by one through the card store.
    static int CardsWithSex(int code) {
        int count = 0;
        const int32_t keep = CoreState.CurrentCard;
        for (int32_t n = 0; n <= CoreState.LastCard; ++n) {
            CoreState.CurrentCard = n;
            ReadCardValues();
            count += GetCardWord(kSex) == code;
        }
        CoreState.CurrentCard = keep;
        return count;
    }
    static int SelectedCount() {
        int count = 0;
        for (int32_t n = 0; n < 524008; ++n) count += IsCardSelected(n);
        return count;
    }
};

TEST_F(CollectiveDialogTest, ButtonsAndHelp) {
    TEsegueCollettiva d(nullptr);
    EXPECT_FALSE(d.Esegue->isVisibleTo(&d));
    EXPECT_TRUE(d.PrimaRicerca->isEnabled());
    d.Help2Click();
    EXPECT_EQ(CoreState.CommandCode, 48);

    CoreState.LastCard = 0;
    TEsegueCollettiva single(nullptr);
    for (QPushButton* b : {single.PrimaRicerca, single.Aggiunge, single.Legge, single.Geolar})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    forms.clear();
    OpenCollectiveSelection(nullptr);
    EXPECT_EQ(forms, std::vector<std::string>{"TEsegueCollettiva"});
}

TEST_F(CollectiveDialogTest, RunsOnTheSampleArchive) {
    const int women = CardsWithSex(2);
    ASSERT_GT(women, 0);
    WantSex(2);
    CoreState.CurrentCard = 7;
    {
        TEsegueCollettiva d(nullptr);
        d.PrimaRicercaClick();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(CoreState.CurrentCard, 7);
        EXPECT_EQ(SelectedCount(), women);
        EXPECT_EQ(StatisticsTables[0][8151], women);
    }
    SaveStatistics(root / "donne.sta");

    // Cancelling the file choice changes nothing.
    WantSex(1);
    CoreState.CommandCode = 0;
    {
        TEsegueCollettiva d(nullptr);
        d.AggiungeClick();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(CoreState.CommandCode, 0);
        EXPECT_EQ(SelectedCount(), CardsWithSex(2));
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
        EXPECT_EQ(requests[0].fileName, "STA *.dat");
    }
    answer = root / "donne.sta";
    {
        TEsegueCollettiva d(nullptr);
        d.LeggeClick();  // women AND men
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(SelectionFileName, root / "donne");
        EXPECT_EQ(SelectedCount(), 0);
    }
    {
        TEsegueCollettiva d(nullptr);
        d.AggiungeClick();  // women OR men: every card of the sample has its sex
        EXPECT_EQ(CoreState.CommandCode, kOrSavedSearch);
        EXPECT_EQ(SelectedCount(), CoreState.LastCard + 1);
    }
    // The territorial program's file: 420 cards fill 52 bytes and half of the 53rd.
    ASSERT_EQ(CoreState.LastCard, 419);
    WriteBytes(root / "att1.dat", std::string(53, '\xFF'));
    answer = root / "att1.dat";
    TEsegueCollettiva d(nullptr);
    d.GeolarClick();
    EXPECT_EQ(requests.back().fileName, "ATT *.dat");
    EXPECT_EQ(SelectionFileName, answer);
    EXPECT_EQ(CoreState.CommandCode, kSiblingSelection);
    EXPECT_EQ(SelectedCount(), 420);
}

TEST_F(CollectiveDialogTest, AfterARebuildTheChosenTerritoriesRejectNoCard) {
    messageAnswer = 0;
    const int women = CardsWithSex(2);
    BuildArchiveDefinition();  // every territory chosen, no condition
    ASSERT_EQ(*TerritoryFlag(1), 1);
    FieldInCondition[kSex] = 1;
    CategoryWanted[size_t(FieldFirstCategory[kSex] + 1)] = 1;
    TEsegueCollettiva d(nullptr);
    d.PrimaRicercaClick();
    EXPECT_EQ(SelectedCount(), women);
    // The user is told the territory choice played no part.
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], LoadText(1644));
}

}  // namespace
}  // namespace qv
