#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Asks before the compile run erases the cards of an archive created before: answers
// CompileRunHost::kEraseAnswer to erase them, 0 otherwise.
class TCreaFile : public QDialog {
    Q_OBJECT
  public:
    explicit TCreaFile(QWidget* owner);

    QLabel* testo = nullptr;
    QPushButton* Annulla = nullptr;
    QPushButton* Cancella = nullptr;

    void FormCreate();
    void CancellaClick();
    void AnnullaClick();
    int Answer() const { return answer_; }

  private:
    int answer_ = 0;
};

}  // namespace qv
