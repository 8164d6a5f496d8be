#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Reads the write password, the first line of "pxx-dat.imp", into ArchivePassword. A file that
// cannot be read raises the input/output error and leaves the password empty.
void LoadArchivePassword();
// Whether a typed text opens the archive for writing: every character but the last exactly,
// the last one regardless of case. An empty stored password never matches.
bool PasswordMatches(const std::string& typed, const std::string& stored);

// Asks the write password once at start-up.
class TPassWord : public QDialog {
    Q_OBJECT
  public:
    explicit TPassWord(QWidget* owner);

    QLabel* Label1 = nullptr;
    QLineEdit* Pass = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* VedeHelp = nullptr;

    void EsciClick();
    void VedeHelpClick();
    void PassChange();
};

}  // namespace qv
