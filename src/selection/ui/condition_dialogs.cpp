#include "selection/ui/condition_dialogs.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>

#include "core/category_lists.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/text_file.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/field_conditions.h"

namespace qv {

namespace {

constexpr int kCategoryHelpPage = 78;
constexpr int kDateHelpPage = 76;
constexpr int kQuantityHelpPage = 80;
constexpr int kClearHelpPage = 23;

// A list whose rows show flags: the mouse and the keys never select rows themselves; a click,
// or the space bar on the current row, asks the owner to turn the row's flag over. Whatever
// else moves the selection is put back to the flags.
class FlagListWidget : public QListWidget {
  public:
    FlagListWidget(QWidget* parent, std::function<void(int)> toggle, std::function<bool(int)> isSet)
        : QListWidget(parent), toggle_(std::move(toggle)), isSet_(std::move(isSet)) {
        setSelectionMode(QAbstractItemView::MultiSelection);
        connect(this, &QListWidget::clicked, this, [this](const QModelIndex& i) { toggle_(i.row()); });
        connect(this, &QListWidget::itemSelectionChanged, this, [this] { ShowFlags(); });
    }
    void ShowFlags() {
        if (showing_) return;
        showing_ = true;
        for (int r = 0; r < count(); ++r)
            if (item(r)->isSelected() != isSet_(r)) item(r)->setSelected(isSet_(r));
        showing_ = false;
    }

  protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex&, const QEvent*) const override {
        return QItemSelectionModel::NoUpdate;
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Space && currentRow() >= 0) {
            toggle_(currentRow());
            return;
        }
        QListWidget::keyPressEvent(event);
    }

  private:
    std::function<void(int)> toggle_;
    std::function<bool(int)> isSet_;
    bool showing_ = false;
};

}  // namespace

// ---- TRicModalita ----

TRicModalita::TRicModalita(QWidget* owner) : QDialog(owner) {
    setObjectName("TRicModalita");
    FormCreate();
}

void TRicModalita::FormCreate() {
    setWindowTitle(Qs(LoadText(1274)));
    Modalita = new FlagListWidget(
        this, [this](int row) { ModalitaClick(row); },
        [this](int row) {
            const uint8_t* flag = CategoryWantedFlag(field_, row + 1);
            return flag && *flag;
        });
    Modalita->setObjectName("Modalita");
    Modalita->setToolTip(Qs(LoadText(1275)));
    Esci = TextButton(this, "Esci", 1276, 1277);
    Attiva = TextButton(this, "Attiva", 1278, 1279);
    Cancella = TextButton(this, "Cancella", 1280, 1281);
    Help2 = TextButton(this, "Help2", 1282, 1283);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Modalita, 0, 0, 1, 4);
    layout->addWidget(Esci, 1, 0);
    layout->addWidget(Attiva, 1, 1);
    layout->addWidget(Cancella, 1, 2);
    layout->addWidget(Help2, 1, 3);

    field_ = CoreState.CommandCode;
    WriteCategoryList(field_);
    const auto lines = TextReader::ReadLines(DataFilePath(data_file::kListStaging));
    if (lines) {
        for (const std::string& line : *lines) Modalita->addItem(Qs(line));
    }
    for (int row = 0; row < Modalita->count(); ++row) {
        const uint8_t* flag = CategoryWantedFlag(field_, row + 1);
        Modalita->item(row)->setSelected(flag && *flag);
    }

    connect(Esci, &QPushButton::clicked, this, &TRicModalita::EsciClick);
    connect(Attiva, &QPushButton::clicked, this, &TRicModalita::AttivaClick);
    connect(Cancella, &QPushButton::clicked, this, &TRicModalita::CancellaClick);
    connect(Help2, &QPushButton::clicked, this, &TRicModalita::Help2Click);
}

void TRicModalita::ModalitaClick(int row) {
    if (row < 0 || row >= Modalita->count()) return;
    uint8_t* flag = CategoryWantedFlag(field_, row + 1);
    if (!flag) return;
    *flag = *flag ? 0 : 1;
    Modalita->item(row)->setSelected(*flag != 0);
}

void TRicModalita::SetAll(uint8_t flag) {
    for (int v = 1; v <= FieldCategoryCount(field_); ++v)
        if (uint8_t* f = CategoryWantedFlag(field_, v)) *f = flag;
    for (int row = 0; row < Modalita->count(); ++row) Modalita->item(row)->setSelected(flag != 0);
}

void TRicModalita::AttivaClick() {
    SetAll(1);
}

void TRicModalita::CancellaClick() {
    SetAll(0);
}

void TRicModalita::EsciClick() {
    UpdateCategoryGroupCondition(field_);
    accept();
}

void TRicModalita::Help2Click() {
    ShowHelpPage(this, kCategoryHelpPage);
}

// ---- TRicData ----

TRicData::TRicData(QWidget* owner) : QDialog(owner) {
    setObjectName("TRicData");
    FormCreate();
}

