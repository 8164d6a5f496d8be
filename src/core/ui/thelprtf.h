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
    // The page it was opened with, which stays in CommandCode after it.
    int Answer() const { return page_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowPage(int page);
    int page_ = 0;
};

// The exchange with the help viewer: `page` stands in CoreState.CommandCode while it is shown
// and after.
void ShowHelpPage(QWidget* owner, int page);
// The same for a form whose later code must not take the page for a value of its own: 0 stands
// in CommandCode after the page.
void ShowHelpPageThenClear(QWidget* owner, int page);

}  // namespace qv
