#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <regex>

#include "app/startup.h"
#include "core/core_state.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/print_mask.h"
#include "selection/ui/form_fixtures.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tetichette.h"
#include "selection/ui/tlistamerge.h"
#include "selection/ui/tselezionamaschera.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class MaskFormsTest : public test::SelectionFormsTest {};

TEST_F(MaskFormsTest, MaskDialogExitCaptionByOpener) {
    for (auto [code, caption] :
         {std::pair{1, "Testo 1365"}, {2, "Testo 1366"}, {0, "Testo 1356"}, {4, "Testo 1356"}}) {
        CoreState.CommandCode = code;
        TSelezionaMaschera d(nullptr);
        EXPECT_EQ(Cp(d.Esci->text()), caption);
        EXPECT_EQ(Cp(d.windowTitle()), "Testo 1347");
    }
}

TEST_F(MaskFormsTest, OpenAndSaveMaskFiles) {
    TSelezionaMaschera d(nullptr);
    WriteBytes(root / "mia.mas", "#1*\n#0*");
    answer = root / "mia.mas";
    d.ApriClick();
    EXPECT_EQ(ReadBytes(Arch("mas-dat.txt")), "#1*\r\n#0*\r\n");
    EXPECT_EQ(opened, (std::vector<std::string>{"THelp -14"}));
    EXPECT_EQ(Text(d.Status), "Testo 1360 " + answer + "Testo 1361");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogKind::Open);
    EXPECT_EQ(requests[0].directory, CoreState.ArchiveDir);

    // The working mask itself, under another spelling: nothing is copied; the path is shown as
    // the texts show paths, not as the file system's bytes.
    answer = CoreState.ArchiveDir + "citt\u00e0/../MAS-DAT.TXT";
    d.ApriClick();
    EXPECT_EQ(Text(d.Status), "Testo 1362 " + DisplayPath(answer));
    d.SalvaClick();
    EXPECT_EQ(Text(d.Status), "Testo 1364 " + DisplayPath(answer));
    EXPECT_EQ(opened.size(), 1u);

    answer = root / "copia";
    d.SalvaClick();
    EXPECT_EQ(ReadBytes(root / "copia.mas"), "#1*\r\n#0*\r\n");
    EXPECT_EQ(Text(d.Status), "Testo 1360 " + answer + "Testo 1363");
    answer = root / "copia.txt";
    d.SalvaClick();
    EXPECT_EQ(ReadBytes(root / "copia.txt"), "#1*\r\n#0*\r\n");

    answer.clear();  // cancelled
    d.ApriClick();
    d.SalvaClick();
    EXPECT_EQ(Text(d.Status), "Testo 1360 " + root / "copia.txt" + "Testo 1363");
}

TEST_F(MaskFormsTest, MaskFromTheSampleDefinition) {
    TSelezionaMaschera d(nullptr);
    d.Status->setText("x");
    d.Button1Click();
    const std::string mask = ReadBytes(Arch("mas-dat.txt"));
    const std::string start =
        "\r\nIndagine sui residenti del Pianalto \r\nCognome e nome #1*\r\nTelefono #2*\r\nSesso #3*"
        "\r\nData di nascita #4*\r\n";
    EXPECT_EQ(mask.substr(0, start.size()), start);
    // The three answers of "*C C3,3" take three numbers, so the last field keeps its own.
    EXPECT_NE(mask.find(" #13* #14* #15*\r\n"), std::string::npos);
    EXPECT_EQ(CoreState.FieldCount, 18);
    EXPECT_EQ(mask.substr(mask.size() - 6), "#18*\r\n");
    EXPECT_EQ(opened, (std::vector<std::string>{"THelp -14"}));
    EXPECT_EQ(Text(d.Status), "");

    // A card printed through the created mask holds every field's value where the mask names
    // the field, and nothing else of the mask is lost (a hidden caption opened a placeholder).
    const std::regex placeholder("#([0-9]+)\\*");
    EXPECT_EQ(
        std::distance(std::sregex_iterator(mask.begin(), mask.end(), placeholder), std::sregex_iterator()),
        18);
    for (int32_t card : {0, CoreState.LastCard}) {
        CoreState.CurrentCard = card;
        PrintMask printer;
        printer.Load();
        ListOutputFile out;
        out.Create();
        printer.FillPrintMask(out);
        std::string expected;
        auto at = mask.cbegin();
        for (std::sregex_iterator m(mask.begin(), mask.end(), placeholder), end; m != end; ++m) {
            expected.append(at, (*m)[0].first);
            expected += MaskFieldText((*m)[1].str(), "");
            at = (*m)[0].second;
        }
        expected.append(at, mask.cend());
        EXPECT_EQ(out.Text(), expected) << card;
    }

    std::remove(Arch("scheda.txt").c_str());
    d.Button1Click();
    EXPECT_EQ(Text(d.Status), "Testo 1367");
    EXPECT_EQ(ReadBytes(Arch("mas-dat.txt")), mask);

    d.Help2Click();
    EXPECT_EQ(opened.back(), "THelpRTF 85");
    EXPECT_EQ(d.Answer(), 0);
}

class ListFormsTest : public MaskFormsTest {
  protected:
    void SetUp() override {
        MaskFormsTest::SetUp();
        WriteBytes(Arch("mas-dat.txt"), "#0*\r\n");
        CardSelectionMask.fill(0);
        CardSelectionMask[0] = 0xA0;  // cards 0 and 2
    }
    std::string List() const { return ReadBytes(root / "lista.txt"); }
};

