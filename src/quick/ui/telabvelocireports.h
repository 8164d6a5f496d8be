#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"

namespace qv {

// "Reports": applies a saved condition to the selection or refines it (quick selection, linked
// archives), edits the text that titles the report, and opens the report table of the chosen
// column and row sets.
class TElabVelociReports : public QDialog {
    Q_OBJECT
  public:
    explicit TElabVelociReports(QWidget* owner);

    QComboBox* Condizione = nullptr;
    QPushButton* Seleziona = nullptr;
    QPushButton* Cartina = nullptr;  // never enabled
    QPushButton* Ulteriori = nullptr;
    QPushButton* Link = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* Testo = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* colonne = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* righe = nullptr;
    QPushButton* Report = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void SelezionaClick();
    void CartinaClick();
    void UlterioriClick();
    void LinkClick();
    void ReportClick();
    void EsciClick();
    void Help2Click();

  private:
    // After the selection changed elsewhere: the condition last applied and the log again.
    void ShowSelectionState();
    void LoadTesto();
    void SaveTesto();
};

// Creates the dialog with `owner`, shows it modally and destroys it.
void OpenReportTables(QWidget* owner);

}  // namespace qv
