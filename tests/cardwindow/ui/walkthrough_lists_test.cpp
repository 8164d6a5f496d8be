// Selection and lists as a person runs them: the collective selection of mode 12 with a
// condition set through the field's form, the list mode with the mask made from the card
// definition, the order field marked by key, the order index, the alphabetical list, labels and
// the alphabetical search that reads the index.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>

#include "card_window_walkthrough.h"
#include "core/selection_files.h"
#include "platform/bytes.h"
#include "selection/ui/condition_dialogs.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tricercaschede.h"
#include "support/sample_fields.h"

namespace qv::test {
namespace {

using namespace sample;

class WalkthroughLists : public CardWindowWalkthrough {
  protected:
    static std::vector<int32_t> Records(const std::string& bytes) {
        std::vector<int32_t> r;
        for (size_t at = 0; at + 4 <= bytes.size(); at += 4)
            r.push_back(GetI32(reinterpret_cast<const uint8_t*>(bytes.data()) + at));
        return r;
    }
};

TEST_F(WalkthroughLists, SelectionByConditionThenOrderedListLabelsAndAlphabeticalSearch) {
    // Mode 12: the sex field's condition form (double click), only "femmina"; select.
    window->Selezionedelleschede1->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 12);
    MoveCursorTo(kSex);
    Next("TRicModalita", [](QDialog& d) {
        auto& f = static_cast<TRicModalita&>(d);
        ASSERT_EQ(f.Modalita->count(), 2);
        QTest::mouseClick(f.Modalita->viewport(), Qt::LeftButton, {},
                          f.Modalita->visualItemRect(f.Modalita->item(1)).center());
        ASSERT_TRUE(f.Modalita->item(1)->isSelected());
        ASSERT_FALSE(f.Modalita->item(0)->isSelected());
        Click(d, "Esci");
    });
    QTest::keyClick(window->CardArea, Qt::Key_C);
    EXPECT_EQ(FieldInCondition[kSex], 1);
    Next("TEsegueCollettiva", [](QDialog& d) { Click(d, "PrimaRicerca"); });
    window->b3->click();
    std::vector<int> women;
    for (int c = 0; c <= CoreState.LastCard; ++c)
        if (StoredCardWord(c, FieldPositions[kSex]) == 2) women.push_back(c);
    int selected = 0;
    for (int c = 0; c <= CoreState.LastCard; ++c) selected += IsCardSelected(c) ? 1 : 0;
    ASSERT_EQ(selected, int(women.size()));

    // Mode 14: the mask from the card definition, the name as order field (key "O").
    window->Listaleschedeselezionate1->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 14);
    Next("TSelezionaMaschera", [](QDialog& d) {
        Click(d, "Button1");
        Click(d, "Esci");
    });
    window->b2->click();
    const std::string mask = ReadBytes(Archive("mas-dat.txt"));
    ASSERT_NE(mask.find("#1*"), std::string::npos);
    const int maskLines = int(std::count(mask.begin(), mask.end(), '\r'));
    MoveCursorTo(kName);
    QTest::keyClick(window->CardArea, Qt::Key_O);
    EXPECT_EQ(CoreState.ListOrderField, kName);
    Next("TOrdinamento", [](QDialog& d) {
        Click(d, "EsegueAlfa");
        Click(d, "Esci");
    });
    window->b5->click();
    const std::vector<int32_t> index = Records(ReadBytes(Archive("ALFA.001")));
    ASSERT_EQ(int(index.size()), CoreState.LastCard + 1);
    for (size_t i = 1; i < index.size(); ++i)
        EXPECT_LE(Name(index[i - 1]).substr(0, 30), Name(index[i]).substr(0, 30)) << i;

    // The alphabetical list: the women in the order of the index, one row a mask line.
    Next("TEsegueLista", [](QDialog& d) {
        Click(d, "Alfabetico");
        Click(d, "ListaTXT");
    });
    int listed = -1;
    Next("TListaCliccabile", [&](QDialog& d) {
        listed = d.findChild<QListWidget*>()->count();
        d.reject();
    });
    window->b3->click();
    std::vector<int32_t> expectedRows;
    for (int32_t card : index)
        if (std::find(women.begin(), women.end(), card) != women.end())
            for (int k = 0; k < maskLines; ++k) expectedRows.push_back(card);
    EXPECT_EQ(Records(ReadBytes(root / "dli-list.dat")), expectedRows);
    EXPECT_GE(listed, int(expectedRows.size()));
    EXPECT_TRUE(window->Lista1->isEnabled());

    // Labels of the list: three side by side.
    Next("TEtichette", [](QDialog& d) {
        Type(d, "nCol", "3");
        Type(d, "nCar", "30");
        Click(d, "Crea");
        Click(d, "Esci");
    });
    window->b8->click();
    const std::string labels = ReadBytes(root / "Etichett.TXT");
    // Cells are cut to the width: "Cognome e nome " and the start of the name.
    EXPECT_NE(labels.find("Cognome e nome " + Name(expectedRows.front()).substr(0, 10)), std::string::npos);

    // The alphabetical search finds the first card of the index with the typed prefix.
    const auto first =
        std::find_if(index.begin(), index.end(), [&](int32_t c) { return Name(c).rfind("Rossi", 0) == 0; });
    ASSERT_NE(first, index.end());
    window->Ricercadischede1->trigger();
    Next("TRicercaSchede", [](QDialog& d) {
        static_cast<TRicercaSchede&>(d).Alfabetica->click();
        static_cast<TRicercaSchede&>(d).singole->click();
        Click(d, "Esci");
    });
    window->b2->click();
    ASSERT_EQ(CoreState.SearchKind, 2);
    Next("TCancella", [](QDialog& d) { Click(d, "Tutti"); });
    window->b6->click();
    MoveCursorTo(kName);
    QTest::keyClicks(window->CardArea, "Rossi");
    QTest::keyClick(window->CardArea, Qt::Key_Return);
    window->b3->click();
    EXPECT_EQ(CoreState.SearchEnded, 0);
    EXPECT_EQ(CoreState.CurrentCard, *first);
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

TEST_F(WalkthroughLists, ListOutcomesAreReadWhole) {
    // Without an order field the alphabetical list says so; every outcome fits its box.
    WriteBytes(Archive("mas-dat.txt"), "#1*\r\n");
    window->Listaleschedeselezionate1->trigger();
    CoreState.ListOrderField = 0;
    std::vector<std::string> cut;
    Next("TEsegueLista", [&](QDialog& d) {
        auto& f = static_cast<TEsegueLista&>(d);
        for (QPushButton* run : {f.Alfabetico, f.Sequenziale}) {
            run->click();
            ASSERT_FALSE(f.Status->text().isEmpty());
            if (f.Status->contentsRect().width() <=
                f.Status->fontMetrics().horizontalAdvance(f.Status->text()))
                cut.push_back(f.Status->text().toStdString());
        }
        Click(d, "Esci");
    });
    window->b3->click();
    EXPECT_EQ(cut, std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
