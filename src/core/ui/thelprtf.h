#pragma once
#include <QDialog>

class QTextEdit;

namespace qv {

// The help viewer: help page CoreState.CommandCode of the program directory as rich text. The
// text can be changed on screen and is never saved; Esc closes. A click on a link to another
// page ("help099.rtf") shows that page in the same window; CommandCode stays as the caller set it.
class THelpRTF : public QDialog {
    Q_OBJECT
  public:
    explicit THelpRTF(QWidget* owner);

    QTextEdit* Testo = nullptr;

    void FormCreate();
    void FormResize();
    // Windows key code 27 (Esc) closes the window.
    void TestoKeyDown(int key);
    // Shows the page a link names; answers false, changing nothing, for any other link.
    bool FollowLink(const QString& target);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowPage(int page);
};

// Stores `page` in CoreState.CommandCode and shows the help viewer modally.
void ShowHelpPage(QWidget* owner, int page);

}  // namespace qv
