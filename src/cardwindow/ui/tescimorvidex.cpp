#include "cardwindow/ui/tescimorvidex.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "cardwindow/shared_archive.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/application.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

constexpr int kNotCopiedText = 1897;
constexpr int kCannotTellText = 2150;
constexpr int kLeaveAnywayText = 2151;

std::string NotCopiedMessage(const SyncResult& result) {
    return LoadText(kNotCopiedText) + " " + DisplayPath(CoreState.OtherArchiveDir) +
           LoadText(kCannotTellText) + " " + std::to_string(result.inQuestion) + LoadText(kLeaveAnywayText);
}

TEsciMorvidex::TEsciMorvidex(QWidget* owner) : QDialog(owner) {
    setObjectName("TEsciMorvidex");
    setWindowTitle(Qs(LoadText(825)));
    Si = new QPushButton(Qs(LoadText(826)), this);
    Si->setObjectName("Si");
    Si->setToolTip(Qs(LoadText(827)));
    No = new QPushButton(Qs(LoadText(828)), this);
    No->setObjectName("No");
    No->setToolTip(Qs(LoadText(829)));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Si);
    layout->addWidget(No);
    Si->setDefault(true);
    connect(Si, &QPushButton::clicked, this, &TEsciMorvidex::SiClick);
    connect(No, &QPushButton::clicked, this, &TEsciMorvidex::NoClick);
}

void TEsciMorvidex::SiClick() {
    leave_ = false;
    reject();
}

void TEsciMorvidex::NoClick() {
    if (ArchiveWritable()) {
        SyncResult result;
        try {
            WaitCursor wait;
            if (SharedArchiveConfigured()) result = SyncToServerArchive();
        } catch (const IoError& e) {
            // Nothing was counted in the shared archive; the user may try again or stay.
            ShowIoError(e);
            return;
        }
        // Nothing was written; the user leaves without copying or stays to sort it out.
        if (result.outcome == SyncOutcome::CannotTell && !AskYesNo(NotCopiedMessage(result), LoadText(825)))
            return;
    }
    leave_ = true;
    accept();
}

bool AskToLeave(QWidget* owner) {
    return AskDialog<TEsciMorvidex>(owner) == TEsciMorvidex::kLeave;
}

}  // namespace qv
