#include "territory/ui/tunita.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/numbers.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/saved_search_files.h"

namespace qv {

namespace {

constexpr int kHelpPage = 89;

CodeRange AllCodes() {
    return {1, TerritoryCount};
}

}  // namespace

TUnita::TUnita(QWidget* owner, TUnitaUse use) : QDialog(owner), use_(use) {
    setObjectName("TUnita");
    if (use_ == TUnitaUse::ValuePicker) keptSelection_ = TerritorySelection;
    FormCreate();
}

TUnita::~TUnita() {
    if (use_ == TUnitaUse::ValuePicker) TerritorySelection = keptSelection_;
}

void TUnita::FormCreate() {
    setWindowTitle(Qs(LoadText(1395)));
    LabelProvince = TextLabel(this, "LabelProvince", 1396);
    LabelComuni = TextLabel(this, "LabelComuni", 1397);
    LabelCerca = TextLabel(this, "LabelCerca", 1398);
    LabelKm = TextLabel(this, "LabelKm", 1399);
    Province = new QListWidget(this);
    Province->setObjectName("Province");
    Comuni = new QListWidget(this);
    Comuni->setObjectName("Comuni");
    Comuni->setSelectionMode(QAbstractItemView::MultiSelection);
    Comuni->installEventFilter(this);
    CercaComune = new QComboBox(this);
    CercaComune->setObjectName("CercaComune");
    Km = new QLineEdit(this);
    Km->setObjectName("Km");
    AttivaProvincia = TextButton(this, "AttivaProvincia", 1400, 1401);
    DisattivaProvincia = TextButton(this, "DisattivaProvincia", 1402, 1403);
    AttivaTutto = TextButton(this, "AttivaTutto", 1404, 1405);
    DisattivaTutto = TextButton(this, "DisattivaTutto", 1406, 1407);
    Cerca = TextButton(this, "Cerca", 1408, 1409);
    AttivaKm = TextButton(this, "AttivaKm", 1410, 1411);
    Salva = TextButton(this, "Salva", 1412, 1413);
    Recupera = TextButton(this, "Recupera", 1414, 1415);
    Esci = TextButton(this, "Esci", 1416);
    Help2 = TextButton(this, "Help2", 1417);

    auto* layout = new QGridLayout(this);
    layout->addWidget(LabelProvince, 0, 0);
    layout->addWidget(LabelComuni, 0, 1);
    layout->addWidget(Province, 1, 0, 6, 1);
    layout->addWidget(Comuni, 1, 1, 6, 1);
    layout->addWidget(AttivaProvincia, 1, 2);
    layout->addWidget(DisattivaProvincia, 2, 2);
    layout->addWidget(AttivaTutto, 3, 2);
    layout->addWidget(DisattivaTutto, 4, 2);
    layout->addWidget(Salva, 5, 2);
    layout->addWidget(Recupera, 6, 2);
    layout->addWidget(LabelCerca, 7, 0);
    layout->addWidget(CercaComune, 7, 1);
    layout->addWidget(Cerca, 7, 2);
    layout->addWidget(LabelKm, 8, 0);
    layout->addWidget(Km, 8, 1);
    layout->addWidget(AttivaKm, 8, 2);
    layout->addWidget(Esci, 9, 1);
    layout->addWidget(Help2, 9, 2);

    connect(Comuni, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        Comuni->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        ComuniClick();
    });
    connect(Comuni, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        Comuni->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        ComuniDblClick();
    });
    connect(Province, &QListWidget::currentRowChanged, this, [this](int) { ProvinceChange(); });
    connect(AttivaProvincia, &QPushButton::clicked, this, &TUnita::AttivaProvinciaClick);
    connect(DisattivaProvincia, &QPushButton::clicked, this, &TUnita::DisattivaProvinciaClick);
    connect(AttivaTutto, &QPushButton::clicked, this, &TUnita::AttivaTuttoClick);
    connect(DisattivaTutto, &QPushButton::clicked, this, &TUnita::DisattivaTuttoClick);
    connect(Cerca, &QPushButton::clicked, this, &TUnita::CercaClick);
    connect(AttivaKm, &QPushButton::clicked, this, &TUnita::AttivaKmClick);
    connect(Km, &QLineEdit::returnPressed, this, &TUnita::AttivaKmClick);
    connect(Salva, &QPushButton::clicked, this, &TUnita::SalvaClick);
    connect(Recupera, &QPushButton::clicked, this, &TUnita::RecuperaClick);
    connect(Esci, &QPushButton::clicked, this, &TUnita::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TUnita::Help2Click);

    searchList_ = ReadComuneSearchList();
    for (const std::string& name : searchList_.names) CercaComune->addItem(Qs(name));
    CercaComune->setCurrentIndex(-1);

    if (CoreState.CardWindowMode < kPointerMode) SetTerritoryCodes(AllCodes(), false);
    provinces_ = ReadProvinceTable();
    answer_ = CoreState.CommandCode;
    ChosenTerritoryCode = answer_;
    if (const int p = ProvinceContaining(provinces_, ChosenTerritoryCode); p >= 0)
        CoreState.ProvinceIndex = p - provinces_.firstValid;
    BuildProvinceList();
    BuildComuneList();
    if (Comuni->count() > 0) Comuni->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    Km->setText(QString::number(KmRadius));
}

