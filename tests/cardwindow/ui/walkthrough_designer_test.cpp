// The designer as a person uses it: a new working folder, the sample's card definition with one
// more field typed into the editor, saved and compiled into a new archive that becomes the
// current one; a card entered there; then the archive list brings the sample back.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>

#include "card_window_walkthrough.h"
#include "core/text_tables.h"
#include "core/ui/tarchivio.h"
#include "core/ui/tedits2.h"
#include "platform/bytes.h"

namespace qv::test {
namespace {

class WalkthroughDesigner : public CardWindowWalkthrough {};

TEST_F(WalkthroughDesigner, CompileAChangedSampleIntoANewFolderAndComeBack) {
    const std::string folder = root.Root() + "indagine2/";
    const int sampleFields = CoreState.FieldCount;
    std::string source = ReadBytes(Archive("scheda.txt"));
    source += "*T\r\nNumero di figli\r\n*C Q X300 Z360\r\n";
    std::string created, compiled;
    Next("TEditS2", [&](QDialog& d) {
        auto& f = static_cast<TEditS2&>(d);
        f.nome->setText(Qs(folder));
        Click(d, "CreaDir");
        f.PageControl1->setCurrentWidget(f.TabSheet2);
        // The new folder's definition holds its title line; the person replaces it all.
        EXPECT_EQ(f.Testo->toPlainText().toStdString().substr(0, folder.size()), folder);
        f.Testo->setPlainText(Qs(source));
        Click(d, "Salva");
        f.PageControl1->setCurrentWidget(f.TabSheet3);
        Click(d, "Crea1");
        created = Cp(f.Status1->text());
        Click(d, "Esci");
    });
    window->Edit->trigger();
    EXPECT_EQ(created, LoadText(450));
    ASSERT_EQ(CoreState.ArchiveDir, folder);
    ASSERT_EQ(CoreState.FieldCount, sampleFields + 1);
    EXPECT_EQ(CoreState.LastCard, -1);
    EXPECT_EQ(CoreState.CardWindowMode, 2);

    // A card of the new archive, with the new field on page 2.
    window->Inserimentomodifica1->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 1);
    QTest::keyClicks(window->CardArea, "Bruni Ada");
    QTest::keyClick(window->CardArea, Qt::Key_Return);
    const int added = sampleFields + 1;
    CoreState.CurrentField = int16_t(added);
    CoreState.CurrentPage = LayoutPage[size_t(added)];
    CoreState.CommandCode = 1;
    window->VisualizzaClick();
    QTest::keyClicks(window->CardArea, "3");
    QTest::keyClick(window->CardArea, Qt::Key_Return);
    QTest::keyClick(window->CardArea, Qt::Key_F2);
    EXPECT_EQ(CoreState.LastCard, 0);
    const std::string num = ReadBytes(folder + "num-sch.dat");
    const size_t word = size_t(FieldPositions[size_t(added)]);
    ASSERT_GE(num.size(), word * 2);
    EXPECT_EQ(GetI16(reinterpret_cast<const uint8_t*>(num.data()) + (word - 1) * 2), 3);
    EXPECT_EQ(ReadBytes(folder + "alf-sch.dat").substr(0, 9), "Bruni Ada");

    // Back to the sample through the archive list.
    Next("TArchivio", [](QDialog& d) {
        auto& f = static_cast<TArchivio&>(d);
        ASSERT_GE(f.Archivi->count(), 1);
        const QPoint at = f.Archivi->visualItemRect(f.Archivi->item(0)).center();
        QTest::mouseClick(f.Archivi->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(f.Archivi->viewport(), Qt::LeftButton, {}, at);
    });
    window->Archivio1->trigger();
    EXPECT_EQ(CoreState.ArchiveDir, root.ProgramDir() + "Pianalto/");
    EXPECT_EQ(CoreState.FieldCount, sampleFields);
    EXPECT_EQ(CoreState.CurrentCard, CoreState.LastCard + 1);
    EXPECT_FALSE(CardHasData());
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
