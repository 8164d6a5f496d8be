#include "selection/ui/tselezionamaschera.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <filesystem>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/print_mask.h"

namespace qv {

namespace {

constexpr int kHelpPage = 85;
constexpr int kMaskEmptyText = 1841;
constexpr int kMaskCaptionText = 1347;
constexpr int kMaskFilterText = 1985;
constexpr int kReplaceMaskText = 2307;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool HasExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

}  // namespace

bool IsWorkingMask(const std::string& path) {
    const auto normal = [](const std::string& p) {
        return Lower(std::filesystem::path(p).lexically_normal().string());
    };
    return normal(path) == normal(DataFilePath(data_file::kWorkingMask));
}

TSelezionaMaschera::TSelezionaMaschera(QWidget* owner) : QDialog(owner) {
    setObjectName("TSelezionaMaschera");
    FormCreate();
}

void TSelezionaMaschera::FormCreate() {
    setWindowTitle(Qs(LoadText(1347)));
    Visualizza = TextButton(this, "Visualizza", 1348, 1349);
    Button1 = TextButton(this, "Button1", 1350, 1351);
    Apri = TextButton(this, "Apri", 1352, 1353);
    Salva = TextButton(this, "Salva", 1354, 1355);
    Esci = TextButton(this, "Esci", 1356, 1357);
    Help2 = TextButton(this, "Help2", 1358, 1359);
    Status = new QLineEdit(this);
    Status->setObjectName("Status");
    Status->setReadOnly(true);
    answer_ = CoreState.CommandCode;
    if (answer_ == 1) Esci->setText(Qs(LoadText(1365)));
    if (answer_ == 2) Esci->setText(Qs(LoadText(1366)));

    auto* layout = new QGridLayout(this);
    layout->addWidget(Visualizza, 0, 0);
    layout->addWidget(Button1, 0, 1);
    layout->addWidget(Apri, 1, 0);
    layout->addWidget(Salva, 1, 1);
    layout->addWidget(Status, 2, 0, 1, 2);
    layout->addWidget(Esci, 3, 0);
    layout->addWidget(Help2, 3, 1);

    connect(Visualizza, &QPushButton::clicked, this, &TSelezionaMaschera::VisualizzaClick);
    connect(Button1, &QPushButton::clicked, this, &TSelezionaMaschera::Button1Click);
    connect(Apri, &QPushButton::clicked, this, &TSelezionaMaschera::ApriClick);
    connect(Salva, &QPushButton::clicked, this, &TSelezionaMaschera::SalvaClick);
    connect(Esci, &QPushButton::clicked, this, &TSelezionaMaschera::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TSelezionaMaschera::Help2Click);
}

void TSelezionaMaschera::VisualizzaClick() {
    ShowTextViewer(this, ViewerFile::WorkingMask);
    answer_ = int(ViewerFile::WorkingMask);
    Status->clear();
}

std::string TSelezionaMaschera::AskMaskFile(bool save) {
    FileDialogRequest request;
    request.kind = save ? FileDialogKind::Save : FileDialogKind::Open;
    request.directory = CoreState.ArchiveDir;
    request.filter = LoadText(kMaskFilterText);
    return AskFileName(request);
}

void TSelezionaMaschera::ApriClick() {
    const std::string chosen = AskMaskFile(false);
    if (chosen.empty()) return;
    if (IsWorkingMask(chosen)) {
        Status->setText(Qs(LoadText(1362) + " " + DisplayPath(chosen)));
        return;
    }
    CopyFileToWorkingMask(chosen);
    VisualizzaClick();
    Status->setText(Qs(LoadText(1360) + " " + DisplayPath(chosen) + LoadText(1361)));
}

void TSelezionaMaschera::SalvaClick() {
    const std::string chosen = AskMaskFile(true);
    if (chosen.empty()) return;
    if (IsWorkingMask(chosen)) {
        Status->setText(Qs(LoadText(1364) + " " + DisplayPath(chosen)));
        return;
    }
    CopyWorkingMaskToFile(HasExtension(chosen) ? chosen : chosen + ".mas");
    Status->setText(Qs(LoadText(1360) + " " + DisplayPath(chosen) + LoadText(1363)));
}

void TSelezionaMaschera::Button1Click() {
    // A mask the person wrote is replaced only when they say so.
    if (!WorkingMaskEmpty() && !AskYesNo(LoadText(kReplaceMaskText))) return;
    if (!CreateMaskFromDefinition()) {
        Status->setText(Qs(LoadText(1367)));
        return;
    }
    VisualizzaClick();
}

void TSelezionaMaschera::Help2Click() {
    ShowHelpPage(this, kHelpPage);
    answer_ = 0;
}

void TSelezionaMaschera::EsciClick() {
    accept();
}

int OpenPrintMask(QWidget* owner, int commandCode) {
    return ExchangeDialog<TSelezionaMaschera>(owner, commandCode);
}

bool SayWhenMaskEmpty() {
    if (!WorkingMaskEmpty()) return false;
    ShowMessage(
        {LoadText(kMaskEmptyText), LoadText(kMaskCaptionText), MessageButtons::Ok, MessageIcon::Warning, {}});
    return true;
}

}  // namespace qv
