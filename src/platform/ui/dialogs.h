#pragma once
#include <functional>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace qv {

// Every form is shown modally through ShowModal; every message box and common dialog through
// the functions below. Tests install hooks that answer instead of a person.

int ShowModal(QDialog& dialog);
using ModalHook = std::function<int(QDialog& dialog)>;
void SetModalHook(ModalHook hook);

enum class MessageButtons { Ok, YesNo, OkCancel, Choices };
enum class MessageIcon { Information, Warning, Error, Question };
// Answers: 1 for Ok / Yes, 0 for No / Cancel / closed. With Choices, a button for each of
// `choices` in order, the last one also taken by Esc: 1 + the index of the one pressed, 0
// when the box is closed.
struct MessageRequest {
    std::string text;     // Windows-1252
    std::string caption;  // Windows-1252
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::Information;
    std::vector<std::string> choices;  // Windows-1252
};
int ShowMessage(const MessageRequest& request);
void ShowInfo(const std::string& text, const std::string& caption = {});
void ShowError(const std::string& text, const std::string& caption = {});
bool AskYesNo(const std::string& text, const std::string& caption = {});
using MessageHook = std::function<int(const MessageRequest&)>;
void SetMessageHook(MessageHook hook);

enum class FileDialogKind { Open, Save };
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string caption;
    std::string directory;  // initial directory (a path: the file system's bytes)
    std::string filter;     // e.g. "*.srg"
    std::string fileName;   // proposed name (the file system's bytes)
};
// The chosen path as the file system's bytes, or an empty string when cancelled.
std::string AskFileName(const FileDialogRequest& request);
using FileDialogHook = std::function<std::string(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);

// Colour dialog: answers an 0xRRGGBB value, or -1 when cancelled.
int AskColour(int initial);
using ColourHook = std::function<int(int initial)>;
void SetColourHook(ColourHook hook);

// The parent for dialogs opened without an explicit owner.
QWidget* MainWindowWidget();
void SetMainWindowWidget(QWidget* w);

// Clears every hook (tests call it in tear-down).
void ResetUiHooks();

// Headless runs (tests): with no hook installed, nothing waits for a person. Modal forms are
// not executed and answer 0, messages are written to stderr and answer 0, common dialogs are
// cancelled.
void SetNeverBlock(bool on);

}  // namespace qv
