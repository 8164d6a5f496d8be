// The program on a root whose name has an accent, as the folders of its Italian users have: an
// archive designed into an accented folder, a card stored, a search saved and recalled and the
// export's file picked in the file dialogs, the archives switched through the list, a restart.
// Every file lands where its name says, the program's text files hold the folders in Windows-1252,
// and nothing is refused.
#include <QFileDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <filesystem>

#include "card_window_walkthrough.h"
#include "cardwindow/card_import.h"
#include "cardwindow/ui/tinputdati.h"
#include "core/text_tables.h"
#include "core/ui/tarchivio.h"
#include "core/ui/tedits2.h"
#include "platform/text_file.h"
#include "selection/ui/saved_search_dialogs.h"

namespace qv::test {
namespace {

class WalkthroughAccents : public CardWindowWalkthrough {
  protected:
    WalkthroughAccents() : CardWindowWalkthrough("Ricerca citt\xC3\xA0") {}

    // The next file dialog answered with `path`, typed into it as a person would.
    void Pick(const std::string& path) {
        Next("QFileDialog", [path](QDialog& d) {
            static_cast<QFileDialog&>(d).selectFile(QPath(path));
            d.accept();  // the dialog's own acceptance, which checks the name
        });
    }
    // Row `row` of the archive list chosen; the folder box shows the archive in use before.
    void ChooseListed(int row, QString& shown) {
        Next("TArchivio", [row, &shown](QDialog& d) {
            auto& f = static_cast<TArchivio&>(d);
            shown = f.indirizzo->text();
            ASSERT_GT(f.Archivi->count(), row);
            const QPoint at = f.Archivi->visualItemRect(f.Archivi->item(row)).center();
            QTest::mouseClick(f.Archivi->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(f.Archivi->viewport(), Qt::LeftButton, {}, at);
        });
        window->Archivio1->trigger();
    }
    // The first line of a text file as stored.
    static std::string FirstLine(const std::string& path) {
        const std::string bytes = ReadBytes(path);
        return bytes.substr(0, bytes.find('\r'));
    }
};

TEST_F(WalkthroughAccents, AnArchiveInAnAccentedFolderDesignedUsedAndFoundAgainAfterARestart) {
    SetFileDialogHook(nullptr);  // the file dialogs themselves are answered
    const std::string folder = root.Root() + "Attivit\xC3\xA0 2026/";
    const std::string stored = Utf8ToCp1252(folder);
    ASSERT_NE(stored, folder);

    // Designed and compiled into the accented folder, which joins the archive list. A folder
    // whose name Windows-1252 cannot hold is refused first: the program's files could not name it.
    const std::string foreign = root.Root() + "\xE5\x9F\x8E\xE5\xB8\x82/";
    const std::string editFolder = ReadBytes(root / "dir-edit.imp");
    QString saved;
    Next("TEditS2", [&](QDialog& d) {
        auto& f = static_cast<TEditS2&>(d);
        f.nome->setText(QPath(foreign));
        Click(d, "CreaDir");
        EXPECT_EQ(messages, std::vector<std::string>{LoadText(2200) + "\n" + Utf8ToCp1252(foreign)});
        EXPECT_FALSE(std::filesystem::exists(foreign));
        EXPECT_EQ(ReadBytes(root / "dir-edit.imp"), editFolder);
        messages.clear();
        f.nome->setText(QPath(folder));
        Click(d, "CreaDir");
        f.PageControl1->setCurrentWidget(f.TabSheet2);
        f.Testo->setPlainText(Qs(ReadBytes(Archive("scheda.txt"))));
        Click(d, "Salva");
        saved = f.Status_Scheda->text();
        f.PageControl1->setCurrentWidget(f.TabSheet3);
        Click(d, "Crea1");
        f.PageControl1->setCurrentWidget(f.TabSheet4);
        f.Kel_LST2->appendPlainText(QStringLiteral("Attivit\u00E0 2026 ") + QPath(folder));
        Click(d, "Salva_KEL");
        Click(d, "Esci");
    });
    window->Edit->trigger();
    ASSERT_EQ(CoreState.ArchiveDir, folder);
    EXPECT_TRUE(saved.contains(QPath(folder + "scheda.txt"))) << saved.toStdString();
    EXPECT_EQ(FirstLine(root / "dir-edit.imp"), stored);
    EXPECT_EQ(TextReader::ReadLines(folder + "morvidex.dat")->at(1), "Nome indirizzario: " + stored);

    // A card stored there.
    window->Inserimentomodifica1->trigger();
    QTest::keyClicks(window->CardArea, "Bruni Ada");
    QTest::keyClick(window->CardArea, Qt::Key_Return);
    QTest::keyClick(window->CardArea, Qt::Key_F2);
    ASSERT_EQ(CoreState.LastCard, 0);
    EXPECT_EQ(ReadBytes(folder + "alf-sch.dat").substr(0, 9), "Bruni Ada");

    // A search saved and recalled in the accented folder.
    window->Selezionedelleschede1->trigger();
    Pick(folder + "ricerca citt\xC3\xA0");
    Next("TSalvaRicerca", [](QDialog& d) {
        Click(d, "Ricerca");
        Click(d, "Esci");
    });
    window->b4->click();
    EXPECT_FALSE(ReadBytes(folder + "ricerca citt\xC3\xA0.sta").empty());
    QString recalled;
    Pick(folder + "ricerca citt\xC3\xA0.sta");
    Next("TApriRicerca", [&](QDialog& d) {
        Click(d, "Ricerca");
        recalled = static_cast<TApriRicerca&>(d).Ok1->text();
        Click(d, "Esci");
    });
    window->b5->click();
    EXPECT_EQ(recalled, QStringLiteral("Ok"));

    // Exported, and the export picked for the import: the box shows the path, the viewer's
    // title the root, and the name is kept in Windows-1252.
    Next("TOutTot", [](QDialog& d) {
        Click(d, "Esegui");
        Click(d, "Esci");
    });
    window->Output->trigger();
    EXPECT_EQ(ReadBytes(folder + "ascii.txt").substr(0, 9), "Bruni Ada");
    QString box, title;
    Pick(folder + "ascii.txt");
    Next("TInputDati", [&](QDialog& d) {
        Click(d, "Sfoglia");
        box = static_cast<TInputDati&>(d).NomeFile->text();
        Click(d, "Visualizza");
        Click(d, "Esci");
    });
    Next("THelp", [&](QDialog& d) { title = d.windowTitle(); });
    window->Input->trigger();
    EXPECT_EQ(box, QPath(folder + "ascii.txt"));
    EXPECT_TRUE(title.contains(QStringLiteral("Ricerca citt\u00E0/"))) << title.toStdString();
    EXPECT_EQ(FirstLine(folder + "nin-sch.txt"), stored + "ascii.txt");

    // Through the list to the sample and back.
    QString shown;
    ChooseListed(0, shown);
    EXPECT_EQ(shown, QPath(folder));
    ASSERT_EQ(CoreState.ArchiveDir, root.ProgramDir() + "Pianalto/");
    ChooseListed(1, shown);
    ASSERT_EQ(CoreState.ArchiveDir, folder);

    // After a restart the program is back in the accented folder with its card.
    Restart();
    EXPECT_EQ(FirstLine(root / "cartella.txt"), stored);
    EXPECT_EQ(CoreState.ArchiveDir, folder);
    EXPECT_EQ(CoreState.LastCard, 0);
    EXPECT_EQ(LoadImportFileName(), folder + "ascii.txt");

    // No file or folder under a name converted on the way.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.Root())) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find("\xC3\x83"), std::string::npos) << name;
        EXPECT_EQ(name.find('?'), std::string::npos) << name;
    }
    EXPECT_EQ(messages, std::vector<std::string>{});
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
