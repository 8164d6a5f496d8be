// The selection mode as a person runs it: a period and an interval set through the fields'
// forms, the class width, a saved search joined (AND) with a new condition and recalled.
#include <QListWidget>
#include <QToolButton>

#include "card_window_walkthrough.h"
#include "core/selection_files.h"
#include "platform/bytes.h"
#include "selection/ui/condition_dialogs.h"
#include "support/card_selection.h"
#include "support/sample_fields.h"

namespace qv::test {
namespace {

using namespace sample;

class WalkthroughSelection : public CardWindowWalkthrough {
  protected:
    void DoubleClickField(int field) {
        const QPoint at = FieldPoint(field);
        QTest::mouseClick(window->CardArea, Qt::LeftButton, {}, at);
        QTest::mouseDClick(window->CardArea, Qt::LeftButton, {}, at);
    }
};

TEST_F(WalkthroughSelection, PeriodIntervalSavedSearchAndJoin) {
    window->Selezionedelleschede1->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 12);
    // Born in the fifties, households of three or more: by double click on each field.
    Next("TRicData", [](QDialog& d) {
        Type(d, "data1", "1/1/1950");
        Type(d, "data2", "31/12/1959");
        Click(d, "Esci");
    });
    DoubleClickField(kBirth);
    Next("TRicQuantita", [](QDialog& d) {
        Type(d, "q1", "3");
        Click(d, "Esci");
    });
    DoubleClickField(kHousehold);
    EXPECT_EQ(FieldInCondition[kBirth], 1);
    EXPECT_EQ(FieldInCondition[kHousehold], 1);
    Next("TEsegueCollettiva", [](QDialog& d) { Click(d, "PrimaRicerca"); });
    window->b3->click();
    std::vector<int> fifties;
    const int birth = FieldPositions[kBirth];
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        const int year = StoredCardWord(c, birth + 2);
        if (year >= 50 && year <= 59 && StoredCardWord(c, FieldPositions[kHousehold]) >= 3)
            fifties.push_back(c);
    }
    ASSERT_FALSE(fifties.empty());
    EXPECT_EQ(SelectedCards(), fifties);

    // The class width shown on b7 goes up and down with b8 and b6.
    const int width = CoreState.ClassWidth;
    window->b8->click();
    window->b8->click();
    window->b6->click();
    EXPECT_EQ(CoreState.ClassWidth, width + 1);
    EXPECT_EQ(window->b7->text().toStdString(), std::to_string(width + 1));

    // Saved under a name of the person's own.
    fileAnswers.push_back(root.ProgramDir() + "anni50");
    Next("TSalvaRicerca", [](QDialog& d) {
        Click(d, "Ricerca");
        Click(d, "Esci");
    });
    window->b4->click();
    ASSERT_FALSE(ReadBytes(root / "anni50.sta").empty());

    // Conditions cleared; men only, joined (AND) with the saved search picked in the dialog.
    Next("TAzzeraRicerca", [](QDialog& d) {
        Click(d, "Condizioni");
        Click(d, "Esci");
    });
    window->b2->click();
    EXPECT_EQ(FieldInCondition[kBirth], 0);
    Next("TRicModalita", [](QDialog& d) {
        auto& f = static_cast<TRicModalita&>(d);
        QTest::mouseClick(f.Modalita->viewport(), Qt::LeftButton, {},
                          f.Modalita->visualItemRect(f.Modalita->item(0)).center());
        Click(d, "Esci");
    });
    DoubleClickField(kSex);
    fileAnswers.push_back(root.ProgramDir() + "anni50.sta");
    Next("TEsegueCollettiva", [](QDialog& d) { Click(d, "Legge"); });
    window->b3->click();
    std::vector<int> men;
    for (int c : fifties)
        if (StoredCardWord(c, FieldPositions[kSex]) == 1) men.push_back(c);
    ASSERT_FALSE(men.empty());
    EXPECT_EQ(SelectedCards(), men);

    // The saved search recalled as it was.
    fileAnswers.push_back(root.ProgramDir() + "anni50.sta");
    Next("TApriRicerca", [](QDialog& d) {
        Click(d, "Ricerca");
        Click(d, "Esci");
    });
    window->b5->click();
    EXPECT_EQ(SelectedCards(), fifties);
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
