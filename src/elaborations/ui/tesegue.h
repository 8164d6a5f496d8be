#pragma once
#include <QDialog>

#include "core/ui/widgets_fwd.h"
#include "elaborations/counting_engine.h"
#include "elaborations/ui/batch_jobs.h"

namespace qv {

// The batch runner: OpenBatchRunner stores a job code in CoreState.CommandCode and shows it
// modally; "Esegui" runs the job on the GUI thread with the wait cursor and closes the dialog.
// Jobs 7 and 8 are the counting passes; jobs 2 to 6 are the card window's (batch_jobs.h).
class TEsegue : public QDialog {
    Q_OBJECT
  public:
    explicit TEsegue(QWidget* owner);

    QProgressBar* Barra = nullptr;
    QPushButton* Esegui = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;
    // Hidden: their handlers are the jobs.
    QPushButton* Attribuisce = nullptr;
    QPushButton* Range = nullptr;
    QPushButton* Indicatori = nullptr;
    QPushButton* OrdinaAlfabeticamenteModalita = nullptr;
    QPushButton* ElabTabelle = nullptr;

    // The job code taken when the dialog opened.
    int Job() const { return job_; }

    void FormCreate();
    void EseguiClick();
    void EsciClick();
    void Help2Click();

    void AttribuisceClick();
    void RangeClick();
    void IndicatoriClick();
    void OrdinaAlfabeticamenteModalitaClick();
    // The counting pass `passCode`.
    CountingResult ElabTabelleClick(int passCode);

  private:
    // False when the job met a failure (already shown) and the dialog stays open.
    bool RunJob();
    bool RunCountingJob();
    void RunRegisteredJob(int code);
    int job_ = 0;
};

// Runs the batch runner modally on `job`, which it finds in CoreState.CommandCode; true when
// the job ran and ended well (false after "Esci" or a failure).
bool OpenBatchRunner(QWidget* owner, int job);

}  // namespace qv
