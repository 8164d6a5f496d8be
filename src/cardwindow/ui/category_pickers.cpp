#include "cardwindow/ui/category_pickers.h"

#include <QFont>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>
#include <cstring>
#include <functional>

#include "cardwindow/comune_lookup.h"
#include "cardwindow/entry_options.h"
#include "cardwindow/ui/card_jobs.h"
#include "core/card_store.h"
#include "core/category_lists.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/numbers.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kListHelpPage = 56;
constexpr int kChoiceHelpPage = 84;
constexpr int kEnterKey = 13;

QListWidget* CategoryListBox(QWidget* owner, const char* name, int hint) {
    auto* list = new QListWidget(owner);
    list->setObjectName(name);
    list->setToolTip(Qs(LoadText(hint)));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

void LoadStagedItems(QListWidget* list) {
    list->clear();
    for (const std::string& item : StagedListItems()) list->addItem(Qs(item));
}

// The field's value on the card in hand is highlighted when it names a category of the list.
void HighlightCurrentValue(QListWidget* list) {
    const int value = GetCardWord(CoreState.CurrentField);
    if (value > 0 && value <= list->count()) list->setCurrentRow(value - 1);
}

// The highlighted row, -1 when none.
int Highlighted(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

// Keys and double clicks in a list go to the form's own handlers.
bool ListEvent(QListWidget* list, QObject* watched, QEvent* event, const std::function<void(int)>& keyDown,
               const std::function<void()>& dblClick) {
    if (watched == list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        keyDown(enter ? kEnterKey : key);
        return enter;
    }
    if (watched == list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        dblClick();
        return true;
    }
    return false;
}

}  // namespace

// --- TListaModalita ---

TListaModalita::TListaModalita(QWidget* owner, std::vector<int> among)
    : QDialog(owner), among_(std::move(among)) {
    setObjectName("TListaModalita");
    FormCreate();
}

void TListaModalita::FormCreate() {
    field_ = CoreState.CommandCode;
    setWindowTitle(Qs(LoadText(1435)));
    modalita = CategoryListBox(this, "modalita", 1436);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(13);
    modalita->setFont(font);
    Esci = TextButton(this, "Esci", 1437, 1438);
    Conferma = TextButton(this, "Conferma", 1439, 1440);
    FileListaMod = TextButton(this, "FileListaMod", 1441, 1442);
    HelpModalita = TextButton(this, "HelpModalita", 1443, 1444);
    Help2 = TextButton(this, "Help2", 1445, 1446);
    Status = new QLineEdit(this);
    Status->setObjectName("Status");
    Status->setReadOnly(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(modalita, 0, 0, 1, 5);
    layout->addWidget(Conferma, 1, 0);
    layout->addWidget(FileListaMod, 1, 1);
    layout->addWidget(HelpModalita, 1, 2);
    layout->addWidget(Help2, 1, 3);
    layout->addWidget(Esci, 1, 4);
    layout->addWidget(Status, 2, 0, 1, 5);
    connect(Esci, &QPushButton::clicked, this, &TListaModalita::EsciClick);
    connect(Conferma, &QPushButton::clicked, this, &TListaModalita::ConfermaClick);
    connect(FileListaMod, &QPushButton::clicked, this, &TListaModalita::FileListaModClick);
    connect(HelpModalita, &QPushButton::clicked, this, &TListaModalita::HelpModalitaClick);
    connect(Help2, &QPushButton::clicked, this, &TListaModalita::Help2Click);
    modalita->installEventFilter(this);
    modalita->viewport()->installEventFilter(this);

    modalita->clear();
    WriteCategoryList(field_);
    LoadStagedItems(modalita);
    if (among_.empty()) {
        HighlightCurrentValue(modalita);
        return;
    }
    // Row v - 1 holds category v; only the categories asked for stay, the first highlighted.
    const int listed = modalita->count();
    std::erase_if(among_, [listed](int v) { return v < 1 || v > listed; });
    for (int row = listed - 1; row >= 0; --row)
        if (std::find(among_.begin(), among_.end(), row + 1) == among_.end()) delete modalita->takeItem(row);
    modalita->setCurrentRow(0);
}

int TListaModalita::CategoryOfRow(int row) const {
    if (row < 0) return 0;
    if (among_.empty()) return row + 1;
    return size_t(row) < among_.size() ? among_[size_t(row)] : 0;
}

bool TListaModalita::eventFilter(QObject* watched, QEvent* event) {
    if (ListEvent(
            modalita, watched, event, [this](int key) { modalitaKeyDown(key); },
            [this] { modalitaDblClick(); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TListaModalita::modalitaDblClick() {
    answer_ = CategoryOfRow(Highlighted(modalita));
    accept();
}

void TListaModalita::modalitaKeyDown(int key) {
    answer_ = 0;
    if (key != kEnterKey) return;
    const int row = Highlighted(modalita);
    if (row < 0) return;
    answer_ = CategoryOfRow(row);
    accept();
}

void TListaModalita::ConfermaClick() {
    modalitaDblClick();
}

void TListaModalita::EsciClick() {
    reject();
}

void TListaModalita::reject() {
    answer_ = 0;
    QDialog::reject();
}

void TListaModalita::FileListaModClick() {
    CopyCategoryListFile();
    Status->setText(QStringLiteral("Ok"));
}

void TListaModalita::HelpModalitaClick() {
    const int row = Highlighted(modalita);
    if (row < 0) return;
    WriteCategoryHelp(CoreState.CurrentField, CategoryOfRow(row));
    ShowTextViewer(this, ViewerFile::CategoryHelp);
}

void TListaModalita::Help2Click() {
    ShowHelpPage(this, kListHelpPage);
}

// --- TSceltaModalita ---

TSceltaModalita::TSceltaModalita(QWidget* owner) : QDialog(owner) {
    setObjectName("TSceltaModalita");
    FormCreate();
}

void TSceltaModalita::FormCreate() {
    field_ = CoreState.CommandCode;
    setWindowTitle(Qs(LoadText(1336)));
    Stringa = new QLineEdit(this);
    Stringa->setObjectName("Stringa");
    Stringa->setToolTip(Qs(LoadText(1337)));
    Aggiungere = TextButton(this, "Aggiungere", 1338, 1339);
    Sostituire = TextButton(this, "Sostituire", 1343, 1344);
    Esci = TextButton(this, "Esci", 1341, 1342);
    Help2 = TextButton(this, "Help2", 1345, 1346);
    Modalita = CategoryListBox(this, "Modalita", 1340);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Stringa, 0, 0, 1, 4);
    layout->addWidget(Modalita, 1, 0, 1, 4);
    layout->addWidget(Aggiungere, 2, 0);
    layout->addWidget(Sostituire, 2, 1);
    layout->addWidget(Help2, 2, 2);
    layout->addWidget(Esci, 2, 3);
    connect(Aggiungere, &QPushButton::clicked, this, &TSceltaModalita::AggiungereClick);
    connect(Sostituire, &QPushButton::clicked, this, &TSceltaModalita::SostituireClick);
    connect(Esci, &QPushButton::clicked, this, &TSceltaModalita::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TSceltaModalita::Help2Click);
    Modalita->installEventFilter(this);
    Modalita->viewport()->installEventFilter(this);

    const bool listsMayChange = ReadCategoryListSwitch();
    Aggiungere->setEnabled(listsMayChange);
    Sostituire->setEnabled(listsMayChange);

    selected_ = -10;
    firstField_ = ListFirstField(field_);
    Modalita->clear();
    categoryCount_ = WriteCategoryLabels(field_);
    LoadStagedItems(Modalita);
    HighlightCurrentValue(Modalita);

    // The text typed on the card is offered as the new category, unless it is a number.
    const std::string& buffer = CoreState.EntryBuffer;
    const std::string typed = buffer.substr(0, strnlen(buffer.c_str(), buffer.size()));
    if (!WholeInteger(typed)) Stringa->setText(Qs(typed));
}

bool TSceltaModalita::eventFilter(QObject* watched, QEvent* event) {
    if (ListEvent(
            Modalita, watched, event, [this](int key) { ModalitaKeyDown(key); },
            [this] { ModalitaDblClick(); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TSceltaModalita::ModalitaDblClick() {
    answer_ = Highlighted(Modalita) + 1;
    accept();
}

void TSceltaModalita::ModalitaKeyDown(int key) {
    answer_ = 0;
    if (key != kEnterKey) return;
    const int row = Highlighted(Modalita);
    if (row < 0) return;
    answer_ = row + 1;
    accept();
}

void TSceltaModalita::AggiungereClick() {
    const std::string label = NewCategoryLabel(Cp(Stringa->text()));
    answer_ = 0;
    if (RefusedWithoutWriteAccess()) return;
    // A label the list cannot take leaves the dialog open for another choice.
    if (!AddCategoryToDeclarations(firstField_, categoryCount_, label)) return;
    ++categoryCount_;
    answer_ = categoryCount_;
    accept();
}

void TSceltaModalita::SostituireClick() {
    const std::string label = NewCategoryLabel(Cp(Stringa->text()));
    answer_ = 0;
    if (const int row = Highlighted(Modalita); row >= 0) selected_ = row + 1;
    if (RefusedWithoutWriteAccess()) return;
    // Nothing to replace: the declarations stay as they are and the answer is ignored.
    if (selected_ >= 1 && !ReplaceCategoryInDeclarations(firstField_, selected_, label)) return;
    answer_ = selected_;
    accept();
}

void TSceltaModalita::EsciClick() {
    reject();
}

void TSceltaModalita::reject() {
    answer_ = 0;
    QDialog::reject();
}

void TSceltaModalita::Help2Click() {
    ShowHelpPage(this, kChoiceHelpPage);
}

// --- openers ---

int OpenCategoryList(QWidget* owner, int field) {
    return ExchangeDialog<TListaModalita>(owner, field);
}

int OpenCategoryChoice(QWidget* owner, int field) {
    return ExchangeDialog<TSceltaModalita>(owner, field);
}

int OpenCategoryAmong(QWidget* owner, int field, const std::vector<int>& categories) {
    return ExchangeDialog<TListaModalita>(owner, field, categories);
}

int OpenCategoryPicker(QWidget* owner, CategoryPicker picker, int field) {
    return picker == CategoryPicker::List ? OpenCategoryList(owner, field) : OpenCategoryChoice(owner, field);
}

// --- TSceltaComune ---

TSceltaComune::TSceltaComune(QWidget* owner, std::vector<int> codes)
    : QDialog(owner), codes_(std::move(codes)) {
    setObjectName("TSceltaComune");
    FormCreate();
}

void TSceltaComune::FormCreate() {
    setWindowTitle(Qs(LoadText(2217)));
    Comuni = CategoryListBox(this, "Comuni", 2218);
    Esci = TextButton(this, "Esci", 2219, 2220);
    Conferma = TextButton(this, "Conferma", 2221, 2222);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Comuni, 0, 0, 1, 2);
    layout->addWidget(Conferma, 1, 0);
    layout->addWidget(Esci, 1, 1);
    connect(Conferma, &QPushButton::clicked, this, &TSceltaComune::ConfermaClick);
    connect(Esci, &QPushButton::clicked, this, &TSceltaComune::EsciClick);
    Comuni->installEventFilter(this);
    Comuni->viewport()->installEventFilter(this);
    for (const std::string& item : ComuneChoiceItems(codes_)) Comuni->addItem(Qs(item));
    Comuni->setCurrentRow(0);
}

bool TSceltaComune::eventFilter(QObject* watched, QEvent* event) {
    if (ListEvent(
            Comuni, watched, event, [this](int key) { ComuniKeyDown(key); }, [this] { ComuniDblClick(); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TSceltaComune::ComuniDblClick() {
    const int row = Highlighted(Comuni);
    if (row < 0 || size_t(row) >= codes_.size()) return;
    chosen_ = codes_[size_t(row)];
    accept();
}

void TSceltaComune::ComuniKeyDown(int key) {
    if (key == kEnterKey) ComuniDblClick();
}

void TSceltaComune::ConfermaClick() {
    ComuniDblClick();
}

void TSceltaComune::EsciClick() {
    chosen_ = 0;
    reject();
}

int OpenComuneChoice(QWidget* owner, const std::vector<int>& codes) {
    TSceltaComune dialog(owner, codes);
    ShowModal(dialog);
    return dialog.Chosen();
}

}  // namespace qv
