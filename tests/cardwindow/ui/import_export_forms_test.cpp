#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cctype>
#include <vector>

#include "app/startup.h"
#include "cardwindow/card_import.h"
#include "cardwindow/ui/tinputdati.h"
#include "cardwindow/ui/touttot.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/text_file.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// The sample archive opened by the program's start-up, with the shipped texts. Every viewer
// and help page the forms open is recorded with the selector it was given.
class ImportExportForms : public test::StartedProgram {
  protected:
    ImportExportForms() : StartedProgram(true) {}
};

TEST_F(ImportExportForms, ImportFormShowsTheStationOptions) {
    struct Case {
        int format;
        int writeAccess;
        const char* layout;  // object name of the layout button on, "" for none
        bool usa;
        const char* status;
    } cases[] = {
        {1, 1, "tabulatore", false, "Scrittura abilitata"},
        {5, 0, "delimitatori", true, "Occorre la PassWord di scrittura"},
        {6, 1, "fissi", true, "Scrittura abilitata"},
        {0, 1, "", false, "Scrittura abilitata"},
    };
    for (const Case& c : cases) {
        CoreState.ImportFormat = c.format;
        CoreState.ImportDelimiter = ';';
        CoreState.WriteAccess = uint8_t(c.writeAccess);
        TInputDati d(nullptr);
        EXPECT_EQ(Cp(d.windowTitle()), "Input da file testo (.Txt)");
        EXPECT_EQ(Cp(d.Crea->text()), "&Crea");
        EXPECT_EQ(Cp(d.Crea->toolTip()), "sostituisce tutte le schede dell'archivio");
        for (QRadioButton* r : {d.tabulatore, d.delimitatori, d.fissi})
            EXPECT_EQ(r->isChecked(), r->objectName() == c.layout) << c.format;
        EXPECT_EQ(d.USA->isChecked(), c.usa);
        EXPECT_EQ(d.ITALIA->isChecked(), !c.usa);
        EXPECT_EQ(Cp(d.delim->text()), ";");
        EXPECT_EQ(Cp(d.Status->text()), c.status);
        EXPECT_EQ(Cp(d.NomeFile->text()), Arch("Dati.Txt"));
        EXPECT_EQ(d.Answer(), 1);
    }
}

TEST_F(ImportExportForms, LeavingStoresTheOptionsAndTheFileName) {
    TInputDati d(nullptr);
    d.fissi->setChecked(true);
    d.USA->setChecked(true);
    d.delim->clear();
    d.NomeFile->setText("/dati/anagrafe.txt");
    d.EsciClick();
    EXPECT_EQ(CoreState.ImportFormat, 6);
    EXPECT_EQ(CoreState.ImportDelimiter, ',');
    EXPECT_EQ(Cp(d.delim->text()), ",");
    EXPECT_EQ(ReadBytes(Arch("nin-sch.txt")), "/dati/anagrafe.txt\r\n");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    TInputDati again(nullptr);
    EXPECT_EQ(Cp(again.NomeFile->text()), "/dati/anagrafe.txt");
}

TEST_F(ImportExportForms, AppendStoresTheLinesAfterTheLastCard) {
    CoreState.WriteAccess = 1;
    const int32_t last = CoreState.LastCard;
    WriteBytes(Arch("trc-dat.txt"), "1\r\n");
    WriteBytes(root.Root() + "dati.txt", "Rossi Mario\r\nBianchi Anna\r\n");
    TInputDati d(nullptr);
    d.tabulatore->setChecked(true);
    d.NomeFile->setText(Qs(root.Root() + "dati.txt"));
    d.AggiungeDati->click();
    EXPECT_EQ(CoreState.LastCard, last + 2);
    EXPECT_EQ(GetI32(reinterpret_cast<const uint8_t*>(ReadBytes(Arch("dli-sch.dat")).data())), last + 2);
    EXPECT_EQ(CoreState.CurrentCard, last + 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&CurrentCardText[1]), 12),
              std::string("Bianchi Anna"));
    EXPECT_TRUE(viewed.empty());  // nothing to report
    EXPECT_EQ(d.Barra->value(), 0);
}

