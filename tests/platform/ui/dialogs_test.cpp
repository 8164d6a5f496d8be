// The common dialogs a person meets: Qt's own ones speak Italian like the rest of the program,
// and printing to a file proposes the archive's folder rather than the home folder.
#include "platform/ui/dialogs.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "platform/ui/application.h"
#include "platform/ui/printing.h"

namespace qv {
namespace {

class CommonDialogs : public ::testing::Test {
  protected:
    void TearDown() override {
        ResetUiHooks();
        SetPrintFolderSource(nullptr);
    }
};

// The translations ship with Qt (Debian: qt6-translations-l10n, installed by the set-up).
TEST_F(CommonDialogs, QtDialogsSpeakItalian) {
    ASSERT_TRUE(InstallItalianTranslations()) << "Qt's Italian translations are not installed";
    EXPECT_TRUE(InstallItalianTranslations()) << "a second call finds them installed";

    QFileDialog open(nullptr, QString(), QString(), QStringLiteral("morvidex*.dat"));
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setAcceptMode(QFileDialog::AcceptOpen);
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog print(&printer);
    QColorDialog colour;
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);

    struct Case {
        const char* what;
        QString shown;
        QString english;
    };
    const Case cases[] = {
        {"file dialog, open button",
         open.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->text(), "&Open"},
        {"file dialog, file name label", open.labelText(QFileDialog::FileName), "File &name:"},
        {"print dialog, title", print.windowTitle(), "Print"},
        {"colour dialog, title", colour.windowTitle(), "Select Color"},
        {"message box, cancel", box.button(QMessageBox::Cancel)->text(), "Cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.shown.isEmpty());
        EXPECT_NE(c.shown, c.english) << c.shown.toStdString();
    }
    EXPECT_EQ(print.windowTitle(), QStringLiteral("Stampa"));
}

TEST_F(CommonDialogs, PrintToFileProposesTheArchiveFolder) {
    std::string proposed;
    SetModalHook([&](QDialog& d) {
        EXPECT_NE(qobject_cast<QPrintDialog*>(&d), nullptr);
        if (auto* file = d.findChild<QLineEdit*>(QStringLiteral("filename")))
            proposed = file->text().toStdString();
        return 0;
    });
    for (const std::string folder : {"/archivi/Pianalto/", ""}) {
        SCOPED_TRACE(folder);
        proposed.clear();
        SetPrintFolderSource([folder] { return folder; });
        EXPECT_EQ(AskPrinter(nullptr), nullptr) << "cancelled";
        if (folder.empty())
            EXPECT_EQ(proposed.find("/archivi/"), std::string::npos) << "no archive: Qt's own proposal";
        else
            EXPECT_EQ(proposed, "/archivi/Pianalto/stampa.pdf");
    }
}

// Memory that runs out (a table sized from a damaged file) abandons the work with the error
// message and its meaning, as an input/output error does; the program goes on.
TEST_F(CommonDialogs, RunningOutOfMemoryAbandonsTheWorkWithAMessage) {
    std::string shown;
    SetMessageHook([&](const MessageRequest& r) {
        shown = r.text;
        return 0;
    });
    SetIoCodeExplainer(
        [](int code) { return code == kHeapOverflow ? std::string("troppo grande") : std::string(); });
    GuardedIo([] { throw std::bad_alloc(); });
    SetIoCodeExplainer(nullptr);
    EXPECT_EQ(shown, "Errore di input/output 203.\ntroppo grande");
}

}  // namespace
}  // namespace qv