void TRicData::FormCreate() {
    setWindowTitle(Qs(LoadText(1249)));
    Label3 = TextLabel(this, "Label3", 1250);
    Label1 = TextLabel(this, "Label1", 1251);
    data1 = HintEdit(this, "data1", 1252);
    Label2 = TextLabel(this, "Label2", 1253);
    data2 = HintEdit(this, "data2", 1254);
    Esci = TextButton(this, "Esci", 1255, 1256);
    Help2 = TextButton(this, "Help2", 1257, 1258);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label3, 0, 1);
    layout->addWidget(Label1, 1, 0);
    layout->addWidget(data1, 1, 1);
    layout->addWidget(Label2, 2, 0);
    layout->addWidget(data2, 2, 1);
    layout->addWidget(Esci, 3, 0);
    layout->addWidget(Help2, 3, 1);

    // A date field past the 30th has no bounds: it shows the open period.
    const int d = DateFieldOrdinal(CoreState.CurrentField);
    const bool placed =
        TypeOrNone(CoreState.CurrentField) == FieldType::kDate && d >= 1 && d <= kDateConditionSlots;
    data1->setText(Qs(FormatDateBound(placed ? DateConditionFrom[size_t(d)] : 0)));
    data2->setText(Qs(FormatDateBound(placed ? DateConditionTo[size_t(d)] : 0)));

    connect(Esci, &QPushButton::clicked, this, &TRicData::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TRicData::Help2Click);
}

void TRicData::EsciClick() {
    StoreDateCondition(CoreState.CurrentField, ParseDateBound(Cp(data1->text())),
                       ParseDateBound(Cp(data2->text())));
    accept();
}

void TRicData::Help2Click() {
    ShowHelpPage(this, kDateHelpPage);
}

// ---- TRicQuantita ----

TRicQuantita::TRicQuantita(QWidget* owner) : QDialog(owner) {
    setObjectName("TRicQuantita");
    FormCreate();
}

void TRicQuantita::FormCreate() {
    setWindowTitle(Qs(LoadText(1295)));
    Label1 = TextLabel(this, "Label1", 1296);
    q1 = HintEdit(this, "q1", 1297);
    Label2 = TextLabel(this, "Label2", 1298);
    q2 = HintEdit(this, "q2", 1299);
    Esci = TextButton(this, "Esci", 1300, 1301);
    Help2 = TextButton(this, "Help2", 1302, 1303);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(q1, 0, 1);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(q2, 1, 1);
    layout->addWidget(Esci, 2, 0);
    layout->addWidget(Help2, 2, 1);

    const int type = TypeOrNone(CoreState.CurrentField);
    const int i = NumericFieldOrdinal(CoreState.CurrentField);
    const bool placed = i >= 1 && i <= kNumericConditionSlots;
    q1->setText(Qs(FormatNumericBound(type, placed ? NumericConditionLow[size_t(i)] : kEmptyNumber)));
    q2->setText(Qs(FormatNumericBound(type, placed ? NumericConditionHigh[size_t(i)] : kEmptyNumber)));

    connect(Esci, &QPushButton::clicked, this, &TRicQuantita::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TRicQuantita::Help2Click);
}

void TRicQuantita::EsciClick() {
    const int type = TypeOrNone(CoreState.CurrentField);
    StoreNumericCondition(CoreState.CurrentField, ParseNumericBound(type, Cp(q1->text())),
                          ParseNumericBound(type, Cp(q2->text())));
    accept();
}

void TRicQuantita::Help2Click() {
    ShowHelpPage(this, kQuantityHelpPage);
}

// ---- TAzzeraRicerca ----

TAzzeraRicerca::TAzzeraRicerca(QWidget* owner) : QDialog(owner) {
    setObjectName("TAzzeraRicerca");
    FormCreate();
}

void TAzzeraRicerca::FormCreate() {
    setWindowTitle(Qs(LoadText(211)));
    Statistiche = TextButton(this, "Statistiche", 212, 213);
    Condizioni = TextButton(this, "Condizioni", 214, 215);
    Ok1 = OutcomeEdit(this, "Ok1");
    Ok2 = OutcomeEdit(this, "Ok2");
    Esci = TextButton(this, "Esci", 216, 217);
    Help2 = TextButton(this, "Help2", 218, 219);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Statistiche, 0, 0);
    layout->addWidget(Ok1, 0, 1);
    layout->addWidget(Condizioni, 1, 0);
    layout->addWidget(Ok2, 1, 1);
    layout->addWidget(Esci, 2, 0);
    layout->addWidget(Help2, 2, 1);

    connect(Statistiche, &QPushButton::clicked, this, &TAzzeraRicerca::StatisticheClick);
    connect(Condizioni, &QPushButton::clicked, this, &TAzzeraRicerca::CondizioniClick);
    connect(Esci, &QPushButton::clicked, this, &TAzzeraRicerca::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TAzzeraRicerca::Help2Click);
}

void TAzzeraRicerca::StatisticheClick() {
    ClearStatisticsMarks();
    Ok1->setText(QStringLiteral("Ok"));
}

void TAzzeraRicerca::CondizioniClick() {
    ClearSearchCriteria();
    Ok2->setText(QStringLiteral("Ok"));
}

void TAzzeraRicerca::EsciClick() {
    accept();
}

void TAzzeraRicerca::Help2Click() {
    ShowHelpPage(this, kClearHelpPage);
}

// ---- openers ----

int OpenCategoryCondition(QWidget* owner, int field) {
    const int head = AnswerGroupHead(field);
    return PassToDialog<TRicModalita>(owner, head > 0 ? head : field);
}

void OpenDateCondition(QWidget* owner) {
    TRicData dialog(owner);
    ShowModal(dialog);
}

void OpenQuantityCondition(QWidget* owner) {
    TRicQuantita dialog(owner);
    ShowModal(dialog);
}

void OpenClearSearch(QWidget* owner) {
    TAzzeraRicerca dialog(owner);
    ShowModal(dialog);
}

void RegisterConditionDialogs() {
    RegisterCardExchange(CardDialog::CategoryCondition, &OpenCategoryCondition);
    RegisterCardDialog(CardDialog::DateCondition, &OpenDateCondition);
    RegisterCardDialog(CardDialog::QuantityCondition, &OpenQuantityCondition);
}

}  // namespace qv
