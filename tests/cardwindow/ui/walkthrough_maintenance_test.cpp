// The archive-wide jobs as a person starts them from the menu and the tool buttons: export,
// import, range check, indicators, attribution, recoding and alphabetical reordering of a list.
// Each result is checked on the card files against values worked out from the files before.
#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>
#include <QToolButton>
#include <map>

#include "card_window_walkthrough.h"
#include "cardwindow/ui/tinputdati.h"
#include "cardwindow/ui/touttot.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/text_file.h"
#include "selection/ui/tlistacliccabile.h"
#include "support/sample_fields.h"

namespace qv::test {
namespace {

using namespace sample;

class WalkthroughMaintenance : public CardWindowWalkthrough {
  protected:
    static int16_t Word(int card, int field) { return StoredCardWord(card, FieldPositions[size_t(field)]); }
    void SetWord(int card, int field, int16_t v) {
        std::string num = ReadBytes(Archive("num-sch.dat"));
        const size_t at =
            (size_t(card) * size_t(CoreState.CardWordCount) + size_t(FieldPositions[size_t(field)]) - 1) * 2;
        PutI16(reinterpret_cast<uint8_t*>(num.data()) + at, v);
        WriteBytes(Archive("num-sch.dat"), num);
    }
    int Categories(int field) const {
        return FieldLastLabel[size_t(field)] - FieldFirstLabel[size_t(field)] + 1;
    }
    // "nuove.txt" imported through the form, tab-separated in field order, by `button`.
    void Import(const char* button) {
        Next("TInputDati", [this, button](QDialog& d) {
            auto& f = static_cast<TInputDati&>(d);
            f.tabulatore->click();
            Click(d, "Sequenza");
            f.NomeFile->setText(Qs(Archive("nuove.txt")));
            Click(d, button);
            Click(d, "Esci");
        });
        window->Input->trigger();
    }
    void RunJob() {
        Next("TEsegue", [](QDialog& d) { Click(d, "Esegui"); });
    }
};

TEST_F(WalkthroughMaintenance, ExportThenImportTwoCardsInTabs) {
    const int32_t cards = CoreState.LastCard + 1;
    Next("TOutTot", [](QDialog& d) {
        static_cast<TOutTot&>(d).tabulatori->setChecked(true);
        Click(d, "Esegui");
        Click(d, "Esci");
    });
    window->Output->trigger();
    EXPECT_EQ(CoreState.CardWindowMode, 2);
    const auto lines = TextReader::ReadLines(Archive("ascii.txt"));
    ASSERT_TRUE(lines);
    ASSERT_EQ(int(lines->size()), cards);
    EXPECT_EQ(lines->front().substr(0, lines->front().find('\t')), Name(0));
    EXPECT_FALSE(ReadBytes(Archive("rec-trac.txt")).empty());

    // Two cards typed in a text file, one a line, fields in their order, separated by tabs.
    WriteBytes(Archive("nuove.txt"),
               "Verdi Anna\t011 22\tfemmina\t3/4/1970\tTorino\t1\r\n"
               "Neri Piero\t\t1\t\tAsti\tvedovo\r\n");
    Import("AggiungeDati");
    ASSERT_EQ(CoreState.LastCard, cards + 1);
    EXPECT_EQ(Name(cards), "Verdi Anna");
    EXPECT_EQ(Name(cards + 1), "Neri Piero");
    EXPECT_EQ(Word(cards, kSex), 2);
    EXPECT_EQ(Word(cards + 1, kSex), 1);
    EXPECT_EQ(Word(cards, kMarital), 1);
    EXPECT_EQ(Word(cards + 1, kMarital), 5);
    EXPECT_GT(Word(cards, 5), 0);
    EXPECT_GT(Word(cards + 1, 5), 0);
    // The name of the data file is kept for the next time.
    EXPECT_EQ(TextReader::ReadLines(Archive("nin-sch.txt"))->front(), Archive("nuove.txt"));
    EXPECT_EQ(CoreState.CardWindowMode, 2);
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

// Commands that throw typed or stored work away ask first; "No", Esc and the close box (answer
// 0) leave everything as it was.
TEST_F(WalkthroughMaintenance, ReplacingCommandsAskFirst) {
    // The clickable list over a card typed on: 1 Salva, 2 Non salvare, 3 Torna alla scheda.
    WriteBytes(root / "lista.txt", "riga 1\r\nriga 2\r\n");
    WriteBytes(root / "dli-list.dat", std::string("\2\0\0\0\3\0\0\0", 8));
    const int16_t household = Word(2, kHousehold);
    for (const int answer : {0, 3, 2, 1}) {
        SCOPED_TRACE(answer);
        window->Inserimentomodifica1->trigger();
        CoreState.CurrentCard = 2;
        ReadCardText();
        ReadCardValues();
        MoveCursorTo(kHousehold);
        QTest::keyClicks(window->CardArea, "77");
        QTest::keyClick(window->CardArea, Qt::Key_Return);
        CoreState.ListReady = 1;
        window->Lista1->setEnabled(true);
        Next("TListaCliccabile", [](QDialog& d) {
            auto& list = static_cast<TListaCliccabile&>(d);
            list.Lista->setCurrentRow(1);
            list.ListaClick();
        });
        messageAnswer = answer;
        messages.clear();
        window->Lista1->trigger();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], LoadText(2303));
        const bool leaves = answer == 1 || answer == 2;
        EXPECT_EQ(CoreState.CurrentCard, leaves ? 3 : 2);
        if (!leaves) {
            EXPECT_EQ(GetCardWord(kHousehold), 77);
        }
        EXPECT_EQ(Word(2, kHousehold), answer == 1 ? 77 : household);
    }

