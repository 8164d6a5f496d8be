#include "quick/ui/telabvelocilink.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/linked_selection.h"
#include "quick/ui/quick_forms.h"
#include "quick/ui/telabvelociliste.h"

namespace qv {

namespace {

constexpr int kHelpPage = 41;
constexpr int kNoLinkText = 663, kNoDefinitionsText = 664;

}  // namespace

TElabVelociLink::TElabVelociLink(QWidget* owner)
    : QDialog(owner), LinkKeys1(kLinkKeyTableSize, 0), LinkKeys2(kLinkKeyTableSize, 0) {
    setObjectName("TElabVelociLink");
    auto list = [this](QListWidget*& l, const char* name) {
        l = new QListWidget(this);
        l->setObjectName(name);
    };
    link1 = NamedCombo(this, "link1");
    list(Lista1, "Lista1");
    link2 = NamedCombo(this, "link2");
    list(Lista2, "Lista2");
    Esci = NamedButton(this, "Esci");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Schede = new QLineEdit(this);
    Schede->setObjectName("Schede");
    Schede->setReadOnly(true);
    Recupera = NamedButton(this, "Recupera");
    Visualizza = NamedButton(this, "Visualizza");
    Help2 = NamedButton(this, "Help2");
    Aggiorna = NamedButton(this, "Aggiorna");
    Aggiorna->setVisible(false);

    auto* g = new QGridLayout(this);
    g->addWidget(link1, 0, 0);
    g->addWidget(link2, 0, 1);
    g->addWidget(Lista1, 1, 0);
    g->addWidget(Lista2, 1, 1);
    g->addWidget(Label1, 2, 0);
    g->addWidget(Schede, 2, 1);
    g->addWidget(Recupera, 3, 0);
    g->addWidget(Visualizza, 3, 1);
    g->addWidget(Esci, 4, 0);
    g->addWidget(Help2, 4, 1);

    connect(link1, &QComboBox::activated, this, &TElabVelociLink::link1Change);
    connect(link2, &QComboBox::activated, this, &TElabVelociLink::link2Change);
    connect(Lista1, &QListWidget::itemClicked, this, &TElabVelociLink::Lista1Click);
    connect(Lista2, &QListWidget::itemClicked, this, &TElabVelociLink::Lista2Click);
    connect(Recupera, &QPushButton::clicked, this, &TElabVelociLink::RecuperaClick);
    connect(Visualizza, &QPushButton::clicked, this, &TElabVelociLink::VisualizzaClick);
    connect(Aggiorna, &QPushButton::clicked, this, &TElabVelociLink::AggiornaClick);
    connect(Esci, &QPushButton::clicked, this, &TElabVelociLink::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TElabVelociLink::Help2Click);
    FormCreate();
}

void TElabVelociLink::FormCreate() {
    setWindowTitle(Qs(LoadText(648)));
    link1->setToolTip(Qs(LoadText(649)));
    Lista1->setToolTip(Qs(LoadText(650)));
    link2->setToolTip(Qs(LoadText(651)));
    Lista2->setToolTip(Qs(LoadText(652)));
    Esci->setText(Qs(LoadText(653)));
    Esci->setToolTip(Qs(LoadText(654)));
    Label1->setText(Qs(LoadText(655)));
    Schede->setToolTip(Qs(LoadText(656)));
    Recupera->setText(Qs(LoadText(657)));
    Recupera->setToolTip(Qs(LoadText(658)));
    Visualizza->setText(Qs(LoadText(659)));
    Visualizza->setToolTip(Qs(LoadText(660)));
    Help2->setText(Qs(LoadText(661)));
    Help2->setToolTip(Qs(LoadText(662)));

    GuardedIo([this] {
        SaveSelectionSnapshot();
        snapshotTaken_ = true;
    });
    if (CoreState.ProceedFlag == 1) AggiornaClick();
}

void TElabVelociLink::FillLinkedList(int link, std::vector<int16_t>& keys, QListWidget* list, int& count) {
    std::fill(keys.begin(), keys.end(), 0);
    list->clear();
    // A choice beyond the links listed names no files.
    if (link < 1 || link > links_) return;
    const LinkedCards linked = CollectLinkedCards(link);
    count = linked.SelectedCards;
    for (size_t i = 0; i < linked.Keys.size() && i + 1 < keys.size(); ++i) keys[i + 1] = linked.Keys[i];
    for (const std::string& line : linked.Lines) list->addItem(Qs(line));
}

void TElabVelociLink::AggiornaClick() {
    int count = 0;
    Schede->setText("0");
    std::vector<std::string> entries{LoadText(kNoLinkText)};
    const std::optional<std::vector<std::string>> names = ReadLinkNames();
    links_ = 0;
    if (names) {
        entries.insert(entries.end(), names->begin(), names->end());
        links_ = int(names->size());
    } else {
        entries.push_back(LoadText(kNoDefinitionsText));
        CoreState.ProceedFlag = 0;
    }
    for (QComboBox* combo : {link1, link2}) {
        const QSignalBlocker block(combo);
        combo->clear();
        for (const std::string& e : entries) combo->addItem(Qs(e));
    }
    if (CoreState.LinkChoice1 >= 0 && CoreState.LinkChoice1 < link1->count())
        link1->setCurrentIndex(CoreState.LinkChoice1);
    if (CoreState.LinkChoice2 >= 0 && CoreState.LinkChoice2 < link2->count())
        link2->setCurrentIndex(CoreState.LinkChoice2);
    GuardedIo([&] {
        FillLinkedList(CoreState.LinkChoice1, LinkKeys1, Lista1, count);
        FillLinkedList(CoreState.LinkChoice2, LinkKeys2, Lista2, count);
    });
    Schede->setText(QString::number(count));
}

void TElabVelociLink::link1Change() {
    CoreState.LinkChoice1 = link1->currentIndex();
    AggiornaClick();
}

void TElabVelociLink::link2Change() {
    CoreState.LinkChoice2 = link2->currentIndex();
    AggiornaClick();
}

void TElabVelociLink::ChooseLinkedCard(int link, const std::vector<int16_t>& keys, QListWidget* list) {
    const int i = list->currentRow();
    if (i < 0 || size_t(i) + 1 >= keys.size()) return;
    const std::string entry = Cp(list->item(i)->text());
    GuardedIo([&] {
        WaitCursor wait;
        SelectByLinkedCard(link, keys[size_t(i) + 1], entry);
    });
    AggiornaClick();
}

void TElabVelociLink::Lista1Click() {
    ChooseLinkedCard(CoreState.LinkChoice1, LinkKeys1, Lista1);
}

void TElabVelociLink::Lista2Click() {
    ChooseLinkedCard(CoreState.LinkChoice2, LinkKeys2, Lista2);
}

void TElabVelociLink::RecuperaClick() {
    // Only the snapshot of this opening: an older one would bring back another selection.
    if (!snapshotTaken_) return;
    GuardedIo([] { RestoreSelectionSnapshot(); });
    AggiornaClick();
}

void TElabVelociLink::VisualizzaClick() {
    OpenQuickLists(this, true);
    CoreState.CommandCode = 0;
}

void TElabVelociLink::EsciClick() {
    CoreState.LinkChoice1 = link1->currentIndex();
    CoreState.LinkChoice2 = link2->currentIndex();
    accept();
}

void TElabVelociLink::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

void OpenLinkedArchiveSelection(QWidget* owner) {
    CoreState.ProceedFlag = 1;
    TElabVelociLink dialog(owner);
    ShowModal(dialog);
    CoreState.ProceedFlag = 0;
}

}  // namespace qv
