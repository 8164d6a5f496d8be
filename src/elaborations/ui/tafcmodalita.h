#pragma once
#include "core/ui/widgets_fwd.h"
#include "elaborations/ui/pickers.h"

namespace qv {

// The categories of a factor analysis: StandardAfcCategoryFlags over "grl-sch.txt" in
// CoreState.ElaborationMode 1, QuickAfcCategoryFlags over "grl-dat.txt" and "agg-dat.txt" in
// mode 2. The flags are edited in place; there is no cancel.
class TAfcModalita : public GridPicker {
    Q_OBJECT
  public:
    explicit TAfcModalita(QWidget* owner);

    QLabel* Label1 = nullptr;
    QPushButton* Attiva = nullptr;
    QPushButton* Correla = nullptr;
    QPushButton* Salva = nullptr;
    QPushButton* Recupera = nullptr;

    void FormCreate();
    void VariabileClick();
    void AttivaClick();
    void SalvaClick();
    void RecuperaClick();
    void CorrelaClick();

    // 0-based index of the last entry of the list (-1 when it is empty).
    int LastLine() const { return lastLine_; }

  private:
    std::string AskPath(bool save, const char* filter) const;
    int lastLine_ = -1;
};

// Creates the picker with `owner`, shows it modally and destroys it.
void OpenAfcCategoryPicker(QWidget* owner);

}  // namespace qv
