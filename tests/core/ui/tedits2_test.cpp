// The archive designer on screen: folder, source editor, the three compile commands with and
// without the write password, the erase question, the error list, list of archives, page size.
#include "core/ui/tedits2.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/ui/archive_commands.h"
#include "core/ui/tcreafile.h"
#include "core/ui/thelp.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/program_dir.h"
#include "support/records.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// A text field and a coded field of two answers: three fields.
const std::vector<std::string> kSource = {"Nuovo", "*T",    "Nome",    "*C A20", "*T",
                                          "Sesso", "*C C2", "maschio", "femmina"};

class TEditS2Test : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        CoreState.WriteAccess = 1;
        sample = CoreState.ArchiveDir;
        folder = root.Root() + "archivi/nuovo/";
        messageAnswer = 0;
        onShow = [this](QDialog& d) {
            opened.push_back(d.objectName().toStdString() + " " + std::to_string(CoreState.CommandCode));
        };
        On<TCreaFile>([this](TCreaFile& ask) {
            askText = Cp(ask.testo->text());
            eraseCards ? ask.CancellaClick() : ask.AnnullaClick();
        });
    }
    std::unique_ptr<TEditS2> Open() { return std::make_unique<TEditS2>(nullptr); }
    static std::string Text(const QLineEdit* box) { return Cp(box->text()); }
    static std::string Memo(const QPlainTextEdit* memo) { return Cp(memo->toPlainText()); }
    static void SetMemo(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& l : lines) text += (text.empty() ? "" : "\n") + l;
        memo->setPlainText(Qs(text));
    }
    // A designer folder holding kSource, created as the current archive.
    std::unique_ptr<TEditS2> CreateArchive() {
        MakeDirs(folder);
        WriteBytes(folder + "scheda.txt", CrLf(kSource));
        auto d = Open();
        d->nome->setText(Qs(folder));
        d->LeggeSchedaClick();
        d->Crea1Click();
        return d;
    }

    std::string sample, folder;
    std::vector<std::string> opened;
    std::string askText;
    bool eraseCards = false;
};

TEST_F(TEditS2Test, DesignsAnArchiveFromANewFolderToTheCurrentArchive) {
    auto d = Open();
    EXPECT_EQ(Text(d->nome), sample);  // the current archive's folder
    d->nome->setText("C:\\archivi\\nuovo\\");
    d->CreaDirClick();
    EXPECT_EQ(Text(d->Status2), "Testo 440");
    EXPECT_EQ(Text(d->nome), folder);
    EXPECT_EQ(ReadBytes(root / "dir-edit.imp"), folder + "\r\n");
    EXPECT_EQ(Memo(d->Testo), folder);  // the new source's title line

    SetMemo(d->Testo, kSource);
    d->SalvaClick();
    EXPECT_EQ(ReadBytes(folder + "scheda.txt"), CrLf(kSource));
    EXPECT_EQ(Text(d->Status_Scheda), "Testo 448 " + folder + "scheda.txtTesto 449");
    d->Testo->appendPlainText("x");
    EXPECT_EQ(Text(d->Status_Scheda), "");  // any edit empties it

    const std::string edited = Memo(d->Testo);
    d->CreaDirClick();  // exists now: the source is left alone
    EXPECT_EQ(Text(d->Status2), "Testo 441");
    EXPECT_EQ(Memo(d->Testo), edited);
    EXPECT_EQ(ReadBytes(folder + "scheda.txt"), CrLf(kSource));

    SetMemo(d->Testo, kSource);
    d->SalvaClick();
    d->Crea1Click();
    EXPECT_EQ(Text(d->Status1), "Testo 450");
    EXPECT_EQ(Text(d->Status3), "Testo 468");
    EXPECT_TRUE(opened.empty());  // no question, no error list
    EXPECT_EQ(CoreState.ArchiveDir, folder);
    EXPECT_EQ(CoreState.FieldCount, 3);
    EXPECT_EQ(CoreState.LastCard, -1);
    EXPECT_EQ(CoreState.CurrentCard, 0);
    EXPECT_EQ(ToHex(ReadBytes(folder + "dli-sch.dat")), ToHex(Hex("FF FF FF FF")));
    EXPECT_EQ(ReadBytes(folder + "lst-fatt.imp"), "0\r\n");
    EXPECT_TRUE(FileExists(sample + "imposta.000"));  // the previous archive's settings kept
}

