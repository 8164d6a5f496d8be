#include "core/ui/tcreafile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/compile_run.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/qt_text.h"

namespace qv {

TCreaFile::TCreaFile(QWidget* owner) : QDialog(owner) {
    setObjectName("TCreaFile");
    testo = new QLabel(this);
    testo->setObjectName("testo");
    testo->setWordWrap(true);
    Annulla = new QPushButton(this);
    Annulla->setObjectName("Annulla");
    Annulla->setDefault(true);  // the safe answer
    Cancella = new QPushButton(this);
    Cancella->setObjectName("Cancella");
    Cancella->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Annulla);
    buttons->addWidget(Cancella);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(testo);
    layout->addLayout(buttons);

    connect(Annulla, &QPushButton::clicked, this, &TCreaFile::AnnullaClick);
    connect(Cancella, &QPushButton::clicked, this, &TCreaFile::CancellaClick);

    try {
        FormCreate();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TCreaFile::FormCreate() {
    setWindowTitle(Qs(LoadText(342)));
    Annulla->setText(Qs(LoadText(344)));
    Annulla->setToolTip(Qs(LoadText(345)));
    Cancella->setText(Qs(LoadText(346)));
    Cancella->setToolTip(Qs(LoadText(347)));
    std::string text = LoadText(348) + " " + std::to_string(CoreState.ExistingCardCount) + LoadText(349);
    if (text.size() > 255) text.resize(255);
    testo->setText(Qs(text));
}

void TCreaFile::CancellaClick() {
    answer_ = CompileRunHost::kEraseAnswer;
    accept();
}

void TCreaFile::AnnullaClick() {
    answer_ = 0;
    reject();
}

}  // namespace qv
