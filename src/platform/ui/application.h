#pragma once
#include <QApplication>

namespace qv {

class IoError;

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

}  // namespace qv
