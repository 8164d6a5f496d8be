#pragma once
#include <QDialog>
#include <array>

#include "core/ui/widgets_fwd.h"

namespace qv {

// Asks for the print scale just before the map is printed: CoreState.ProceedFlag is 1 only after
// "Continua".
class TOpzioniStampaCartina : public QDialog {
    Q_OBJECT
  public:
    explicit TOpzioniStampaCartina(QWidget* owner);

    QLabel* LabelX = nullptr;
    QLabel* LabelY = nullptr;
    QLineEdit* x = nullptr;
    QLineEdit* y = nullptr;
    QPushButton* Continua = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void ContinuaClick();
    void Help2Click();
};

// The heights of the characters of sigle, comuni, values and legend, for the screen and for the
// printer.
class TStampe : public QDialog {
    Q_OBJECT
  public:
    explicit TStampe(QWidget* owner);

    QLabel* LabelAltezza = nullptr;
    QComboBox* Sigle = nullptr;
    QComboBox* Comuni = nullptr;
    QComboBox* Valori = nullptr;
    QComboBox* Legenda = nullptr;
    QComboBox* Sigle2 = nullptr;
    QComboBox* Comuni2 = nullptr;
    QComboBox* Valori2 = nullptr;
    QComboBox* Legenda2 = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help2 = nullptr;

    void FormCreate();
    void EsciClick();
    void Help2Click();

  private:
    // The eight lists in the order of the settings file.
    std::array<QComboBox*, 8> Lists() const {
        return {Sigle, Comuni, Valori, Legenda, Sigle2, Comuni2, Valori2, Legenda2};
    }
};

// The comment printed under the map; kept when the dialog is left with "Esci" or Esc in the memo.
class TCommentoStampa : public QDialog {
    Q_OBJECT
  public:
    explicit TCommentoStampa(QWidget* owner);

    QLabel* LabelCommento = nullptr;
    QPlainTextEdit* testo = nullptr;
    QPushButton* Esci = nullptr;

    void FormCreate();
    void EsciClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

void OpenPrintScaleDialog(QWidget* owner);
void OpenPrintFontDialog(QWidget* owner);
void OpenPrintCommentDialog(QWidget* owner);

}  // namespace qv
