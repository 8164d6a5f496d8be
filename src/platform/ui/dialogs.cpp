#include "platform/ui/dialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <cstdio>

#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {
ModalHook gModalHook;
MessageHook gMessageHook;
FileDialogHook gFileHook;
ColourHook gColourHook;
QPointer<QWidget> gMainWindow;
bool gNeverBlock = false;
}  // namespace

void SetNeverBlock(bool on) {
    gNeverBlock = on;
}

void SetModalHook(ModalHook hook) {
    gModalHook = std::move(hook);
}
void SetMessageHook(MessageHook hook) {
    gMessageHook = std::move(hook);
}
void SetFileDialogHook(FileDialogHook hook) {
    gFileHook = std::move(hook);
}
void SetColourHook(ColourHook hook) {
    gColourHook = std::move(hook);
}
void ResetUiHooks() {
    gModalHook = nullptr;
    gMessageHook = nullptr;
    gFileHook = nullptr;
    gColourHook = nullptr;
    SetPrinterHook(nullptr);
}

QWidget* MainWindowWidget() {
    return gMainWindow.data();
}
void SetMainWindowWidget(QWidget* w) {
    gMainWindow = w;
}

int ShowModal(QDialog& dialog) {
    if (gModalHook) return gModalHook(dialog);
    if (gNeverBlock) return 0;
    return dialog.exec();
}

int ShowMessage(const MessageRequest& r) {
    if (gMessageHook) return gMessageHook(r);
    if (gNeverBlock) {
        std::fprintf(stderr, "[message] %s\n", r.text.c_str());
        return 0;
    }
    QMessageBox box(MainWindowWidget());
    box.setWindowTitle(r.caption.empty() ? QStringLiteral("Quorvanta-TV") : Qs(r.caption));
    box.setText(Qs(r.text));
    switch (r.icon) {
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (r.buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sì"));
            box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.button(QMessageBox::Cancel)->setText(QStringLiteral("Annulla"));
            break;
        case MessageButtons::Choices:
            break;
    }
    std::vector<QAbstractButton*> choices;
    if (r.buttons == MessageButtons::Choices) {
        for (const std::string& choice : r.choices)
            choices.push_back(box.addButton(Qs(choice), QMessageBox::AcceptRole));
        if (!choices.empty()) box.setEscapeButton(choices.back());
    }
    const int answer = box.exec();
    if (r.buttons == MessageButtons::Choices) {
        const auto chosen = std::find(choices.begin(), choices.end(), box.clickedButton());
        return chosen == choices.end() ? 0 : int(chosen - choices.begin()) + 1;
    }
    return (answer == QMessageBox::Ok || answer == QMessageBox::Yes) ? 1 : 0;
}

void ShowInfo(const std::string& text, const std::string& caption) {
    ShowMessage({text, caption, MessageButtons::Ok, MessageIcon::Information, {}});
}

void ShowError(const std::string& text, const std::string& caption) {
    ShowMessage({text, caption, MessageButtons::Ok, MessageIcon::Error, {}});
}

bool AskYesNo(const std::string& text, const std::string& caption) {
    return ShowMessage({text, caption, MessageButtons::YesNo, MessageIcon::Question, {}}) == 1;
}

std::string AskFileName(const FileDialogRequest& r) {
    if (gFileHook) return gFileHook(r);
    // Shown like every other form, so that a test answers it as a person would.
    QFileDialog dialog(MainWindowWidget(), Qs(r.caption), QPath(r.directory + r.fileName),
                       r.filter.empty() ? QString() : Qs(r.filter));
    dialog.setAcceptMode(r.kind == FileDialogKind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(r.kind == FileDialogKind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (ShowModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return FsPath(dialog.selectedFiles().constFirst());
}

int AskColour(int initial) {
    if (gColourHook) return gColourHook(initial);
    if (gNeverBlock) return -1;
    QColor c = QColorDialog::getColor(QColor::fromRgb(QRgb(initial)), MainWindowWidget());
    if (!c.isValid()) return -1;
    return int(c.rgb() & 0xFFFFFF);
}

}  // namespace qv
