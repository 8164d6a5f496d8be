#pragma once
#include <QDialog>
#include <string>

#include "core/ui/widgets_fwd.h"
#include "selection/collective_selection.h"

namespace qv {

// "Ricerca": runs the collective selection over the archive's cards, from an empty selection,
// joined by OR or AND with a saved search, or from the territorial program's selection file.
// The dialog closes after every run. The combination of the last run stays in
// CoreState.CommandCode, where later code finds it.
class TEsegueCollettiva : public QDialog {
    Q_OBJECT
  public:
    explicit TEsegueCollettiva(QWidget* owner);

    QPushButton* PrimaRicerca = nullptr;
    QPushButton* Aggiunge = nullptr;
    QPushButton* Legge = nullptr;
    QPushButton* Geolar = nullptr;
    QProgressBar* Barra = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    QPushButton* Esegue = nullptr;  // hidden: the pass itself

    void FormCreate();
    void PrimaRicercaClick();
    void AggiungeClick();
    void LeggeClick();
    void GeolarClick();
    // The pass, combined by `combination`, which it stores in CommandCode first.
    void EsegueClick(SelectionCombination combination);
    void EsciClick();
    void Help2Click();

  private:
    void RunWithSavedSearch(SelectionCombination combination);
    std::string AskSelectionFile(const char* proposed);
};

// The main window's command: opens the dialog modally with `owner` as its owner.
void OpenCollectiveSelection(QWidget* owner);

}  // namespace qv
