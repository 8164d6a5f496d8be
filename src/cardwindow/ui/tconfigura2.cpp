#include "cardwindow/ui/tconfigura2.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "cardwindow/entry_options.h"
#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

QLabel* WrappedLabel(QWidget* owner, const char* name, int text) {
    QLabel* label = TextLabel(owner, name, text);
    label->setWordWrap(true);
    return label;
}

QCheckBox* TextCheckBox(QWidget* owner, const char* name, int text) {
    auto* box = new QCheckBox(Qs(LoadText(text)), owner);
    box->setObjectName(name);
    return box;
}

}  // namespace

TConfigura2::TConfigura2(QWidget* owner) : QDialog(owner) {
    setObjectName("TConfigura2");
    FormCreate();
}

void TConfigura2::FormCreate() {
    setWindowTitle(Qs(LoadText(265)));
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");

    Ottimizzazioni = new QWidget(PageControl1);
    Ottimizzazioni->setObjectName("Ottimizzazioni");
    Label1 = WrappedLabel(Ottimizzazioni, "Label1", 273);
    Label2 = WrappedLabel(Ottimizzazioni, "Label2", 267);
    Label3 = WrappedLabel(Ottimizzazioni, "Label3", 268);
    Label4 = WrappedLabel(Ottimizzazioni, "Label4", 270);
    Label5 = WrappedLabel(Ottimizzazioni, "Label5", 272);
    Label6 = WrappedLabel(Ottimizzazioni, "Label6", 275);
    Label7 = WrappedLabel(Ottimizzazioni, "Label7", 276);
    Label8 = WrappedLabel(Ottimizzazioni, "Label8", 277);
    Label9 = WrappedLabel(Ottimizzazioni, "Label9", 281);
    Label10 = WrappedLabel(Ottimizzazioni, "Label10", 279);
    tabulatori = TextButton(Ottimizzazioni, "tabulatori", 269);
    Veloce = TextButton(Ottimizzazioni, "Veloce", 271);
    piu1 = TextButton(Ottimizzazioni, "piu1", 274);
    Cancella = TextButton(Ottimizzazioni, "Cancella", 278);
    Copia = TextButton(Ottimizzazioni, "Copia", 280);
    Help_Ottimizza = TextButton(Ottimizzazioni, "Help_Ottimizza", 282);
    // The copy mark is reserved: nothing offers to set it.
    Copia->setVisible(false);
    Label9->setVisible(false);
    auto* optimise = new QGridLayout(Ottimizzazioni);
    optimise->addWidget(Label1, 0, 0, 1, 2);
    optimise->addWidget(Label2, 1, 0);
    optimise->addWidget(tabulatori, 1, 1);
    optimise->addWidget(Label3, 2, 0);
    optimise->addWidget(Label4, 3, 0);
    optimise->addWidget(Veloce, 3, 1);
    optimise->addWidget(Label5, 4, 0);
    optimise->addWidget(Label6, 5, 0);
    optimise->addWidget(piu1, 5, 1);
    optimise->addWidget(Label7, 6, 0);
    optimise->addWidget(Label8, 7, 0);
    optimise->addWidget(Cancella, 7, 1);
    optimise->addWidget(Label9, 8, 0);
    optimise->addWidget(Copia, 8, 1);
    optimise->addWidget(Label10, 9, 0);
    optimise->addWidget(Help_Ottimizza, 10, 1);
    PageControl1->addTab(Ottimizzazioni, Qs(LoadText(266)));

    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName("TabSheet1");
    Label15 = WrappedLabel(TabSheet1, "Label15", 288);
    modalita = TextCheckBox(TabSheet1, "modalita", 283);
    mouse = TextCheckBox(TabSheet1, "mouse", 284);
    Salti = TextButton(TabSheet1, "Salti", 285);
    FineScheda = TextButton(TabSheet1, "FineScheda", 286);
    ArchiviT = TextButton(TabSheet1, "ArchiviT", 287);
    Colori = TextButton(TabSheet1, "Colori", 289);
    Help_Impostazioni = TextButton(TabSheet1, "Help_Impostazioni", 290);
    auto* settings = new QVBoxLayout(TabSheet1);
    for (QWidget* w : std::initializer_list<QWidget*>{modalita, mouse, Salti, FineScheda, ArchiviT, Label15,
                                                      Colori, Help_Impostazioni})
        settings->addWidget(w);
    PageControl1->addTab(TabSheet1, Qs(LoadText(1433)));

    TabSheet2 = new QWidget(PageControl1);
    TabSheet2->setObjectName("TabSheet2");
    Label11 = WrappedLabel(TabSheet2, "Label11", 291);
    Label12 = WrappedLabel(TabSheet2, "Label12", 293);
    Label13 = WrappedLabel(TabSheet2, "Label13", 295);
    Label14 = WrappedLabel(TabSheet2, "Label14", 296);
    Stampe = TextButton(TabSheet2, "Stampe", 292);
    PosRec = TextButton(TabSheet2, "PosRec", 294);
    Help_Campi = TextButton(TabSheet2, "Help_Campi", 297);
    auto* positions = new QGridLayout(TabSheet2);
    positions->addWidget(Label11, 0, 0);
    positions->addWidget(Stampe, 0, 1);
    positions->addWidget(Label12, 1, 0);
    positions->addWidget(PosRec, 1, 1);
    positions->addWidget(Label13, 2, 0, 1, 2);
    positions->addWidget(Label14, 3, 0, 1, 2);
    positions->addWidget(Help_Campi, 4, 1);
    PageControl1->addTab(TabSheet2, Qs(LoadText(1434)));

    Esci = TextButton(this, "Esci", 298);
    Help = TextButton(this, "Help", 299);
    auto* layout = new QGridLayout(this);
    layout->addWidget(PageControl1, 0, 0, 1, 2);
    layout->addWidget(Esci, 1, 0);
    layout->addWidget(Help, 1, 1);

    connect(tabulatori, &QPushButton::clicked, this, &TConfigura2::tabulatoriClick);
    connect(Veloce, &QPushButton::clicked, this, &TConfigura2::VeloceClick);
    connect(piu1, &QPushButton::clicked, this, &TConfigura2::piu1Click);
    connect(Cancella, &QPushButton::clicked, this, &TConfigura2::CancellaClick);
    connect(Help_Ottimizza, &QPushButton::clicked, this, &TConfigura2::Help_OttimizzaClick);
    connect(Salti, &QPushButton::clicked, this, &TConfigura2::SaltiClick);
    connect(FineScheda, &QPushButton::clicked, this, &TConfigura2::FineSchedaClick);
    connect(ArchiviT, &QPushButton::clicked, this, &TConfigura2::ArchiviTClick);
    connect(Colori, &QPushButton::clicked, this, &TConfigura2::ColoriClick);
    connect(Help_Impostazioni, &QPushButton::clicked, this, &TConfigura2::Help_ImpostazioniClick);
    connect(Stampe, &QPushButton::clicked, this, &TConfigura2::StampeClick);
    connect(PosRec, &QPushButton::clicked, this, &TConfigura2::PosRecClick);
    connect(Help_Campi, &QPushButton::clicked, this, &TConfigura2::Help_CampiClick);
    connect(Esci, &QPushButton::clicked, this, &TConfigura2::EsciClick);
    connect(Help, &QPushButton::clicked, this, &TConfigura2::HelpClick);

    modalita->setChecked(ReadCategoryListSwitch());
    mouse->setChecked(ReadMouseSwitch());
}

