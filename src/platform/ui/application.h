#pragma once
#include <QApplication>
#include <new>
#include <string>

#include "platform/io_error.h"

namespace qv {

// The application object: an input/output error that escapes an event handler is shown in a
// message box with its code; the operation is abandoned and the program goes on.
class QvApplication : public QApplication {
  public:
    QvApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The message shown for an input/output error; also installed as the engine's reporter.
void ShowIoError(const IoError& error);
void InstallIoErrorReporter();
// A line under the code that says what it means, from the text tables, which live above this
// layer; none until the program installs it.
using IoCodeExplainer = std::string (*)(int code);
void SetIoCodeExplainer(IoCodeExplainer explainer);
// Memory that ran out abandons the operation like an input/output error, never the program.
void ShowOutOfMemory();

// Runs a handler's work; an input/output error abandons it with the standard message.
template <typename Work>
void GuardedIo(Work&& work) {
    try {
        work();
    } catch (const IoError& e) {
        ShowIoError(e);
    } catch (const std::bad_alloc&) {
        ShowOutOfMemory();
    }
}

// Qt's own texts (file, print and colour dialogs, standard buttons) in Italian, from the
// translations installed with Qt; answers false when they are not installed, and the dialogs
// then stay in English.
bool InstallItalianTranslations();

}  // namespace qv