TEST_F(ListFormsTest, SearchResultsAreListedOnOpening) {
    CoreState.CommandCode = 4;
    TEsegueLista d(nullptr);
    EXPECT_EQ(List(), "1\r\n3\r\n");
    EXPECT_EQ(Cp(d.Status->text()), "Testo 1903");
    EXPECT_EQ(d.Answer(), 0);
    EXPECT_EQ(CoreState.ListReady, 1);
    EXPECT_EQ(d.Barra->value(), 0);
    EXPECT_FALSE(d.SingleCard());

    d.ListaTXTClick();
    EXPECT_EQ(d.Answer(), 3);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(opened.empty());
}

TEST_F(ListFormsTest, AlphabeticalNeedsTheOrderIndex) {
    CoreState.CommandCode = 0;
    TEsegueLista d(nullptr);
    EXPECT_FALSE(FileExists(root / "lista.txt"));
    CoreState.ListOrderField = 1;
    d.AlfabeticoClick();
    EXPECT_EQ(Cp(d.Status->text()), "Testo 1905");
    EXPECT_FALSE(FileExists(root / "lista.txt"));

    WriteBytes(Arch("ALFA.001"), test::Hex("02 00 00 00 01 00 00 00 00 00 00 00"));
    d.AlfabeticoClick();
    EXPECT_EQ(Cp(d.Status->text()), "Testo 1904");
    EXPECT_EQ(List(), "3\r\n1\r\n");
    EXPECT_EQ(ReadBytes(root / "dli-list.dat"), test::Hex("02 00 00 00 00 00 00 00"));

    d.Help2Click();
    EXPECT_EQ(opened, (std::vector<std::string>{"THelpRTF 49"}));
    d.EsciClick();
    EXPECT_EQ(d.Answer(), 0);
}

TEST_F(ListFormsTest, CurrentCardPrint) {
    CoreState.CurrentCard = 6;
    CoreState.CommandCode = 2;
    TEsegueLista d(nullptr);
    EXPECT_EQ(ReadBytes(root / "tabella.txt"), "7\r\n");
    EXPECT_FALSE(FileExists(root / "lista.txt"));
    EXPECT_EQ(d.Answer(), 2);
    EXPECT_TRUE(d.SingleCard());
    for (QWidget* w : std::initializer_list<QWidget*>{d.Alfabetico, d.Sequenziale, d.Barra, d.Status})
        EXPECT_TRUE(w->isHidden());
    EXPECT_FALSE(d.ListaTXT->isHidden());

    d.ListaTXTClick();
    EXPECT_EQ(opened, (std::vector<std::string>{"THelp 0"}));
    EXPECT_EQ(d.Answer(), 0);
}

// Every run through the working mask, with the mask missing or holding only line breaks: a
// message says so and nothing is written, where the run would otherwise report success over
// an empty list.
TEST_F(ListFormsTest, RunsWithoutAMaskSaySoAndWriteNothing) {
    WriteBytes(root / "Etichett.TXT", "etichette di prima\r\n");
    CoreState.ListGroupField1 = 1;
    struct Run {
        const char* name;
        int commandCode;
        std::function<void()> run;
        std::vector<std::string> untouched;
    };
    const std::vector<Run> runs = {
        {"sequential list",
         0,
         [] { TEsegueLista(nullptr).SequenzialeClick(); },
         {"lista.txt", "dli-list.dat"}},
        {"list of search results", 4, [] { TEsegueLista d(nullptr); }, {"lista.txt", "dli-list.dat"}},
        {"alphabetical list",
         0,
         [] { TEsegueLista(nullptr).AlfabeticoClick(); },
         {"lista.txt", "dli-list.dat"}},
        {"current card", 2, [] { TEsegueLista d(nullptr); }, {"tabella.txt"}},
        {"labels", 0, [] { TEtichette(nullptr).CreaClick(); }, {"Etichett.TXT"}},
        {"merged list, first pass",
         0,
         [] { TListaMerge(nullptr).PrimoClick(); },
         {"Scheda.1", "mrg-sch.dat"}},
    };
    WriteBytes(Arch("ALFA.001"), test::Hex("02 00 00 00 01 00 00 00 00 00 00 00"));
    CoreState.ListOrderField = 1;
    for (const char* mask : {"", "\r\n  \r\n"}) {
        for (const Run& r : runs) {
            SCOPED_TRACE(std::string(r.name) + (*mask ? ", blank mask" : ", no mask"));
            if (*mask)
                WriteBytes(Arch("mas-dat.txt"), mask);
            else
                std::remove(Arch("mas-dat.txt").c_str());
            std::map<std::string, std::optional<std::string>> before;
            for (const std::string& f : r.untouched)
                before[f] = FileExists(root / f) ? std::optional(ReadBytes(root / f)) : std::nullopt;
            messages.clear();
            CoreState.CommandCode = r.commandCode;
            r.run();
            EXPECT_EQ(messages, std::vector<std::string>{"Testo 1841"});
            for (const std::string& f : r.untouched)
                EXPECT_EQ(FileExists(root / f) ? std::optional(ReadBytes(root / f)) : std::nullopt, before[f])
                    << f;
        }
    }
    EXPECT_FALSE(FileExists(root / "lista.txt"));
    EXPECT_EQ(ReadBytes(root / "Etichett.TXT"), "etichette di prima\r\n");
}

TEST_F(ListFormsTest, OpenerAnswersTheDialogsCode) {
    On<TEsegueLista>([](TEsegueLista& d) { d.ListaTXTClick(); });
    EXPECT_EQ(OpenListRun(nullptr, 0), 3);
    On<TEsegueLista>([](TEsegueLista& d) { d.EsciClick(); });
    EXPECT_EQ(OpenListRun(nullptr, 4), 0);
    EXPECT_EQ(List(), "1\r\n3\r\n");
}

}  // namespace
}  // namespace qv