// Esci after the source was edited asks: go back keeps the designer open, discard leaves the
// file as it was, save stores the edit; an untouched source leaves without a question.
TEST_F(TEditS2Test, EsciAfterEditingTheSourceAsks) {
    MakeDirs(folder);
    std::vector<std::string> edited = kSource;
    edited.push_back("x");
    const struct {
        int answer;
        bool left;
        std::vector<std::string> stored;
    } cases[] = {{3, false, kSource}, {2, true, kSource}, {1, true, edited}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        WriteBytes(folder + "scheda.txt", CrLf(kSource));
        auto d = Open();
        d->nome->setText(Qs(folder));
        d->LeggeSchedaClick();
        d->Testo->appendPlainText("x");
        messages.clear();
        messageAnswer = c.answer;
        d->EsciClick();
        EXPECT_EQ(messages, std::vector<std::string>{"Testo 2241"});
        EXPECT_EQ(d->result() == QDialog::Accepted, c.left);
        EXPECT_EQ(ReadBytes(folder + "scheda.txt"), CrLf(c.stored));
    }
    auto d = Open();
    d->nome->setText(Qs(folder));
    d->LeggeSchedaClick();
    messages.clear();
    d->EsciClick();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

// Without the write password, or into the open archive while it is read-only, only the source
// is saved, and the status box says why.
TEST_F(TEditS2Test, WithoutTheWritePasswordOnlyTheSourceIsSaved) {
    MakeDirs(folder);
    struct Case {
        const char* name;
        std::function<void(TEditS2&)> click;
        QLineEdit* TEditS2::*box;
        const char* text;
    } cases[] = {
        {"create", &TEditS2::Crea1Click, &TEditS2::Status1, "Testo 451"},
        {"compile", &TEditS2::CompilaClick, &TEditS2::Status2b, "Testo 470"},
        {"update and empty", &TEditS2::Azzera_SchedaClick, &TEditS2::Status1, "Testo 471"},
    };
    const std::string readOnly = "sola lettura";
    for (const bool password : {false, true}) {
        CoreState.WriteAccess = password;
        // With the password, the folder is the open archive's, opened read-only.
        const std::string open = password ? folder : sample;
        CoreState.ArchiveDir = open;
        SetArchiveReadOnly(password ? readOnly : std::string());
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (password ? " read-only" : ""));
            auto d = Open();
            d->nome->setText(Qs(folder));
            SetMemo(d->Testo, kSource);
            d->SalvaClick();
            c.click(*d);
            EXPECT_EQ(Text((*d).*(c.box)), password ? readOnly : c.text);
            EXPECT_EQ(ReadBytes(folder + "scheda.txt"), CrLf(kSource));
            EXPECT_FALSE(FileExists(folder + "sig-sch.dat"));
            EXPECT_FALSE(FileExists(folder + "morvidex.dat"));
            EXPECT_EQ(CoreState.ArchiveDir, open);
        }
    }
    SetArchiveReadOnly(std::string());
    CoreState.ArchiveDir = sample;
    EXPECT_TRUE(opened.empty());
}

TEST_F(TEditS2Test, ErrorsAreListedAndTheNewArchiveIsNotOpened) {
    MakeDirs(folder);
    WriteBytes(folder + "scheda.txt", CrLf({"Errato", "*T", "Nome", "*C X"}));
    auto d = Open();
    d->nome->setText(Qs(folder));
    d->Crea1Click();
    EXPECT_EQ(opened, (std::vector<std::string>{"THelp -5"}));
    EXPECT_NE(ReadBytes(root / "tabella.txt").find("Testo 461"), std::string::npos);
    EXPECT_EQ(Text(d->Status1), "");
    EXPECT_EQ(CoreState.ArchiveDir, sample);

    opened.clear();
    d->CompilaClick();
    EXPECT_EQ(opened, (std::vector<std::string>{"THelp -5"}));
    EXPECT_EQ(Text(d->Status2b), "");
}

TEST_F(TEditS2Test, ExistingCardsAreErasedOnlyWhenTheUserSaysSo) {
    auto d = CreateArchive();
    ASSERT_EQ(CoreState.ArchiveDir, folder);
    for (bool erase : {false, true}) {
        SCOPED_TRACE(erase);
        WriteBytes(folder + "dli-sch.dat", Hex("00 00 00 00"));  // one card
        eraseCards = erase;
        opened.clear();
        d->Azzera_SchedaClick();
        EXPECT_EQ(opened, (std::vector<std::string>{"TCreaFile 0"}));
        EXPECT_EQ(askText, "Testo 348 1Testo 349");
        EXPECT_EQ(ToHex(ReadBytes(folder + "dli-sch.dat")),
                  ToHex(Hex(erase ? "FF FF FF FF" : "00 00 00 00")));
        EXPECT_EQ(Text(d->Status3), erase ? "Testo 468" : "");
        EXPECT_EQ(CoreState.ArchiveDir, folder);  // stays the current archive
    }
}

