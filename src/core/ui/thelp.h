#pragma once
#include <QDialog>
#include <string>

#include "core/text_viewer.h"
#include "core/ui/widgets_fwd.h"

class QAction;

namespace qv {

// The text viewer and editor: shows the file chosen by CoreState.CommandCode (a report, a list,
// a grid, a rule file, the card's notes) and saves or prints it. The selector is read once,
// when the window is created.
class THelp : public QDialog {
    Q_OBJECT
  public:
    explicit THelp(QWidget* owner);

    QMenuBar* Menu = nullptr;
    QAction* Esci1 = nullptr;
    QAction* Salva1 = nullptr;
    QAction* Stampa1 = nullptr;
    QPlainTextEdit* Testo = nullptr;
    QPushButton* MetteCaption = nullptr;  // invisible

    void FormCreate();
    void FormResize();
    void MetteCaptionClick();
    void Esci1Click();
    void Salva1Click();
    void Stampa1Click();

    // The memo's lines, Windows-1252.
    std::vector<std::string> MemoLines() const;

    // Leaving (Esci, Esc, the close box) asks first when the text was changed.
    void reject() override;
    // The selector it was opened with, which stays in CommandCode after it.
    int Answer() const { return int(file_); }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void LoadMemoFromStaging();
    // Saves as the selector says; answers whether the window then closes.
    bool SaveMemo();
    bool SaveAllowed() const;
    bool TextChanged() const;
    QString original_;  // the text as loaded or last saved
    ViewerFile file_ = ViewerFile::Report;
    std::string path_;
    std::string caption_;
};

// The exchange with the text viewer: `file` stands in CoreState.CommandCode while it is shown
// and after.
void ShowTextViewer(QWidget* owner, ViewerFile file);

}  // namespace qv
