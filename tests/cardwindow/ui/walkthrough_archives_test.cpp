// Another archive opened by picking its descriptor, a territory condition set in the
// municipality picker of the selection mode, and the two ways out: Esc with its question
// (stay, then leave) storing the card typed last.
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

#include "card_window_walkthrough.h"
#include "cardwindow/ui/tescimorvidex.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "core/ui/thelp.h"
#include "platform/bytes.h"
#include "support/sample_fields.h"
#include "territory/ui/tunita.h"

namespace qv::test {
namespace {

using namespace sample;

class WalkthroughArchives : public CardWindowWalkthrough {};

// Read-only belongs to the archive that is open: a damaged one says so and keeps its notes as
// they are; a sound one chosen next is written with the password typed at start.
TEST_F(WalkthroughArchives, ReadOnlyIsTheArchivesNotThePasswords) {
    const std::string damaged = root.Root() + "Danneggiato/";
    CopyTree(Archive(""), damaged);
    WriteBytes(damaged + "dli-sch.dat", std::string("\xFB\xFF\xFF\xFF", 4));  // -5
    for (const std::string& dir : {damaged, Archive("")}) {
        const bool readOnly = dir == damaged;
        SCOPED_TRACE(dir);
        fileAnswers.push_back(dir + "morvidex.dat");
        window->ApriArchivio->trigger();
        ASSERT_EQ(CoreState.ArchiveDir, dir);
        EXPECT_EQ(CoreState.WriteAccess, 1);
        EXPECT_EQ(Cp(window->b2->text()), LoadText(readOnly ? 120 : 119));

        // The notes of the new card: read-only there, and the viewer says why.
        const std::optional<std::string> notes = TryReadFile(dir + "not-sch.dat");
        bool editable = true, saveEnabled = true;
        std::string title;
        Next("THelp", [&](QDialog& d) {
            auto& v = static_cast<THelp&>(d);
            editable = !v.Testo->isReadOnly();
            saveEnabled = v.Salva1->isEnabled();
            title = Cp(v.windowTitle());
            v.Esci1->trigger();
        });
        window->b10->click();
        EXPECT_EQ(editable, !readOnly);
        EXPECT_EQ(saveEnabled, !readOnly);
        EXPECT_EQ(title.find(LoadText(2308)) != std::string::npos, readOnly) << title;
        EXPECT_EQ(TryReadFile(dir + "not-sch.dat"), notes);

        // A new card typed and F2: stored only in the sound archive.
        const int32_t last = CoreState.LastCard;
        CoreState.CurrentField = kName;
        CoreState.CommandCode = 1;
        window->VisualizzaClick();
        QTest::keyClicks(window->CardArea, "Nuova Scheda");
        QTest::keyClick(window->CardArea, Qt::Key_Return);
        QTest::keyClick(window->CardArea, Qt::Key_F2);
        EXPECT_EQ(CoreState.LastCard, readOnly ? last : last + 1);
    }
    EXPECT_EQ(Name(CoreState.LastCard), "Nuova Scheda");
}

TEST_F(WalkthroughArchives, OpenAnotherArchiveSelectByTerritoryAndLeave) {
    const std::string copy = root.Root() + "Copia Pianalto/";
    CopyTree(Archive(""), copy);
    fileAnswers.push_back(copy + "morvidex.dat");
    window->ApriArchivio->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].directory, root.ProgramDir() + "Pianalto/");
    ASSERT_EQ(CoreState.ArchiveDir, copy);
    EXPECT_EQ(CoreState.CurrentCard, CoreState.LastCard + 1);

    // Mode 12: "C" on the municipality field opens the picker, which keeps its marks; the
    // municipality of card 0 clicked on.
    CoreState.CurrentCard = 0;
    ReadCardValues();
    const int comune = GetCardWord(kComune);
    ASSERT_GT(comune, 0);
    CoreState.CurrentCard = CoreState.LastCard + 1;
    ReadCardValues();
    window->Selezionedelleschede1->trigger();
    CoreState.CurrentField = kComune;
    CoreState.CommandCode = 1;
    window->VisualizzaClick();
    Next("TUnita", [&](QDialog& d) {
        auto& f = static_cast<TUnita&>(d);
        // The municipality searched by name shows its province; a click marks it.
        int row = -1;
        for (int p = 0; p < f.Province->count() && row < 0; ++p) {
            f.Province->setCurrentRow(p);
            for (int r = 0; r < f.Comuni->count(); ++r)
                if (f.CodeOfItem(r) == comune) row = r;
        }
        ASSERT_GE(row, 0);
        QTest::mouseClick(f.Comuni->viewport(), Qt::LeftButton, {},
                          f.Comuni->visualItemRect(f.Comuni->item(row)).center());
        Click(d, "Esci");
    });
    QTest::keyClick(window->CardArea, Qt::Key_C);
    EXPECT_EQ(TerritorySelection[size_t(comune - 1)], 1);
    EXPECT_EQ(FieldInCondition[kComune], 1);
    Next("TEsegueCollettiva", [](QDialog& d) { Click(d, "PrimaRicerca"); });
    window->b3->click();
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        CoreState.CurrentCard = c;
        ReadCardValues();
        ASSERT_EQ(IsCardSelected(c), GetCardWord(kComune) == comune) << c;
    }

    // A new card typed, then Esc: "stay" keeps everything, "leave" closes the window. The card
    // was stored in the archive in use.
    window->Inserimentomodifica1->trigger();
    CoreState.CurrentCard = CoreState.LastCard + 1;
    ClearCardFields(1, CoreState.FieldCount);
    CoreState.CurrentField = kName;
    CoreState.CommandCode = 1;
    window->VisualizzaClick();
    const int32_t added = CoreState.LastCard + 1;
    QTest::keyClicks(window->CardArea, "Ultima Scheda");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Next("TEsciMorvidex", [](QDialog& d) { Click(d, "Si"); });
    QTest::keyClick(window->CardArea, Qt::Key_Escape);
    EXPECT_FALSE(window->Closed());
    EXPECT_EQ(CoreState.LastCard, added);
    EXPECT_EQ(CoreState.CardWindowMode, 1);
    Next("TEsciMorvidex", [](QDialog& d) { Click(d, "No"); });
    QTest::keyClick(window->CardArea, Qt::Key_Escape);
    EXPECT_TRUE(window->Closed());
    EXPECT_EQ(ReadBytes(copy + "alf-sch.dat").substr(size_t(added) * size_t(CoreState.CardTextBytes), 13),
              "Ultima Scheda");
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
