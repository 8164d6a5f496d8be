#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// The list of archives: a double click, or any key in the list, makes the highlighted archive
// the current one and closes the dialog.
class TArchivio : public QDialog {
    Q_OBJECT
  public:
    explicit TArchivio(QWidget* owner);

    QListWidget* Archivi = nullptr;
    QLineEdit* indirizzo = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Alf = nullptr;
    QLineEdit* Num = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void ArchiviDblClick();
    // Any key: the entry taken is the one highlighted before the key acts.
    void ArchiviKeyDown(int key);
    void EsciClick();
    void Help2Click();

    // Whether a choice made this archive the current one.
    bool ArchiveChanged() const { return changed_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ChooseHighlighted();
    bool changed_ = false;
};

}  // namespace qv