void TConfigura2::Mark(int mode) {
    // The marking modes leave the switches as they are in their files.
    CoreState.CardWindowMode = mode;
    accept();
}

void TConfigura2::tabulatoriClick() {
    Mark(kTabStopMarkMode);
}
void TConfigura2::VeloceClick() {
    Mark(kQuickEntryMarkMode);
}
void TConfigura2::piu1Click() {
    Mark(kZeroIsOneMarkMode);
}
void TConfigura2::CancellaClick() {
    Mark(kClearMarkMode);
}
void TConfigura2::StampeClick() {
    Mark(kFieldNumberMode);
}
void TConfigura2::PosRecClick() {
    Mark(kRecordPositionMode);
}

void TConfigura2::Help_OttimizzaClick() {
    ShowHelpPage(this, 93);
}
void TConfigura2::Help_ImpostazioniClick() {
    ShowHelpPage(this, 94);
}
void TConfigura2::Help_CampiClick() {
    ShowHelpPage(this, 95);
}
void TConfigura2::HelpClick() {
    ShowHelpPage(this, 96);
}

void TConfigura2::SaltiClick() {
    ShowTextViewer(this, ViewerFile::JumpRules);
}
void TConfigura2::FineSchedaClick() {
    ShowTextViewer(this, ViewerFile::MissingFields);
}
void TConfigura2::ArchiviTClick() {
    ShowTextViewer(this, ViewerFile::TerritorialLinks);
}

void TConfigura2::ColoriClick() {
    const uint32_t colour = ReadEntryBoxColour();
    const int chosen = AskColour(int(BgrToRgb(colour)));
    // The file is written also when the choice is cancelled, so that it always exists.
    WriteEntryBoxColour(chosen >= 0 ? RgbToBgr(uint32_t(chosen)) : colour);
}

void TConfigura2::EsciClick() {
    // A file that cannot be written raises the error before the dialog closes.
    StoreEntrySwitches(modalita->isChecked(), mouse->isChecked());
    accept();
}

void TConfigura2::keyPressEvent(QKeyEvent* event) {
    // Esc is the exit button, switches stored; the close box leaves without storing them.
    if (event->key() == Qt::Key_Escape) {
        EsciClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void OpenEntryOptions(QWidget* owner) {
    TConfigura2 dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
