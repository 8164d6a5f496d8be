#pragma once
#include <QDialog>
#include <string>
#include <vector>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Merge of archives: the list of archives to merge ("ap1-sch.txt", edited through Lista) is
// checked, then the open archive's cards are replaced by the cards of the listed archives.
class TMerge : public QDialog {
    Q_OBJECT
  public:
    explicit TMerge(QWidget* owner);

    QPushButton* Lista = nullptr;
    QProgressBar* Barra = nullptr;
    QPushButton* Esegui = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void ListaClick();
    // Checks the list; runs the merge when it is sound, else shows the report.
    void EseguiClick();
    // The merge of the checked directories.
    void FaiClick();
    void EsciClick();
    void Help2Click();

  private:
    std::vector<std::string> directories_;
};

// Main menu: merge of archives.
void OpenMerge(QWidget* owner);

}  // namespace qv
