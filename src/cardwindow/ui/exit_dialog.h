#pragma once
#include <QDialog>
#include <string>

class QPushButton;

namespace qv {

struct SyncResult;

// What the user is told when the shared archive already holds more cards than this one.
std::string NotCopiedMessage(const SyncResult& result);

// The exit confirmation. Its buttons keep their historical swapped names: `Si` stays in the
// program (caption "&No"), `No` leaves it (caption "&Si"). Answer in CoreState.CommandCode.
// Leaving with write access first hands this station's new cards to the shared archive, when
// the archive names one; a failed copy is shown and the dialog stays open.
class TEsciMorvidex : public QDialog {
    Q_OBJECT
  public:
    explicit TEsciMorvidex(QWidget* owner);

    QPushButton* Si = nullptr;
    QPushButton* No = nullptr;

    void SiClick();
    void NoClick();
};

}  // namespace qv
