#include "territory/ui/territorial_filter_forms.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/qt_text.h"
#include "territory/territorial_filters.h"
#include "territory/ui/territory_captions.h"

namespace qv {

namespace {

constexpr int kQualitativeHelpPage = 70;
constexpr int kQuantitativeHelpPage = 73;

QLineEdit* StatusBox(QWidget* owner, const char* name) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

}  // namespace

// ---- TQualitativi ----

TQualitativi::TQualitativi(QWidget* owner) : QDialog(owner) {
    setObjectName("TQualitativi");
    FormCreate();
}

void TQualitativi::FormCreate() {
    setWindowTitle(Qs(LoadText(1151)));
    Variabili = new QComboBox(this);
    Variabili->setObjectName("Variabili");
    Variabili->setToolTip(Qs(LoadText(1152)));
    Modalita = new QListWidget(this);
    Modalita->setObjectName("Modalita");
    Modalita->setToolTip(Qs(LoadText(1153)));
    Modalita->setSelectionMode(QAbstractItemView::MultiSelection);
    AndRic = TextButton(this, "AndRic", 1154, 1155);
    OrRic = TextButton(this, "OrRic", 1156, 1157);
    Esci = TextButton(this, "Esci", 1158, 1159);
    Help2 = TextButton(this, "Help2", 1160, 1161);
    Status = StatusBox(this, "Status");

    auto* layout = new QGridLayout(this);
    layout->addWidget(Variabili, 0, 0, 1, 2);
    layout->addWidget(Modalita, 1, 0, 4, 1);
    layout->addWidget(AndRic, 1, 1);
    layout->addWidget(OrRic, 2, 1);
    layout->addWidget(Esci, 3, 1);
    layout->addWidget(Help2, 4, 1);
    layout->addWidget(Status, 5, 0, 1, 2);

    connect(Variabili, &QComboBox::currentIndexChanged, this, [this](int) { VariabiliChange(); });
    connect(AndRic, &QPushButton::clicked, this, &TQualitativi::AndRicClick);
    connect(OrRic, &QPushButton::clicked, this, &TQualitativi::OrRicClick);
    connect(Esci, &QPushButton::clicked, this, &TQualitativi::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TQualitativi::Help2Click);
    FillLists();
}

void TQualitativi::FillLists() {
    const QualitativeLists lists = BuildQualitativeLists();
    {
        const QSignalBlocker block(Variabili);
        Variabili->clear();
        for (const std::string& name : lists.variables) Variabili->addItem(Qs(name));
        if (MapState.QualitativeVariable >= 0) Variabili->setCurrentIndex(MapState.QualitativeVariable);
    }
    Modalita->clear();
    for (const std::string& name : lists.categories) Modalita->addItem(Qs(name));
}

void TQualitativi::VariabiliChange() {
    if (Variabili->currentIndex() < 0) return;
    MapState.QualitativeVariable = Variabili->currentIndex();
    FillLists();
}

void TQualitativi::Filter(bool conjunction) {
    std::vector<bool> wanted(size_t(Modalita->count()));
    for (int k = 0; k < Modalita->count(); ++k) wanted[size_t(k)] = Modalita->item(k)->isSelected();
    ApplyQualitativeFilter(wanted, conjunction ? FilterJoin::And : FilterJoin::Or);
    Status->setText(conjunction ? QStringLiteral("Ok - AND") : QStringLiteral("Ok - OR"));
}

void TQualitativi::AndRicClick() {
    Filter(true);
}

void TQualitativi::OrRicClick() {
    Filter(false);
}

void TQualitativi::EsciClick() {
    accept();
}

void TQualitativi::Help2Click() {
    ShowHelpPage(this, kQualitativeHelpPage);
}

// ---- TQuantitativi ----

TQuantitativi::TQuantitativi(QWidget* owner, std::span<const int32_t> cardCounts)
    : QDialog(owner), counts_(cardCounts) {
    setObjectName("TQuantitativi");
    FormCreate();
}

void TQuantitativi::FormCreate() {
    setWindowTitle(Qs(LoadText(1200)));
    auto label = [this](const char* name, int text) {
        auto* l = new QLabel(Qs(LoadText(text)), this);
        l->setObjectName(name);
        return l;
    };
    LabelVariabile = label("LabelVariabile", 1201);
    LabelDa = label("LabelDa", 1202);
    LabelA = label("LabelA", 1203);
    // Three choosers of a variable that nothing fills: the range always applies to the cards.
    auto chooser = [this](const char* name, const QString& hint) {
        auto* c = new QComboBox(this);
        c->setObjectName(name);
        c->setToolTip(hint);
        return c;
    };
    Volume = chooser("Volume", Qs(LoadText(1214)));
    Cap = chooser("Cap", Qs(LoadText(1215)));
    VSel = chooser("VSel", Caption(kVariableCaption));
    da = new QLineEdit(this);
    da->setObjectName("da");
    da->setToolTip(Qs(LoadText(1204)));
    a = new QLineEdit(this);
    a->setObjectName("a");
    a->setToolTip(Qs(LoadText(1205)));
    AndRic = TextButton(this, "AndRic", 1206, 1207);
    OrRic = TextButton(this, "OrRic", 1208, 1209);
    Esci = TextButton(this, "Esci", 1210, 1211);
    Help2 = TextButton(this, "Help2", 1212, 1213);
    Ok = StatusBox(this, "Ok");

    auto* layout = new QGridLayout(this);
    layout->addWidget(LabelVariabile, 0, 0);
    layout->addWidget(Volume, 0, 1);
    layout->addWidget(Cap, 0, 2);
    layout->addWidget(VSel, 0, 3);
    layout->addWidget(LabelDa, 1, 0);
    layout->addWidget(da, 1, 1);
    layout->addWidget(LabelA, 1, 2);
    layout->addWidget(a, 1, 3);
    layout->addWidget(AndRic, 2, 0);
    layout->addWidget(OrRic, 2, 1);
    layout->addWidget(Esci, 2, 2);
    layout->addWidget(Help2, 2, 3);
    layout->addWidget(Ok, 3, 0, 1, 4);

    connect(AndRic, &QPushButton::clicked, this, &TQuantitativi::AndRicClick);
    connect(OrRic, &QPushButton::clicked, this, &TQuantitativi::OrRicClick);
    connect(Esci, &QPushButton::clicked, this, &TQuantitativi::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TQuantitativi::Help2Click);
}

void TQuantitativi::Filter(bool conjunction) {
    const int32_t low = BoundValue(Cp(da->text()));
    const int32_t high = BoundValue(Cp(a->text()));
    // Without the map's counts every comune would count no cards: nothing is done.
    const bool done =
        !counts_.empty() &&
        ApplyQuantitativeFilter(counts_, low, high, conjunction ? FilterJoin::And : FilterJoin::Or);
    Ok->setText(done ? QStringLiteral("Ok") : QStringLiteral("?"));
}

void TQuantitativi::AndRicClick() {
    Filter(true);
}

void TQuantitativi::OrRicClick() {
    Filter(false);
}

void TQuantitativi::EsciClick() {
    accept();
}

void TQuantitativi::Help2Click() {
    ShowHelpPage(this, kQuantitativeHelpPage);
}

}  // namespace qv
