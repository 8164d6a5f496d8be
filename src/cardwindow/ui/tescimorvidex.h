#pragma once
#include <QDialog>
#include <string>

class QPushButton;

namespace qv {

struct SyncResult;

// The question put when the copy cannot tell which cards this station added: leave without
// copying them?
std::string NotCopiedMessage(const SyncResult& result);

// The exit confirmation. Its buttons keep their historical swapped names: `Si` stays in the
// program (caption "&No"), `No` leaves it (caption "&Si"); the answer is 1 to leave, 0 to stay.
// Leaving with write access first hands this station's new cards to the shared archive, when
// the archive names one; a failed copy is shown and the dialog stays open, and a copy that
// cannot tell which cards are this station's asks whether to leave without copying.
class TEsciMorvidex : public QDialog {
    Q_OBJECT
  public:
    explicit TEsciMorvidex(QWidget* owner);

    QPushButton* Si = nullptr;
    QPushButton* No = nullptr;

    void SiClick();
    void NoClick();
    static constexpr int kLeave = 1;
    int Answer() const { return leave_ ? kLeave : 0; }

  private:
    bool leave_ = false;
};

// The exchange: asks and answers whether to leave, leaving the answer in CoreState.CommandCode.
bool AskToLeave(QWidget* owner);

}  // namespace qv
