#pragma once
#include <QDialog>
#include <string>

#include "core/compile_run.h"
#include "core/ui/widgets_fwd.h"

namespace qv {

// The archive designer: working folder, card definition editor, create and compile, list of
// archives, card page size. It drives the compile run and answers its questions on screen.
class TEditS2 : public QDialog, public CompileRunHost {
    Q_OBJECT
  public:
    explicit TEditS2(QWidget* owner);

    QTabWidget* PageControl1 = nullptr;

    QWidget* TabSheet1 = nullptr;  // working folder
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* nome = nullptr;
    QPushButton* CreaDir = nullptr;
    QLineEdit* Status2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QPushButton* Help_Creazione = nullptr;

    QWidget* TabSheet2 = nullptr;  // card definition
    QPlainTextEdit* Testo = nullptr;
    QPushButton* Salva = nullptr;
    QPushButton* LeggeScheda = nullptr;
    QPushButton* Help_Scheda = nullptr;
    QLineEdit* Status_Scheda = nullptr;

    QWidget* TabSheet3 = nullptr;  // create and compile
    QPushButton* Crea1 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label13 = nullptr;
    QPushButton* Compila = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* Azzera_Scheda = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label18 = nullptr;
    QPushButton* Help_crea = nullptr;
    QLineEdit* Status1 = nullptr;
    QLineEdit* Status2b = nullptr;
    QLineEdit* Status3 = nullptr;
    QPushButton* CreaCompila = nullptr;  // invisible

    QWidget* TabSheet4 = nullptr;  // list of archives
    QLabel* Label19 = nullptr;
    QPlainTextEdit* Kel_LST2 = nullptr;
    QPushButton* Salva_KEL = nullptr;
    QPushButton* Help_LST = nullptr;
    QLineEdit* Status_KelLST = nullptr;

    QWidget* TabSheet5 = nullptr;  // page size
    QLabel* Label20 = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* Label22 = nullptr;
    QLineEdit* x = nullptr;
    QLineEdit* y = nullptr;
    QPushButton* Help_Dimensione = nullptr;

    QPushButton* Esci = nullptr;
    QPushButton* Help_Generale = nullptr;
    QPushButton* xy = nullptr;

    void FormCreate();
    void CreaDirClick();
    void LeggeSchedaClick();
    void SalvaClick();
    void TestoChange();
    void Crea1Click();
    void CompilaClick();
    void Azzera_SchedaClick();
    // The compile run, with the create flag the last command set.
    void CreaCompilaClick();
    void Salva_KELClick();
    void xyClick();
    void EsciClick();
    void Help_GeneraleClick();
    void Help_CreazioneClick();
    void Help_SchedaClick();
    void Help_creaClick();
    void Help_LSTClick();
    void Help_DimensioneClick();

    // The compile run's questions, answered on screen.
    bool ConfirmEraseCards() override;
    void ShowErrorList() override;
    void ShowStatus(StatusBox box, int textNumber) override;

    // What the last compile run answered.
    const CompileRunResult& LastRun() const { return lastRun_; }

    // Esc and the close box; like Esci they ask first when the source was changed.
    void reject() override;

  private:
    void BuildPages();
    void SetCaptions();
    // Every command starts by taking the folder typed into CoreState.DesignerDir.
    void TakeFolder();
    // ... and some store it in "dir-edit.imp" and show it back; false (with the refusal shown)
    // when it cannot be written into the program's files.
    bool StoreFolder();
    bool FolderStorable() const;
    std::string SourcePathShown() const;

    // Asks about a changed source: false when the designer stays open.
    bool MayLeave();

    QString sourceShown_;  // the source as loaded or last saved
    bool createFlag_ = false;
    CompileRunResult lastRun_;
};

}  // namespace qv
