#include "elaborations/ui/pickers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "core/data_files.h"
#include "core/station_settings.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "elaborations/count_table.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/viewer_calls.h"
#include "platform/io_error.h"
#include "platform/text_file.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

// The list of grid lines grows with its longest line up to this width; past it, it scrolls.
constexpr int kMaxListWidth = 560;

bool QuickMode() {
    return CoreState.ElaborationMode == 2;
}

// The file of the flags' owner: the standard grid or the quick one.
std::string GridPath() {
    return DataFilePath(QuickMode() ? data_file::kQuickGrid : data_file::kGrid);
}
std::string ExtrasPath() {
    return QuickMode() ? DataFilePath(data_file::kAdditionalVariables) : std::string();
}
std::string HeadingsPath() {
    return DataFilePath(QuickMode() ? data_file::kQuickHeadings : data_file::kHeadings);
}

}  // namespace

PickerContents ReadPickerContents(const std::string& gridPath, const std::string& extrasPath,
                                  const std::string& headingsPath) {
    PickerContents c;
    TextReader grid;
    if (grid.Open(gridPath)) {
        while (!grid.Eof() && int(c.Items.size()) < kMaxGridLines) {
            GridLine line = ParseGridLine(grid.ReadLine(kGridLineWidth), nullptr);
            if (line.OpensVariable) c.VariableStarts.push_back(int(c.Items.size()));
            c.Items.push_back(std::move(line.Label));
        }
    }
    c.GridLines = int(c.Items.size());
    TextReader extras;
    if (!extrasPath.empty() && extras.Open(extrasPath)) {
        // Two lines per additional variable: its name after a mark character, then its rule.
        while (!extras.Eof() && int(c.Items.size()) < kMaxGridLines) {
            const std::string name = extras.ReadLine(300);
            c.Items.push_back(name.empty() ? name : name.substr(1));
            if (!extras.Eof()) extras.SkipLine();
        }
    }
    TextReader headings;
    if (headings.Open(headingsPath)) {
        std::vector<std::string> block;
        while (!headings.Eof()) {
            std::string line = headings.ReadLine();
            if (line.compare(0, 3, "///") == 0) {
                c.Variables.push_back(block.size() > 3 ? block[3] : std::string());
                block.clear();
            } else {
                block.push_back(std::move(line));
            }
        }
    }
    return c;
}

std::string PickerRowText(const PickerContents& c, int row) {
    const std::string& label = c.Items.at(size_t(row));
    if (row >= c.GridLines) return label;
    const auto next = std::upper_bound(c.VariableStarts.begin(), c.VariableStarts.end(), row);
    const size_t variable = size_t(next - c.VariableStarts.begin());
    if (variable == 0 || variable > c.Variables.size()) return label;
    const std::string& caption = c.Variables[variable - 1];
    const std::string word = label.substr(0, label.find(' '));
    if (word.empty() || caption.size() <= word.size() || caption.compare(0, word.size(), word) != 0)
        return label;
    return caption + ":" + label.substr(word.size());
}

QListWidget* FlagListBox(QWidget* owner, std::function<void(int row)> click) {
    auto* list = new QListWidget(owner);
    list->setObjectName("modalita");
    // Clicks toggle the flags; the selection only shows them.
    list->setSelectionMode(QAbstractItemView::NoSelection);
    QObject::connect(list, &QListWidget::itemClicked, owner,
                     [list, click = std::move(click)](QListWidgetItem* item) { click(list->row(item)); });
    return list;
}

