#include "cardwindow/ui/tpassword.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/thelprtf.h"
#include "platform/io_error.h"
#include "platform/text_file.h"
#include "platform/ui/application.h"
#include "platform/ui/qt_text.h"

namespace qv {

void LoadArchivePassword() {
    ArchivePassword.clear();
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kPassword));
    ArchivePassword = in.ReadLine(100);
}

bool PasswordMatches(const std::string& typed, const std::string& stored) {
    if (stored.empty() || typed.size() != stored.size()) return false;
    const size_t last = stored.size() - 1;
    if (typed.compare(0, last, stored, 0, last) != 0) return false;
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : char(c); };
    return lower(typed[last]) == lower(stored[last]);
}

TPassWord::TPassWord(QWidget* owner) : QDialog(owner) {
    setObjectName("TPassWord");
    setWindowTitle(Qs(LoadText(1110)));
    Label1 = new QLabel(Qs(LoadText(1111)), this);
    Pass = new QLineEdit(this);
    Pass->setObjectName("Pass");
    Pass->setEchoMode(QLineEdit::Password);
    Pass->setMaxLength(100);
    Pass->setToolTip(Qs(LoadText(1112)));
    Esci = new QPushButton(Qs(LoadText(1113)), this);
    Esci->setObjectName("Esci");
    Esci->setToolTip(Qs(LoadText(1114)));
    Esci->setAutoDefault(false);
    VedeHelp = new QPushButton(Qs(LoadText(1115)), this);
    VedeHelp->setObjectName("VedeHelp");
    VedeHelp->setToolTip(Qs(LoadText(1116)));
    VedeHelp->setAutoDefault(false);

    auto* row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(Pass);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Esci);
    buttons->addWidget(VedeHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    connect(Esci, &QPushButton::clicked, this, &TPassWord::EsciClick);
    connect(VedeHelp, &QPushButton::clicked, this, &TPassWord::VedeHelpClick);
    connect(Pass, &QLineEdit::textEdited, this, &TPassWord::PassChange);

    try {
        LoadArchivePassword();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TPassWord::PassChange() {
    CoreState.WriteAccess = 0;
    if (PasswordMatches(Cp(Pass->text()), ArchivePassword)) {
        // Kept for the session: an archive opened read-only refuses its writes by itself.
        CoreState.WriteAccess = 1;
        accept();
    }
}

void TPassWord::EsciClick() {
    CoreState.WriteAccess = 0;
    reject();
}

void TPassWord::VedeHelpClick() {
    ShowHelpPage(this, 68);
}

}  // namespace qv
