#include "core/ui/thelp.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPageLayout>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>
#include <QTextCursor>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "core/card_notes.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"
#include "support/pdf_text.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class THelpTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        CoreState.WriteAccess = 1;
        CoreState.CardWindowMode = 1;
    }
    // Opens the viewer on `selector` and shows it, as the modal loop would.
    std::unique_ptr<THelp> Open(int selector) {
        CoreState.CommandCode = selector;
        auto viewer = std::make_unique<THelp>(nullptr);
        viewer->show();
        return viewer;
    }
    static std::string Memo(const THelp& v) { return Cp(v.Testo->toPlainText()); }
};

TEST_F(THelpTest, TitleAndSaveBySelectorAndAccess) {
    const std::string tabella = root / "tabella.txt";
    WriteBytes(tabella, "Tabella\r\nriga 2\r\n");
    WriteBytes(Arch("cfs-cont.txt"), "Mancano informazioni sui campi:\r\n");
    struct Case {
        int selector;
        std::string title;
        std::string memo;
        bool saveWith, saveWithout;
    } cases[] = {
        {0, tabella + " - ", "Tabella\nriga 2", true, true},
        {-9, tabella + " - ", "Tabella\nriga 2", false, false},
        {-26, tabella + " - Testo 959", "Tabella\nriga 2", true, false},
        {-23, Arch("cfs-cont.txt") + " - Testo 956", "Mancano informazioni sui campi:", true, false},
        {-18, Arch("grl-sch.txt") + " - Testo 951", "", true, false},  // missing file
        {-4, "Testo 932", "", false, false},                           // no such selector
        {3, "Testo 932", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selector);
        for (uint8_t access : {1, 0}) {
            CoreState.WriteAccess = access;
            auto v = Open(c.selector);
            EXPECT_EQ(Cp(v->windowTitle()), c.title);
            EXPECT_EQ(Memo(*v), c.memo);
            EXPECT_EQ(v->Salva1->isEnabled(), access ? c.saveWith : c.saveWithout);
        }
    }
    EXPECT_EQ(CoreState.CommandCode, 3);  // the viewer leaves the selector as it was
}

TEST_F(THelpTest, LongFilesAreShownCutAndCannotBeSaved) {
    const std::string grid = Arch("grl-sch.txt");
    struct Case {
        std::string bytes;
        size_t shown;
        bool whole;
    } cases[] = {
        {std::string(29999, 'x'), 29999, true},
        {std::string(30000, 'x'), 30000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        WriteBytes(grid, c.bytes);
        auto v = Open(-18);
        EXPECT_EQ(Memo(*v), std::string(c.shown, 'x'));
        EXPECT_EQ(Cp(v->windowTitle()), (c.whole ? "" : "Testo 970 ") + grid + " - Testo 951");
        EXPECT_EQ(v->Salva1->isEnabled(), c.whole);
    }
}

TEST_F(THelpTest, SavingAFileClosesTheWindow) {
    const std::string grid = Arch("grl-sch.txt");
    WriteBytes(grid, "1,2\r\n3,4\r\n");
    auto v = Open(-18);
    v->Testo->appendPlainText(Qs("5,\xE8"));
    v->Salva1->trigger();
    EXPECT_EQ(ReadBytes(grid), "1,2\r\n3,4\r\n5,\xE8\r\n");
    EXPECT_FALSE(v->isVisible());
}

TEST_F(THelpTest, SaveDialogForTheReportAndTheTable) {
    const std::string tabella = root / "tabella.txt";
    const std::string chosen = root / "copia.txt";
    answer = chosen;

    // Selector 0: saved where the user says, the window stays open for another save.
    WriteBytes(tabella, "rapporto\r\n");
    auto v = Open(0);
    v->Salva1->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogKind::Save);
    EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
    EXPECT_EQ(requests[0].filter, "*.txt");
    EXPECT_EQ(ReadBytes(chosen), "rapporto\r\n");
    EXPECT_TRUE(v->isVisible());
    answer.clear();  // cancelled: nothing written
    v->Testo->setPlainText("altro");
    v->Salva1->trigger();
    EXPECT_EQ(ReadBytes(chosen), "rapporto\r\n");
    EXPECT_EQ(ReadBytes(tabella), "rapporto\r\n");
    EXPECT_TRUE(v->isVisible());

    // Selector -26: the copy, then the table itself, then the window closes.
    answer = chosen;
    v = Open(-26);
    v->Testo->setPlainText("nuova");
    v->Salva1->trigger();
    EXPECT_EQ(ReadBytes(chosen), "nuova\r\n");
    EXPECT_EQ(ReadBytes(tabella), "nuova\r\n");
    EXPECT_FALSE(v->isVisible());
}

