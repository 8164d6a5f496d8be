#pragma once
// The program as a person meets it: the shipped texts, the sample archive, every dialog
// registered as at start-up, the main window created with the write password typed. Dialogs
// are driven through their own buttons: a test queues what to do with the next form of a class
// (DialogScript::Next); any other form is left with its exit button, as a person who opened it
// by mistake would. Message boxes are answered No.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "app/register_all.h"
#include "app/startup.h"
#include "cardwindow/ui/tpassword.h"
#include "cardwindow/ui/tprincipale.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/thelp.h"
#include "platform/cp1252.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/card_window.h"
#include "support/dialog_script.h"
#include "support/program_dir.h"

namespace qv::test {

class CardWindowWalkthrough : public ::testing::Test, public DialogScript {
  protected:
    // The program on a root directory named `rootName` (a file-system name) inside the test's own.
    explicit CardWindowWalkthrough(const std::string& rootName = {}) : root(true, 2499, rootName) {}

    void SetUp() override {
        WriteBytes(root / "pxx-dat.imp", "PIANALTO\r\n");
        WriteBytes(root / "lst-kel.txt",
                   "Pianalto      " + Utf8ToCp1252(root.ProgramDir()) + "Pianalto/\r\n");
        Launch();
        ASSERT_EQ(CoreState.WriteAccess, 1);
        forms.clear();
    }
    void TearDown() override {
        window.reset();
        StopCardWindowProgram();
    }
    // The program ended as on leaving it and started again.
    void Restart() {
        TearDown();
        Launch();
    }

    void Launch() {
        StartProgram();
        RegisterAllDialogs();
        leaveOpenForms = true;
        messageAnswer = 0;
        onShow = [this](QDialog& d) { CheckCaptions(d, FormName(d)); };
        Install();
        Next<TPassWord>([](TPassWord& d) { QTest::keyClicks(d.Pass, "PIANALTO"); });
        window = std::make_unique<TPrincipale>();
        window->FormCreate();
        window->show();
    }

    static void Click(QDialog& d, const char* button) {
        auto* b = d.findChild<QAbstractButton*>(button);
        ASSERT_NE(b, nullptr) << FormName(d) << " has no " << button;
        ASSERT_TRUE(b->isEnabled()) << FormName(d) << "." << button;
        b->click();
    }
    static void Type(QDialog& d, const char* edit, const std::string& text) {
        auto* e = d.findChild<QLineEdit*>(edit);
        ASSERT_NE(e, nullptr) << FormName(d) << " has no " << edit;
        e->setText(Qs(text));
    }

    // A form a person sees with a title and with a caption on every button.
    void CheckCaptions(QDialog& d, const std::string& name) {
        if (d.windowTitle().trimmed().isEmpty()) captionFaults.push_back(name + ": no title");
        for (QAbstractButton* b : d.findChildren<QAbstractButton*>()) {
            // Qt's own arrows (tab bars) carry no text.
            if (!b->isVisibleTo(&d) || !b->icon().isNull() || b->objectName().startsWith("Scroll")) continue;
            if (b->text().trimmed().isEmpty())
                captionFaults.push_back(name + ": button " + b->objectName().toStdString() +
                                        " without caption");
        }
    }

    std::string Archive(const std::string& name) const { return root / ("Pianalto/" + name); }

    // The name (field 1) of `card` as the card file holds it.
    std::string Name(int card) const {
        const std::string alf = ReadBytes(Archive("alf-sch.dat"));
        std::string name = alf.substr(size_t(card) * size_t(CoreState.CardTextBytes), 40);
        return name.substr(0, name.find('\0'));
    }
    // The label of category `category` of `field`.
    std::string Label(int field, int category) const {
        const std::string labels = ReadBytes(Archive("mod-sch.dat"));
        const size_t at = size_t(FieldFirstLabel[size_t(field)] + category - 1) * 61;
        std::string l = labels.substr(at, 61);
        return l.substr(0, l.find('\0'));
    }

    // A point inside the box of `field` on its page.
    static QPoint FieldPoint(int field) {
        return QPoint(LayoutX[size_t(field)] + 4, LayoutY[size_t(field)] - 4);
    }

    // The cursor put on `field` (and its page) and the card drawn again, as a click there does.
    void MoveCursorTo(int field) {
        CoreState.CurrentField = int16_t(field);
        CoreState.CurrentPage = LayoutPage[size_t(field)];
        CoreState.CommandCode = 1;
        window->VisualizzaClick();
    }

    // Notes of the card in hand written and saved through the notes button (b10).
    void WriteNotes(const char* text) {
        Next("THelp", [text](QDialog& d) {
            auto& v = static_cast<THelp&>(d);
            v.Testo->setPlainText(text);
            v.Salva1->trigger();
            v.Esci1->trigger();
        });
        window->b10->click();
    }

    ProgramRoot root{true};
    std::unique_ptr<TPrincipale> window;
    std::vector<std::string> captionFaults;
};

}  // namespace qv::test