TEST_F(ImportExportForms, ReportAfterAFailedImportAndTheFieldOrder) {
    CoreState.WriteAccess = 1;
    const std::string index = ReadBytes(Arch("dli-sch.dat"));
    TInputDati d(nullptr);
    d.NomeFile->setText(Qs(root.Root() + "manca.txt"));
    WriteBytes(Arch("trc-dat.txt"), "1\r\n");
    d.Crea->click();
    EXPECT_EQ(ReadBytes(Arch("dli-sch.dat")), index);
    EXPECT_EQ(ReadBytes(root / "tabella.txt"), "Impossibile aprire il file " + root.Root() + "manca.txt\r\n");
    // The report is shown, and again by Visualizza until the form is opened anew.
    d.Visualizza->click();
    d.Sequenza->click();
    EXPECT_EQ(viewed, (std::vector<int>{0, 0, 0}));
    TInputDati fresh(nullptr);
    fresh.Visualizza->click();
    EXPECT_EQ(viewed.back(), -12);

    const auto order = TextReader::ReadLines(Arch("trc-dat.txt"));
    ASSERT_TRUE(order);
    ASSERT_EQ(int(order->size()), CoreState.FieldCount);
    EXPECT_EQ(order->front(), "1");
    EXPECT_EQ(order->back(), std::to_string(CoreState.FieldCount));
    EXPECT_EQ(ReadBytes(Arch("asq-sch2.txt")), "1\r\n");
}

TEST_F(ImportExportForms, BrowseAndHelp) {
    answer = "/dati/scelto.txt";
    TInputDati d(nullptr);
    d.Sfoglia->click();
    EXPECT_EQ(Cp(d.NomeFile->text()), "/dati/scelto.txt");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].directory, CoreState.ArchiveDir);
    EXPECT_EQ(requests[0].filter, "*.*");
    d.Help2->click();
    TOutTot o(nullptr);
    o.Help2->click();
    EXPECT_EQ(helpPages, (std::vector<int>{53, 67}));
}

TEST_F(ImportExportForms, ExportOfTheSampleArchive) {
    CoreState.ExportTabs = 0;
    TOutTot d(nullptr);
    EXPECT_EQ(Cp(d.windowTitle()), "Scarico totale di tutto l'archivio");
    EXPECT_EQ(Cp(d.tabulatori->text()), "&Tabulatori");
    EXPECT_FALSE(d.tabulatori->isChecked());
    d.show();
    d.Esegui->click();
    EXPECT_TRUE(d.isVisible());

    // Every data line is as long as the last column of the layout.
    const auto layout = TextReader::ReadLines(Arch("rec-trac.txt"));
    const auto data = TextReader::ReadLines(Arch("ascii.txt"), 100000);
    ASSERT_TRUE(layout && data);
    int width = 0;
    for (const std::string& line : *layout)
        if (line.size() > 20 && std::isdigit(uint8_t(line[19]))) width = std::stoi(line.substr(10, 10));
    EXPECT_GT(width, 0);
    ASSERT_EQ(int(data->size()), CoreState.LastCard + 1);
    for (const std::string& line : *data) EXPECT_EQ(int(line.size()), width);
    EXPECT_EQ(CoreState.CurrentCard, CoreState.LastCard);
    EXPECT_EQ(d.Barra->value(), CoreState.LastCard);

    d.tabulatori->setChecked(true);
    d.Esegui->click();
    EXPECT_EQ(CoreState.ExportTabs, 1);
    const auto tabbed = TextReader::ReadLines(Arch("ascii.txt"), 100000);
    ASSERT_TRUE(tabbed);
    for (const std::string& line : *tabbed)
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), CoreState.FieldCount);
    d.tabulatori->setChecked(false);
    d.EsciClick();
    EXPECT_EQ(CoreState.ExportTabs, 0);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(ImportExportForms, MenuOpenersShowTheForms) {
    shown.clear();
    OpenTextImport(nullptr);
    OpenTotalExport(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"TInputDati", "TOutTot"}));
}

}  // namespace
}  // namespace qv
