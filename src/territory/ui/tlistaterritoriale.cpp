#include "territory/ui/tlistaterritoriale.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "core/core_state.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/assertion.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "territory/territorial_list.h"
#include "territory/ui/territory_captions.h"
#include "territory/ui/tunita.h"

namespace qv {

namespace {
constexpr int kHelpPage = 57;
}  // namespace

TListaTerritoriale::TListaTerritoriale(QWidget* owner) : QDialog(owner), keptSelection_(TerritorySelection) {
    setObjectName("TListaTerritoriale");
    setWindowTitle(Caption(kTerritorialListTitle));
    auto button = [this](QPushButton*& b, const char* name, int caption) {
        b = new QPushButton(Caption(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    Tipologie = new QListWidget(this);
    Tipologie->setObjectName("Tipologie");
    Tipologie->setToolTip(Caption(kShownCategoriesTip));
    Tipologie->setSelectionMode(QAbstractItemView::MultiSelection);
    button(Attiva, "Attiva", kActivateCaption);
    button(Disattiva, "Disattiva", kDeactivateCaption);
    LabelCerca = new QLabel(Caption(kSearchCaption), this);
    LabelCerca->setObjectName("LabelCerca");
    CercaStringa = new QLineEdit(this);
    CercaStringa->setObjectName("CercaStringa");
    CercaStringa->setMaxLength(int(kMaxSearch));
    button(NelTerritorio, "NelTerritorio", kTerritoryCaption);
    button(Visualizza, "Visualizza", kShowCaption);
    button(Esci, "Esci", kExitCaption);
    button(Help2, "Help2", kHelpCaption);

    auto* g = new QGridLayout(this);
    g->addWidget(Tipologie, 0, 0, 1, 4);
    g->addWidget(Attiva, 1, 0);
    g->addWidget(Disattiva, 1, 1);
    g->addWidget(LabelCerca, 2, 0);
    g->addWidget(CercaStringa, 2, 1, 1, 3);
    g->addWidget(NelTerritorio, 3, 0);
    g->addWidget(Visualizza, 3, 1);
    g->addWidget(Esci, 3, 2);
    g->addWidget(Help2, 3, 3);

    // The flags follow what the list shows selected, however it was changed.
    connect(Tipologie, &QListWidget::itemSelectionChanged, this, [this] {
        for (int i = 0; i < Tipologie->count() && size_t(i) < flags_.size(); ++i)
            flags_[size_t(i)] = Tipologie->item(i)->isSelected() ? 1 : 0;
    });
    connect(Attiva, &QPushButton::clicked, this, [this] { AttivaClick(); });
    connect(Disattiva, &QPushButton::clicked, this, [this] { DisattivaClick(); });
    connect(NelTerritorio, &QPushButton::clicked, this, [this] { NelTerritorioClick(); });
    connect(Visualizza, &QPushButton::clicked, this, [this] { VisualizzaClick(); });
    connect(Esci, &QPushButton::clicked, this, [this] { EsciClick(); });
    connect(Help2, &QPushButton::clicked, this, [this] { Help2Click(); });
    FormCreate();
}

void TListaTerritoriale::FormCreate() {
    link_ = ReadTerritorialLink(CoreState.CurrentField);
    std::vector<std::string> categories;
    if (link_.Found) {
        CoreState.CommuneField = link_.CommuneField;
        CoreState.OtherArchiveDir = link_.Dir;
        categories = ReadLinkedCategories();
    }
    // The report starts from the comune of the card in hand.
    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kTerritoryTableSize);
    const int codes = std::clamp(TerritoryCount, 0, kTerritoryTableSize);
    std::fill(TerritorySelection.begin(), TerritorySelection.begin() + codes, uint8_t(0));
    const int32_t code = CoreState.CommuneField > 0 ? CardTerritoryCode(CoreState.CommuneField) : 0;
    if (code > 0 && code <= codes) TerritorySelection[size_t(code - 1)] = 1;

    flags_.assign(categories.size(), 1);
    Tipologie->clear();
    for (const std::string& name : categories) Tipologie->addItem(Qs(name));
    SetAll(true);
}

TListaTerritoriale::~TListaTerritoriale() {
    TerritorySelection = keptSelection_;
}

void TListaTerritoriale::SetAll(bool on) {
    for (int i = 0; i < Tipologie->count(); ++i) Tipologie->item(i)->setSelected(on);
    std::fill(flags_.begin(), flags_.end(), uint8_t(on ? 1 : 0));
}

void TListaTerritoriale::TipologieClick(int row) {
    if (row < 0 || row >= Tipologie->count()) return;
    QListWidgetItem* item = Tipologie->item(row);
    item->setSelected(!item->isSelected());
}

void TListaTerritoriale::AttivaClick() {
    SetAll(true);
}

void TListaTerritoriale::DisattivaClick() {
    SetAll(false);
}

void TListaTerritoriale::NelTerritorioClick() {
    // The picker edits the list's territory and sets no search condition.
    OpenManualTerritorySelection(this, CardTerritoryCode(CoreState.CommuneField));
    CoreState.CommandCode = 0;
}

void TListaTerritoriale::VisualizzaClick() {
    try {
        WriteTerritorialList(link_.Found ? link_.Dir : std::string(), flags_,
                             Cp(CercaStringa->text()).substr(0, kMaxSearch));
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    ShowTextViewer(this, ViewerFile::TerritorialList);
}

void TListaTerritoriale::EsciClick() {
    accept();
}

void TListaTerritoriale::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenTerritorialList(QWidget* owner) {
    TListaTerritoriale dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