TEST_F(THelpTest, CardNotesInCardEntry) {
    CoreState.CurrentCard = CoreState.LastCard + 1;
    ClearCardFields(1, CoreState.FieldCount);
    auto v = Open(-1);
    EXPECT_EQ(Cp(v->windowTitle()), "Testo 936");
    EXPECT_EQ(Memo(*v), "");
    EXPECT_TRUE(v->Salva1->isEnabled());
    v->Testo->setPlainText("prima riga\nseconda");
    v->Salva1->trigger();
    EXPECT_FALSE(v->isVisible());
    EXPECT_EQ(GetNotesHead(), 1);
    const std::string notes = ReadBytes(Arch("not-sch.dat"));
    ASSERT_EQ(notes.size(), 208u);
    EXPECT_EQ(notes.substr(104, 23), std::string("prima riga\r\nseconda\r\n\0\0", 23));

    v = Open(-1);
    EXPECT_EQ(Memo(*v), "prima riga\nseconda");
    v->Testo->clear();
    v->Salva1->trigger();
    EXPECT_EQ(GetNotesHead(), 0);
    EXPECT_EQ(ReadBytes(Arch("not-sch.dat")), notes);
}

TEST_F(THelpTest, NotesOutsideCardEntryAreNeverSaved) {
    // The viewer showed a grid last; Save on the notes must not write over it.
    const std::string grid = Arch("grl-sch.txt");
    WriteBytes(grid, "1,2\r\n");
    Open(-18);
    const std::string staging = root / "txt-tab2.imp";
    for (int mode : {2, 3, 5}) {
        SCOPED_TRACE(mode);
        CoreState.CardWindowMode = mode;
        auto v = Open(-1);
        EXPECT_FALSE(v->Salva1->isEnabled());
        v->Testo->setPlainText("note");
        v->Salva1Click();
        v->Salva1->setEnabled(true);  // even when reached, Save stores nothing here
        v->Salva1Click();
        EXPECT_FALSE(v->isVisible());
        EXPECT_EQ(ReadBytes(grid), "1,2\r\n");
        EXPECT_EQ(ReadBytes(staging), "");
        EXPECT_FALSE(FileSize(Arch("not-sch.dat")).has_value());
        EXPECT_EQ(GetNotesHead(), 0);
    }
}

// Leaving after typing asks: save, discard or go back, each doing what it says; where saving is
// not allowed only discard or go back. Esci, Esc and the close box ask alike.
TEST_F(THelpTest, LeavingChangedTextAsks) {
    const std::string grid = Arch("grl-sch.txt");
    enum Way { ByEsci, ByEsc, ByCloseBox };
    struct Case {
        const char* what;
        int selector, mode, answer;
        Way way;
        size_t choices;
        bool closed;
        std::string stored;  // the notes or the grid afterwards
    } cases[] = {
        {"notes, save", -1, 1, 1, ByEsci, 3, true, "nota\r\n"},
        {"notes, discard", -1, 1, 2, ByEsc, 3, true, ""},
        {"notes, go back", -1, 1, 3, ByCloseBox, 3, false, ""},
        {"notes outside card entry, discard", -1, 2, 1, ByEsci, 2, true, ""},
        {"notes outside card entry, go back", -1, 2, 2, ByEsci, 2, false, ""},
        {"grid, save", -18, 1, 1, ByEsci, 3, true, "1,2nota\r\n"},
        {"grid, discard", -18, 1, 2, ByCloseBox, 3, true, "1,2\r\n"},
        {"grid, go back", -18, 1, 3, ByEsc, 3, false, "1,2\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(grid, "1,2\r\n");
        CoreState.CurrentCard = CoreState.LastCard + 1;
        ClearCardFields(1, CoreState.FieldCount);
        CoreState.CardWindowMode = c.mode;
        auto v = Open(c.selector);
        // Untouched text leaves without a question.
        v->Esci1->trigger();
        EXPECT_FALSE(v->isVisible());
        v = Open(c.selector);
        QApplication::setActiveWindow(v.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(v.get()));
        v->Testo->moveCursor(QTextCursor::End);
        QTest::keyClicks(v->Testo, "nota");
        asked.clear();
        messageAnswer = c.answer;
        if (c.way == ByEsci) v->Esci1->trigger();
        if (c.way == ByEsc) QTest::keyClick(v->Testo, Qt::Key_Escape);
        if (c.way == ByCloseBox) v->close();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].choices.size(), c.choices);
        EXPECT_EQ(asked[0].text, c.choices == 3 ? "Testo 2241" : "Testo 2245");
        EXPECT_EQ(v->isVisible(), !c.closed);
        if (c.selector == -18) {
            EXPECT_EQ(ReadBytes(grid), c.stored);
        } else {
            LoadCardNotes();
            EXPECT_EQ(ReadBytes(root / "txt-tab2.imp"), c.stored);
        }
        if (!c.closed) {
            EXPECT_TRUE(Memo(*v).find("nota") != std::string::npos);
        }
    }
}

TEST_F(THelpTest, ResizeKeepsTheEdits) {
    const std::string grid = Arch("grl-sch.txt");
    WriteBytes(grid, "1,2\r\n");
    auto v = Open(-18);
    v->Testo->setPlainText("modificato");
    WriteBytes(grid, "cambiato sul disco\r\n");
    v->resize(900, 700);
    QApplication::processEvents();
    v->resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(Memo(*v), "modificato");
    EXPECT_EQ(v->Testo->geometry().width(), v->width());
}