TEST_F(TEditS2Test, SourceTooLargeForTheEditorIsNeverSavedOver) {
    MakeDirs(folder);
    const std::string large(30000, 'a');
    WriteBytes(folder + "scheda.txt", large);
    WriteBytes(root / "dir-edit.imp", "C:\\archivi\\nuovo\\\r\n");
    auto d = Open();
    EXPECT_EQ(Text(d->nome), folder);
    EXPECT_FALSE(d->Salva->isEnabled());
    EXPECT_EQ(Memo(d->Testo), "Testo 443\nTesto 444\nTesto 445");
    EXPECT_EQ(Text(d->Status_Scheda), "Testo 442");
    d->SalvaClick();
    EXPECT_EQ(ReadBytes(folder + "scheda.txt"), large);

    WriteBytes(folder + "scheda.txt", std::string(29999, 'b'));
    d->LeggeSchedaClick();
    EXPECT_TRUE(d->Salva->isEnabled());
    EXPECT_EQ(Memo(d->Testo), std::string(29999, 'b'));

    // A folder without a source keeps the memo and says so.
    d->nome->setText(Qs(root.Root() + "altrove/"));
    d->LeggeSchedaClick();
    EXPECT_EQ(Text(d->Status_Scheda), "Testo 446 " + root.Root() + "altrove/scheda.txtTesto 447");
    EXPECT_EQ(Memo(d->Testo), std::string(29999, 'b'));
}

TEST_F(TEditS2Test, PageSizeAndPointerPositionOnLeaving) {
    struct Case {
        const char* x;
        const char* y;
        int width, height;
    } cases[] = {
        {"800", "600", 800, 600},
        {"0", "-3", 640, 480},
        {"abc", "12a", 640, 480},
        {"1000", "", 1000, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        CoreState.PageWidth = 640;
        CoreState.PageHeight = 480;
        auto d = Open();
        EXPECT_EQ(d->x->text(), "640");
        d->x->setText(c.x);
        d->y->setText(c.y);
        d->nome->setText("C:\\archivi\\x");
        d->EsciClick();
        EXPECT_EQ(CoreState.PageWidth, c.width);
        EXPECT_EQ(CoreState.PageHeight, c.height);
        EXPECT_EQ(ReadBytes(root / "dir-edit.imp"), root.Root() + "archivi/x/\r\n");
    }
    auto d = Open();
    d->show();
    d->xyClick();
    EXPECT_EQ(CoreState.CardWindowMode, 4);
    EXPECT_FALSE(d->isVisible());
}

TEST_F(TEditS2Test, ListOfArchivesIsEditedAndSaved) {
    {
        auto d = Open();  // no list yet: it cannot be saved from here
        EXPECT_FALSE(d->Salva_KEL->isEnabled());
    }
    WriteBytes(root / "lst-kel.txt", "Pianalto      C:\\quorvanta.tv\\Pianalto\\\r\n");
    auto d = Open();
    EXPECT_EQ(Memo(d->Kel_LST2), "Pianalto      C:\\quorvanta.tv\\Pianalto\\");
    d->Kel_LST2->appendPlainText("Nuovo         C:\\archivi\\nuovo\\");
    d->Salva_KELClick();
    EXPECT_EQ(Text(d->Status_KelLST), "Testo 472");
    EXPECT_EQ(ReadBytes(root / "lst-kel.txt"),
              "Pianalto      C:\\quorvanta.tv\\Pianalto\\\r\nNuovo         C:\\archivi\\nuovo\\\r\n");
}

TEST_F(TEditS2Test, MenuCommandLeavesTheCardWindowInSearchOrPointerMode) {
    struct Case {
        const char* name;
        std::function<void(TEditS2&)> act;
        int mode;
        bool changed;
        std::vector<std::string> steps;
    } cases[] = {
        {"exit", [](TEditS2& d) { d.EsciClick(); }, 2, false, {"store", "repaint"}},
        {"pointer position", [](TEditS2& d) { d.xyClick(); }, 4, false, {"store", "repaint"}},
        {"new page size",
         [](TEditS2& d) {
             d.x->setText("900");
             d.EsciClick();
         },
         2,
         false,
         {"store", "apply", "centre", "repaint"}},
        {"new archive",
         [this](TEditS2& d) {
             MakeDirs(folder);
             WriteBytes(folder + "scheda.txt", CrLf(kSource));
             d.nome->setText(Qs(folder));
             d.Crea1Click();
         },
         2,
         true,
         {"store", "apply", "repaint"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreState.CardWindowMode = 1;
        CoreState.PageWidth = 640;
        CoreState.PageHeight = 480;
        On<TEditS2>([&](TEditS2& d) {
            EXPECT_EQ(CoreState.CardWindowMode, 2);
            c.act(d);
        });
        std::vector<std::string> steps;
        CardWindowSteps s;
        s.storeCard = [&] { steps.push_back("store"); };
        s.applyArchive = [&] { steps.push_back("apply"); };
        s.centre = [&] { steps.push_back("centre"); };
        s.repaint = [&] {
            steps.push_back("repaint");
            EXPECT_EQ(CoreState.CommandCode, 1);
        };
        EXPECT_EQ(OpenDesigner(nullptr, s), c.changed);
        EXPECT_EQ(CoreState.CardWindowMode, c.mode);
        EXPECT_EQ(steps, c.steps);
    }
    EXPECT_EQ(CoreState.ArchiveDir, folder);
}

}  // namespace
}  // namespace qv
