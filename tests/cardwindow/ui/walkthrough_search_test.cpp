// The search by example as a person runs it: a mask typed on the card, search, continue, the
// options form, the search as a list with its clickable list.
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QToolButton>

#include "card_window_walkthrough.h"
#include "cardwindow/ui/category_pickers.h"
#include "core/text_tables.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tlistacliccabile.h"
#include "selection/ui/tricercaschede.h"
#include "support/sample_fields.h"

namespace qv::test {
namespace {

class WalkthroughSearch : public CardWindowWalkthrough {
  protected:
    // Cards whose name (field 1, the first 40 text bytes) begins with the prefix, letters
    // folded, read straight from the text file.
    std::vector<int> CardsNamed(const std::string& prefix) const {
        const std::string alf = ReadBytes(Archive("alf-sch.dat"));
        const size_t bytes = size_t(CoreState.CardTextBytes);
        std::vector<int> cards;
        for (size_t c = 0; (c + 1) * bytes <= alf.size(); ++c) {
            bool match = true;
            for (size_t i = 0; i < prefix.size() && match; ++i)
                match = std::tolower(static_cast<unsigned char>(alf[c * bytes + i])) == prefix[i];
            if (match) cards.push_back(int(c));
        }
        return cards;
    }
    std::string NameOnCard() const {
        std::string name(reinterpret_cast<const char*>(&CurrentCardText[1]), 40);
        return name.substr(0, name.find('\0'));
    }
    std::string StatusLine() const { return Cp(window->EntryStatus->text()); }
    void TypeOnCard(const char* text) {
        QTest::keyClicks(window->CardArea, text);
        QTest::keyClick(window->CardArea, Qt::Key_Return);
    }
};

TEST_F(WalkthroughSearch, TypedMaskFoundOneByOneThenAsAClickableList) {
    const std::vector<int> expected = CardsNamed("ros");
    ASSERT_GE(expected.size(), 2u);

    window->Ricercadischede1->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 2);
    ASSERT_EQ(CoreState.CurrentField, 1);
    TypeOnCard("ros");
    window->b3->click();
    std::vector<int> found;
    while (CoreState.SearchEnded == 0) {
        found.push_back(CoreState.CurrentCard);
        EXPECT_EQ(std::tolower(static_cast<unsigned char>(NameOnCard()[0])), 'r');
        ASSERT_TRUE(window->b4->isEnabled());
        window->b4->click();
        ASSERT_LE(found.size(), expected.size());
    }
    EXPECT_EQ(found, expected);
    // Nothing more: the mask is back on the card, the status line says so and "Continua" waits
    // for the next search.
    EXPECT_EQ(NameOnCard(), "ros");
    EXPECT_EQ(StatusLine(), LoadText(2302));
    EXPECT_FALSE(window->b4->isEnabled());

    // As a list, through the options form; the list shows one line a found card.
    WriteBytes(Archive("mas-dat.txt"), "#0,4* #1*\r\n");
    Next("TRicercaSchede", [](QDialog& d) {
        static_cast<TRicercaSchede&>(d).comelista->click();
        Click(d, "Esci");
    });
    window->b2->click();
    EXPECT_EQ(CoreState.SearchAsList, 1);
    int rows = 0;
    Next("TEsegueLista", [](QDialog& d) { Click(d, "ListaTXT"); });
    Next("TListaCliccabile", [&](QDialog& d) {
        auto& list = static_cast<TListaCliccabile&>(d);
        rows = list.Lista->count();
        list.Lista->setCurrentRow(1);
        list.ListaClick();
    });
    window->b3->click();
    EXPECT_EQ(rows, int(expected.size()));
    EXPECT_TRUE(window->Lista1->isEnabled());
    // The row clicked is the second card found, shown in mode 1.
    EXPECT_EQ(CoreState.CardWindowMode, 1);
    EXPECT_EQ(CoreState.CurrentCard, expected[1]);
    EXPECT_EQ(std::tolower(static_cast<unsigned char>(NameOnCard()[0])), 'r');
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

TEST_F(WalkthroughSearch, ASearchThatFindsNothingSaysSo) {
    for (const int asList : {0, 1}) {
        SCOPED_TRACE(asList);
        CoreState.SearchAsList = uint8_t(asList);
        window->Ricercadischede1->trigger();
        TypeOnCard("zzqq");
        window->b3->click();
        EXPECT_EQ(CoreState.SearchEnded, 1);
        EXPECT_EQ(NameOnCard(), "zzqq");
        EXPECT_EQ(StatusLine(), LoadText(2301));
        EXPECT_FALSE(window->b4->isEnabled());
    }
}

TEST_F(WalkthroughSearch, TextTypedWithoutEnterIsPartOfTheMask) {
    // The person types the start of a name and clicks "Cerca" straight away: what stands in
    // the field is what is searched, as when Enter had been pressed.
    const std::vector<int> expected = CardsNamed("ros");
    ASSERT_FALSE(expected.empty());
    ASSERT_NE(expected.front(), 0);
    window->Ricercadischede1->trigger();
    QTest::keyClicks(window->CardArea, "ros");
    window->b3->click();
    EXPECT_EQ(CoreState.SearchEnded, 0);
    EXPECT_EQ(CoreState.CurrentCard, expected.front());
    window->b4->click();
    EXPECT_EQ(CoreState.CurrentCard, expected.size() > 1 ? expected[1] : expected.front());
}

TEST_F(WalkthroughSearch, MunicipalityTypedByNameInTheMask) {
    // "mondo" begins Mondovì and Mondolfo: the choice opens, Mondovì (609) is taken, and the
    // search finds the cards of Mondovì.
    using namespace sample;
    std::vector<int> expected;
    for (int c = 0; c <= CoreState.LastCard; ++c)
        if (StoredCardWord(c, FieldPositions[kComune]) == 609) expected.push_back(c);
    ASSERT_FALSE(expected.empty());
    window->Ricercadischede1->trigger();
    while (CoreState.CurrentField < kComune) QTest::keyClick(window->CardArea, Qt::Key_Down);
    Next("TSceltaComune", [](QDialog& d) {
        static_cast<TSceltaComune&>(d).Comuni->setCurrentRow(0);
        Click(d, "Conferma");
    });
    TypeOnCard("mondo");
    std::vector<int> found;
    window->b3->click();
    while (CoreState.SearchEnded == 0 && found.size() <= expected.size()) {
        found.push_back(CoreState.CurrentCard);
        window->b4->click();
    }
    EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace qv::test