TEST_F(THelpTest, EscCloses) {
    auto v = Open(-5);
    QApplication::setActiveWindow(v.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(v.get()));
    QTest::keyClick(v->Testo, Qt::Key_Escape);
    EXPECT_FALSE(v->isVisible());
}

int PdfPages(const std::string& pdf) {
    static const QRegularExpression page("/Type\\s*/Page[^s]");
    return int(QString::fromLatin1(pdf.data(), int(pdf.size())).count(page));
}

TEST_F(THelpTest, PrintsToAPdf) {
    std::string report;
    for (int i = 1; i <= 300; ++i) report += "riga " + std::to_string(i) + "\r\n";
    WriteBytes(root / "tabella.txt", report);
    const std::string pdf = root / "stampa.pdf";
    SetPrinterHook([&] { return pdf; });
    auto v = Open(-5);
    v->Stampa1->trigger();
    const std::string bytes = ReadBytes(pdf);
    ASSERT_EQ(bytes.substr(0, 5), "%PDF-");

    QPrinter probe(QPrinter::HighResolution);
    probe.setOutputFormat(QPrinter::PdfFormat);
    const int perPage = TextLinesPerPage(probe, v->Testo->font());
    ASSERT_GT(perPage, 10);
    EXPECT_EQ(PdfPages(bytes), (300 + perPage - 1) / perPage);

    // Cancelled: nothing printed.
    std::remove(pdf.c_str());
    SetPrinterHook([] { return std::string(); });
    v->Stampa1->trigger();
    EXPECT_FALSE(FileSize(pdf).has_value());

    // A file that cannot be made is told, never taken for a printout.
    std::vector<std::string> told;
    SetMessageHook([&](const MessageRequest& r) {
        told.push_back(r.text);
        return 1;
    });
    SetPrinterHook([&] { return root / "manca/stampa.pdf"; });
    v->Stampa1->trigger();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("manca"), std::string::npos) << told[0];
}

// A sheet of 3 labels across and 12 down, each label 3 lines padded to 40 characters, as the
// label file has them: printed, every label of a column starts at the same place on every line
// and ends before the next label starts, and a row of three full labels still ends inside the
// printable area.
TEST_F(THelpTest, LabelSheetPrintsInColumnsInsideThePage) {
    CoreState.LabelColumns = 3;
    CoreState.LabelWidth = 40;
    std::string sheet;
    for (int band = 0; band < 12; ++band) {
        for (int line = 0; line < 3; ++line) {
            for (int label = 0; label < 3; ++label) {
                const int n = band * 3 + label + 1;
                // Texts of every length, some filling the whole label width.
                std::string cell = line == 0   ? "Cognome Nome " + std::to_string(n)
                                   : line == 1 ? "Via " + std::string(size_t(n % 36 + 4), 'x')
                                               : std::string(40, char('A' + label));
                cell.resize(40, ' ');
                sheet += cell + "\t";
            }
            sheet += "\r\n";
        }
    }
    WriteBytes(root / "Etichett.TXT", sheet);
    const std::string pdf = root / "etichette.pdf";
    SetPrinterHook([&] { return pdf; });
    auto v = Open(-16);
    v->Stampa1->trigger();
    const std::string bytes = ReadBytes(pdf);
    ASSERT_EQ(PdfPages(bytes), 1);

    QPrinter probe(QPrinter::HighResolution);
    probe.setOutputFormat(QPrinter::PdfFormat);
    const double printableRight = probe.pageLayout().paintRect(QPageLayout::Point).right();
    ASSERT_LE(printableRight, test::PdfPageWidth(bytes));
    std::map<double, std::vector<test::PdfTextRun>> lines;
    for (const test::PdfTextRun& run : test::PdfTextRuns(bytes)) lines[run.line].push_back(run);
    ASSERT_EQ(lines.size(), 36u);
    std::set<long> starts[3];
    for (auto& [y, runs] : lines) {
        ASSERT_EQ(runs.size(), 3u) << "line at " << y;
        std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.left < b.left; });
        for (size_t label = 0; label < 3; ++label) {
            starts[label].insert(std::lround(runs[label].left * 100));
            EXPECT_LE(runs[label].right, printableRight + 0.01) << "line at " << y;
            if (label < 2) {
                EXPECT_LT(runs[label].right, runs[label + 1].left) << "line at " << y;
            }
        }
    }
    for (const auto& column : starts) EXPECT_EQ(column.size(), 1u) << "a column starts at one place";
    EXPECT_LT(*starts[0].begin(), *starts[1].begin());
    EXPECT_LT(*starts[1].begin(), *starts[2].begin());
}

TEST_F(THelpTest, ShowTextViewerIsModal) {
    onShow = [&](QDialog& d) {
        if (auto* v = qobject_cast<THelp*>(&d)) {
            EXPECT_EQ(Cp(v->windowTitle()), (root / "tabella.txt") + " - Testo 939");
        }
    };
    ShowTextViewer(nullptr, ViewerFile::CompileErrors);
    EXPECT_EQ(shown, std::vector<std::string>{"THelp"});
    EXPECT_EQ(CoreState.CommandCode, -5);
}

}  // namespace
}  // namespace qv