void ShowFlagSelection(QListWidget* list, const FlagList& flags, QLineEdit* count) {
    // The selection model is set directly: the list takes no selection of its own from clicks.
    QItemSelectionModel* model = list->selectionModel();
    int selected = 0;
    for (int i = 0; i < list->count(); ++i) {
        const bool on = flags[size_t(i)] != 0;
        const QModelIndex index = list->model()->index(i, 0);
        if (model->isSelected(index) != on)
            model->select(index, on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
        selected += on;
    }
    count->setText(QString::number(selected));
}

std::string AskRunListName(FileDialogKind kind, const std::string& filter) {
    FileDialogRequest request;
    request.kind = kind;
    request.directory = CoreState.ProgramDir;
    request.filter = filter;
    return AskFileName(request);
}

GridPicker::GridPicker(QWidget* owner, const char* name) : QDialog(owner) {
    setObjectName(name);
    modalita = FlagListBox(this, [this](int row) { modalitaClick(row); });
    Variabile = new QComboBox(this);
    Variabile->setObjectName("Variabile");
    nRighe = new QLineEdit(this);
    nRighe->setObjectName("nRighe");
    nRighe->setReadOnly(true);
}

void GridPicker::Fill(FlagList& flags, const std::string& gridPath, const std::string& extrasPath,
                      const std::string& headingsPath) {
    flags_ = &flags;
    contents_ = ReadPickerContents(gridPath, extrasPath, headingsPath);
    TextBuilder staging;
    for (const std::string& item : contents_.Items) staging.Line(item);
    try {
        staging.Save(DataFilePath(data_file::kListStaging));
    } catch (const IoError& e) {
        ShowIoError(e);
    }
    modalita->clear();
    for (int row = 0; row < int(contents_.Items.size()); ++row)
        modalita->addItem(Qs(PickerRowText(contents_, row)));
    // Wide enough for its lines, so that the end of a long caption does not hide the category.
    modalita->setMinimumWidth(std::min(kMaxListWidth, modalita->sizeHintForColumn(0) +
                                                          2 * modalita->frameWidth() +
                                                          modalita->verticalScrollBar()->sizeHint().width()));
    Variabile->clear();
    for (const std::string& v : contents_.Variables) Variabile->addItem(Qs(v));
    ShowFlags();
    if (modalita->count() > 0) modalita->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void GridPicker::ShowFlags() {
    ShowFlagSelection(modalita, *flags_, nRighe);
}

void GridPicker::modalitaClick(int item) {
    if (item < 0 || item >= modalita->count()) return;
    uint8_t& flag = (*flags_)[size_t(item)];
    if (!flag && limit_ > 0) {
        int selected = 0;
        for (int i = 0; i < modalita->count(); ++i) selected += (*flags_)[size_t(i)] != 0;
        if (selected >= limit_) return;
    }
    flag = flag ? 0 : 1;
    ShowFlags();
}

void GridPicker::DisattivaClick() {
    flags_->fill(0);
    ShowFlags();
}

void GridPicker::EsciClick() {
    accept();
}

void GridPicker::Help2Click() {
    OpenHelpPage(this, helpPage_);
}

bool GridPicker::VariableLines(int index, int& first, int& last) const {
    const auto& starts = contents_.VariableStarts;
    if (index < 0 || index >= int(starts.size())) return false;
    first = starts[size_t(index)];
    last = size_t(index) + 1 < starts.size() ? starts[size_t(index) + 1] - 1 : contents_.GridLines - 1;
    return true;
}

void GridPicker::ScrollToVariable() {
    int first = 0, last = 0;
    if (!VariableLines(Variabile->currentIndex(), first, last) || modalita->count() == 0) return;
    // The last item first, then the start line: the start line comes to the top.
    modalita->setCurrentRow(modalita->count() - 1, QItemSelectionModel::NoUpdate);
    modalita->scrollToItem(modalita->item(modalita->count() - 1));
    modalita->setCurrentRow(first, QItemSelectionModel::NoUpdate);
    modalita->scrollToItem(modalita->item(first), QAbstractItemView::PositionAtTop);
}

void GridPicker::SetVariableFlags(uint8_t value) {
    int first = 0, last = 0;
    if (!VariableLines(Variabile->currentIndex(), first, last)) return;
    for (int i = first; i <= last; ++i) (*flags_)[size_t(i)] = value;
    ShowFlags();
}

void GridPicker::SaveFlags(const std::string& filter) {
    const std::string path = AskRunListName(FileDialogKind::Save, filter);
    if (path.empty()) return;
    try {
        SaveSelectionRunList(path, *flags_);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void GridPicker::RestoreFlags(const std::string& filter) {
    const std::string path = AskRunListName(FileDialogKind::Open, filter);
    if (path.empty()) return;
    for (int i = 0; i < modalita->count(); ++i) (*flags_)[size_t(i)] = 0;
    LoadSelectionRunList(path, *flags_);
    ShowFlags();
}

// -----------------------------------------------------------------------------------------------

TRighe::TRighe(QWidget* owner) : GridPicker(owner, "TRighe") {
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Attiva = TextButton(this, "Attiva", 1308, 1309);
    Disattiva = TextButton(this, "Disattiva", 1310, 1311);
    AttivaVar = TextButton(this, "AttivaVar", 1312, 1313);
    DisattivaVar = TextButton(this, "DisattivaVar", 1314, 1315);
    Salva = TextButton(this, "Salva", 1316, 1317);
    Recupera = TextButton(this, "Recupera", 1318, 1319);
    Esci = TextButton(this, "Esci", 1320, 1321);
    Help2 = TextButton(this, "Help2", 1322, 1323);

    auto* layout = new QGridLayout(this);
    layout->addWidget(modalita, 0, 0, 8, 1);
    layout->addWidget(Label1, 0, 1);
    layout->addWidget(Variabile, 1, 1);
    layout->addWidget(nRighe, 2, 1);
    layout->addWidget(Attiva, 3, 1);
    layout->addWidget(Disattiva, 4, 1);
    layout->addWidget(AttivaVar, 5, 1);
    layout->addWidget(DisattivaVar, 6, 1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : {Salva, Recupera, Esci, Help2}) row->addWidget(b);
    layout->addLayout(row, 8, 0, 1, 2);

    connect(Variabile, qOverload<int>(&QComboBox::activated), this, &TRighe::VariabileClick);
    connect(Attiva, &QPushButton::clicked, this, &TRighe::AttivaClick);
    connect(Disattiva, &QPushButton::clicked, this, &TRighe::DisattivaClick);
    connect(AttivaVar, &QPushButton::clicked, this, &TRighe::AttivaVarClick);
    connect(DisattivaVar, &QPushButton::clicked, this, &TRighe::DisattivaVarClick);
    connect(Salva, &QPushButton::clicked, this, &TRighe::SalvaClick);
    connect(Recupera, &QPushButton::clicked, this, &TRighe::RecuperaClick);
    connect(Esci, &QPushButton::clicked, this, &TRighe::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TRighe::Help2Click);
    FormCreate();
}

void TRighe::FormCreate() {
    setWindowTitle(Qs(LoadText(1304)));
    modalita->setToolTip(Qs(LoadText(1305)));
    Variabile->setToolTip(Qs(LoadText(1306)));
    nRighe->setToolTip(Qs(LoadText(1307)));
    Label1->setText(Qs(LoadText(1324)));
    helpPage_ = 81;
    Fill(QuickMode() ? QuickRowFlags : StandardRowFlags, GridPath(), ExtrasPath(), HeadingsPath());
}

void TRighe::VariabileClick() {
    ScrollToVariable();
}

void TRighe::AttivaClick() {
    for (int i = 0; i < modalita->count(); ++i) Flags()[size_t(i)] = 1;
    ShowFlags();
}

void TRighe::AttivaVarClick() {
    SetVariableFlags(1);
}
void TRighe::DisattivaVarClick() {
    SetVariableFlags(0);
}
void TRighe::SalvaClick() {
    SaveFlags("*.srg");
}
void TRighe::RecuperaClick() {
    RestoreFlags("*.srg");
}

// -----------------------------------------------------------------------------------------------

TColonne::TColonne(QWidget* owner) : GridPicker(owner, "TColonne") {
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Disattiva = TextButton(this, "Disattiva", 253, 254);
    Esci = TextButton(this, "Esci", 255, 256);
    Help2 = TextButton(this, "Help2", 257, 258);

    auto* layout = new QGridLayout(this);
    layout->addWidget(modalita, 0, 0, 5, 1);
    layout->addWidget(Label1, 0, 1);
    layout->addWidget(Variabile, 1, 1);
    layout->addWidget(nRighe, 2, 1);
    layout->addWidget(Disattiva, 3, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(Esci);
    row->addWidget(Help2);
    layout->addLayout(row, 5, 0, 1, 2);

    connect(Variabile, qOverload<int>(&QComboBox::activated), this, &TColonne::VariabileClick);
    connect(Disattiva, &QPushButton::clicked, this, &TColonne::DisattivaClick);
    connect(Esci, &QPushButton::clicked, this, &TColonne::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TColonne::Help2Click);
    FormCreate();
}

void TColonne::FormCreate() {
    setWindowTitle(Qs(LoadText(249)));
    modalita->setToolTip(Qs(LoadText(250)));
    Variabile->setToolTip(Qs(LoadText(251)));
    nRighe->setToolTip(Qs(LoadText(252)));
    Label1->setText(Qs(LoadText(259)));
    helpPage_ = 26;
    limit_ = kMaxCountedColumns;
    Fill(QuickMode() ? QuickColumnFlags : StandardColumnFlags, GridPath(), ExtrasPath(), HeadingsPath());
}

void TColonne::VariabileClick() {
    ScrollToVariable();
}

// -----------------------------------------------------------------------------------------------

TColMaxSim::TColMaxSim(QWidget* owner) : GridPicker(owner, "TColMaxSim") {
    Disattiva = TextButton(this, "Disattiva", 234, 235);
    Salva = TextButton(this, "Salva", 236, 237);
    Recupera = TextButton(this, "Recupera", 238, 239);
    Esci = TextButton(this, "Esci", 240, 241);
    Help2 = TextButton(this, "Help2", 242, 243);

    auto* layout = new QGridLayout(this);
    layout->addWidget(modalita, 0, 0, 4, 1);
    layout->addWidget(Variabile, 0, 1);
    layout->addWidget(nRighe, 1, 1);
    layout->addWidget(Disattiva, 2, 1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : {Salva, Recupera, Esci, Help2}) row->addWidget(b);
    layout->addLayout(row, 4, 0, 1, 2);

    connect(Disattiva, &QPushButton::clicked, this, &TColMaxSim::DisattivaClick);
    connect(Salva, &QPushButton::clicked, this, &TColMaxSim::SalvaClick);
    connect(Recupera, &QPushButton::clicked, this, &TColMaxSim::RecuperaClick);
    connect(Esci, &QPushButton::clicked, this, &TColMaxSim::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TColMaxSim::Help2Click);
    FormCreate();
}

void TColMaxSim::FormCreate() {
    list_ = CoreState.CommandCode >= 1 && CoreState.CommandCode <= 4 ? CoreState.CommandCode : 1;
    setWindowTitle(Qs(LoadText(244 + list_)));
    modalita->setToolTip(Qs(LoadText(231)));
    Variabile->setToolTip(Qs(LoadText(232)));
    nRighe->setToolTip(Qs(LoadText(233)));
    helpPage_ = 25;
    own_.fill(0);
    LoadSelectionRunList(ListPath(), own_);
    Fill(own_, DataFilePath(data_file::kGrid), std::string(), DataFilePath(data_file::kHeadings));
}

std::string TColMaxSim::ListPath() const {
    return DataFilePath(data_file::kMaxSimListStem) + std::to_string(list_);
}

std::string TColMaxSim::Filter() const {
    return "MS" + std::to_string(list_) + " *.DAT";
}

void TColMaxSim::EsciClick() {
    try {
        SaveSelectionRunList(ListPath(), own_);
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    accept();
}

void TColMaxSim::SalvaClick() {
    SaveFlags(Filter());
}
void TColMaxSim::RecuperaClick() {
    RestoreFlags(Filter());
}

// -----------------------------------------------------------------------------------------------

void OpenRowPicker(QWidget* owner) {
    TRighe picker(owner);
    ShowModal(picker);
}

void OpenColumnPicker(QWidget* owner) {
    TColonne picker(owner);
    ShowModal(picker);
}

}  // namespace qv