void TUnita::BuildProvinceList() {
    provinces_ = ReadProvinceTable();
    const QSignalBlocker block(Province);
    Province->clear();
    for (const std::string& item : ProvinceListItems(provinces_)) Province->addItem(Qs(item));
    Province->setCurrentRow(ListPosition(provinces_, ShownProvince(provinces_)));
}

void TUnita::BuildComuneList() {
    const int p = ShownProvince(provinces_);
    shownCodes_ = p >= 0 ? ProvinceCodes(p) : CodeRange{};
    const std::vector<std::string> names = ComuneNames(shownCodes_);
    const QSignalBlocker block(Comuni);
    Comuni->clear();
    shownProvinceActiveCount_ = 0;
    for (int i = 0; i < int(names.size()); ++i) {
        auto* item = new QListWidgetItem(Qs(names[size_t(i)]), Comuni);
        const bool on = TerritorySelection[size_t(CodeOfItem(i) - 1)] != 0;
        item->setSelected(on);
        shownProvinceActiveCount_ += on ? 1 : 0;
    }
}

void TUnita::ComuniClick() {
    const int row = Comuni->currentRow();
    if (row < 0) return;
    const int code = CodeOfItem(row);
    ChosenTerritoryCode = code;
    answer_ = code;
    uint8_t& flag = TerritorySelection[size_t(code - 1)];
    flag = flag ? 0 : 1;
    Comuni->item(row)->setSelected(flag != 0);
    shownProvinceActiveCount_ += flag ? 1 : -1;
    // The province's mark changes only when its first comune comes or its last one goes.
    if (shownProvinceActiveCount_ == (flag ? 1 : 0)) BuildProvinceList();
}

void TUnita::ComuniDblClick() {
    const int row = Comuni->currentRow();
    if (row < 0) return;
    answer_ = CodeOfItem(row);
    accept();
}

void TUnita::ProvinceChange() {
    const int row = Province->currentRow();
    if (row < 0 || row >= int(provinces_.listed.size())) return;
    CoreState.ProvinceIndex = provinces_.listed[size_t(row)] - provinces_.firstValid;
    BuildComuneList();
}

void TUnita::AttivaProvinciaClick() {
    SetTerritoryCodes(shownCodes_, true);
    BuildProvinceList();
    BuildComuneList();
}

void TUnita::DisattivaProvinciaClick() {
    SetTerritoryCodes(shownCodes_, false);
    BuildProvinceList();
    BuildComuneList();
}

void TUnita::AttivaTuttoClick() {
    SetTerritoryCodes(AllCodes(), true);
    BuildProvinceList();
    BuildComuneList();
}

void TUnita::DisattivaTuttoClick() {
    SetTerritoryCodes(AllCodes(), false);
    BuildProvinceList();
    BuildComuneList();
}

int TUnita::SearchedCode() {
    const int item = CercaComune->currentIndex();
    const int code = AlphabeticalCode(searchList_.records[size_t(item)]);
    answer_ = code;
    ChosenTerritoryCode = code;
    return code;
}

void TUnita::ShowSearchedCode(int code) {
    if (code <= 0) return;
    const int p = ProvinceContaining(provinces_, code);
    CoreState.ProvinceIndex = p >= 0 ? p - provinces_.firstValid : 0;
    BuildProvinceList();
    BuildComuneList();
    if (Comuni->count() == 0) return;
    // The last item first, so that the searched one comes into view at the top.
    Comuni->setCurrentRow(Comuni->count() - 1, QItemSelectionModel::NoUpdate);
    const int row = code - shownCodes_.first;
    if (row >= 0 && row < Comuni->count()) Comuni->setCurrentRow(row, QItemSelectionModel::NoUpdate);
}

void TUnita::CercaClick() {
    if (CercaComune->currentIndex() < 0) return;
    ShowSearchedCode(SearchedCode());
}

void TUnita::AttivaKmClick() {
    if (CercaComune->currentIndex() < 0) return;
    const int code = SearchedCode();
    KmRadius = LeadingInteger(Cp(Km->text()), 50);
    GuardedIo([&] {
        ApplyKmRadius(code, KmRadius);
        ShowSearchedCode(code);
    });
}

void TUnita::SalvaClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.directory = CoreState.ProgramDir;
    request.fileName = "*.tun";
    const std::string chosen = AskFileName(request);
    if (chosen.empty()) return;
    SaveTerritorialSelection(SavedSearchFileName(chosen, ".tun"));
}

void TUnita::RecuperaClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.fileName = "*.tun";
    const std::string chosen = AskFileName(request);
    if (chosen.empty()) return;
    LoadTerritorialSelection(chosen);
    BuildProvinceList();
    BuildComuneList();
}

void TUnita::EsciClick() {
    if (use_ == TUnitaUse::SearchCondition) MarkTerritoryCondition();
    KmRadius = LeadingInteger(Cp(Km->text()), 30);
    accept();
}

void TUnita::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

bool TUnita::eventFilter(QObject* watched, QEvent* event) {
    // The space bar toggles the current comune; the other keys only move through the list.
    if (watched == Comuni && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space) {
            ComuniClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int OpenManualTerritorySelection(QWidget* owner, int code) {
    return ExchangeDialog<TUnita>(owner, code, TUnitaUse::Selection);
}

int OpenComunePicker(QWidget* owner, int code) {
    return ExchangeDialog<TUnita>(
        owner, code,
        CoreState.CardWindowMode == kSelectionMode ? TUnitaUse::SearchCondition : TUnitaUse::ValuePicker);
}

}  // namespace qv
