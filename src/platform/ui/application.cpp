#include "platform/ui/application.h"

#include "platform/io_error.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"

namespace qv {

QvApplication::QvApplication(int& argc, char** argv) : QApplication(argc, argv) {
    InstallIoErrorReporter();
}

bool QvApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const IoError& e) {
        ShowIoError(e);
        return true;
    }
}

void ShowIoError(const IoError& e) {
    HourglassOff();
    std::string text = "Errore di input/output " + std::to_string(e.Code()) + ".";
    if (!e.Path().empty()) text += "\nFile: " + e.Path();
    ShowMessage({text, "Quorvanta-TV", MessageButtons::Ok, MessageIcon::Error});
}

void InstallIoErrorReporter() {
    SetIoErrorReporter(&ShowIoError);
}

}  // namespace qv