    // "Crea Maschera" over a working mask, then the import "Crea" naming the cards it replaces.
    const int32_t cards = CoreState.LastCard + 1;
    const std::string alf = ReadBytes(Archive("alf-sch.dat"));
    WriteBytes(Archive("mas-dat.txt"), "#1*\r\n");
    WriteBytes(Archive("nuove.txt"), "Verdi Anna\r\n");
    for (const int answer : {0, 1}) {
        SCOPED_TRACE(answer);
        messageAnswer = answer;
        messages.clear();
        window->Listaleschedeselezionate1->trigger();
        Next("TSelezionaMaschera", [](QDialog& d) {
            Click(d, "Button1");
            Click(d, "Esci");
        });
        window->b2->click();
        EXPECT_EQ(messages, std::vector<std::string>{LoadText(2307)});
        EXPECT_EQ(ReadBytes(Archive("mas-dat.txt")) == "#1*\r\n", answer == 0);

        messages.clear();
        Import("Crea");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(" " + std::to_string(cards) + " "), std::string::npos) << messages[0];
        EXPECT_EQ(CoreState.LastCard, answer == 0 ? cards - 1 : 0);
        if (answer == 0) {
            EXPECT_EQ(ReadBytes(Archive("alf-sch.dat")), alf);
        }
    }
    EXPECT_EQ(Name(0), "Verdi Anna");
}

TEST_F(WalkthroughMaintenance, RangeCheckIndicatorsAndAttribution) {
    // A card with a sex code the list does not have: reported and emptied.
    SetWord(4, kSex, 5);
    Next("TRange", [](QDialog& d) {
        Click(d, "Esegue");
        Click(d, "Esci");
    });
    RunJob();
    window->Range->trigger();
    EXPECT_EQ(Word(4, kSex), 0);
    EXPECT_NE(ReadBytes(root / "tabella.txt").find("rec.      5, pos.     3, val. 5"), std::string::npos);

    // An indicator: the household count doubled on every card.
    std::map<int, int16_t> before;
    for (int c = 0; c <= CoreState.LastCard; ++c) before[c] = Word(c, kHousehold);
    WriteBytes(Archive("indicato.txt"), "9 = 9 + 9\r\n");
    Next("Tindicatori", [](QDialog& d) {
        Click(d, "Aggiorna");
        Click(d, "Esci");
    });
    RunJob();
    window->Indicatori->trigger();
    for (int c = 0; c <= CoreState.LastCard; ++c)
        if (before[c] >= 0) {
            ASSERT_EQ(Word(c, kHousehold), 2 * before[c]) << c;
        }

    // Attribution: the household typed on the card written into the selected cards only.
    CardSelectionMask.fill(0);
    CardSelectionMask[0] = 0xE0;  // cards 0, 1, 2
    window->AttribuzioneAutomatica->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 3);
    MoveCursorTo(kHousehold);
    // Typed and attributed at once, without Enter.
    QTest::keyClicks(window->CardArea, "7");
    RunJob();
    window->b3->click();
    for (int c = 0; c < 3; ++c) EXPECT_EQ(Word(c, kHousehold), 7);
    EXPECT_EQ(Word(3, kHousehold), before[3] >= 0 ? 2 * before[3] : Word(3, kHousehold));
    EXPECT_EQ(CoreState.CardWindowMode, 3);
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

TEST_F(WalkthroughMaintenance, RecodingAndAlphabeticalOrderOfAList) {
    std::map<int, std::string> civil, study, spouse;
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        civil[c] = Word(c, kMarital) > 0 ? Label(kMarital, Word(c, kMarital)) : "";
        study[c] = Word(c, kStudy) > 0 ? Label(kStudy, Word(c, kStudy)) : "";
        spouse[c] = Word(c, kSpouseStudy) > 0 ? Label(kSpouseStudy, Word(c, kSpouseStudy)) : "";
    }
    ASSERT_EQ(Categories(kMarital), 5);
    // Mode 16, b5 on the civil state: "divorziato/a" (4) merged into "separato/a" (3).
    window->RiordinaListe->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 16);
    MoveCursorTo(kMarital);
    Next("TRicodifica", [&](QDialog& d) {
        Click(d, "Crea");
        std::string text = ReadBytes(Archive("ricod.txt"));
        const std::string line = "    4    4 = ";
        const size_t at = text.find(line);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, line.size(), "    4    3 = ");
        WriteBytes(Archive("ricod.txt"), text);
        Click(d, "Esegue");
    });
    window->b5->click();
    ASSERT_EQ(Categories(kMarital), 4);
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        const std::string want = civil[c] == "divorziato/a" ? "separato/a" : civil[c];
        ASSERT_EQ(Word(c, kMarital) > 0 ? Label(kMarital, Word(c, kMarital)) : "", want) << c;
    }

    // The study list marked with Enter and put in alphabetical order (b4): every card keeps
    // its answer, the labels are in order, the spouse's study (same list) follows.
    MoveCursorTo(kStudy);
    QTest::keyClick(window->CardArea, Qt::Key_Return);
    EXPECT_TRUE(FieldAttributes[kStudy] & 64);
    RunJob();
    window->b4->click();
    for (int k = 2; k <= Categories(kStudy); ++k) EXPECT_LT(Label(kStudy, k - 1), Label(kStudy, k));
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        ASSERT_EQ(Word(c, kStudy) > 0 ? Label(kStudy, Word(c, kStudy)) : "", study[c]) << c;
        ASSERT_EQ(Word(c, kSpouseStudy) > 0 ? Label(kSpouseStudy, Word(c, kSpouseStudy)) : "", spouse[c])
            << c;
    }
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
