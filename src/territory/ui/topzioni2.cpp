#include "territory/ui/topzioni2.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/numbers.h"
#include "platform/progress.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "territory/manual_selection.h"
#include "territory/map_options.h"
#include "territory/map_options_lists.h"
#include "territory/map_rescale.h"
#include "territory/map_tables.h"
#include "territory/territory_transfer.h"
#include "territory/ui/print_settings_forms.h"
#include "territory/ui/territorial_filter_forms.h"
#include "territory/ui/territory_captions.h"
#include "territory/ui/tunita.h"

namespace qv {

namespace {

constexpr int kAllActiveText = 1900;
constexpr int kNoBaseOptionsText = 1901;
constexpr int kBadMapSizeText = 1902;

constexpr int kGeneralHelp = 111, kLegendHelp = 112, kDisplayHelp = 113, kTerritoryHelp = 114,
              kZoomHelp = 115, kFilesHelp = 116, kPrintHelp = 117, kRescaleHelp = 82;
constexpr int kMaxTitle = 50;
constexpr int kZoomSteps = 6;
const QString kDone = QStringLiteral("Ok");

// Stored colours are 0x00BBGGRR, the colour dialog speaks 0xRRGGBB: the same swap both ways.
uint32_t SwapRedBlue(uint32_t c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

QPushButton* Push(QWidget* owner, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, owner);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* Check(QWidget* owner, const char* name, const QString& caption) {
    auto* c = new QCheckBox(caption, owner);
    c->setObjectName(name);
    return c;
}

QRadioButton* Radio(QWidget* owner, const char* name, const QString& caption) {
    auto* r = new QRadioButton(caption, owner);
    r->setObjectName(name);
    return r;
}

QLineEdit* Edit(QWidget* owner, const char* name, bool readOnly = false) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    return e;
}

QComboBox* Combo(QWidget* owner, const char* name) {
    auto* c = new QComboBox(owner);
    c->setObjectName(name);
    return c;
}

void Fill(QComboBox* box, const std::vector<std::string>& items, int position) {
    box->clear();
    for (const std::string& item : items) box->addItem(Qs(item));
    box->setCurrentIndex(position >= 0 && position < box->count() ? position : -1);
}

// Unticks every button of an exclusive group.
void ClearGroup(QButtonGroup* group) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

void PaintBox(QPushButton* box, uint32_t colour) {
    box->setStyleSheet(
        QStringLiteral("background-color: #%1").arg(SwapRedBlue(colour), 6, 16, QLatin1Char('0')));
}

bool Ticked(const QAbstractButton* b) {
    return b->isChecked();
}

}  // namespace

TOpzioni2::TOpzioni2(QWidget* owner) : QDialog(owner) {
    setObjectName("TOpzioni2");
    FormCreate();
}

void TOpzioni2::FormCreate() {
    setWindowTitle(Caption(kMapOptionsTitle));
    Pagine = new QTabWidget(this);
    Pagine->setObjectName("Pagine");

    // ---- Legenda ----
    auto* legend = new QWidget;
    auto* lg = new QGridLayout(legend);
    titolo = Check(legend, "titolo", Caption(kLegendTitleCaption));
    titoloTxt = Edit(legend, "titoloTxt");
    titoloTxt->setMaxLength(kMaxTitle);
    Classi = Check(legend, "Classi", Caption(kShowClassesCaption));
    lg->addWidget(titolo, 0, 0);
    lg->addWidget(titoloTxt, 0, 1, 1, 3);
    lg->addWidget(Classi, 1, 0);
    ColoreSfondo = Push(legend, "ColoreSfondo", QString());
    lg->addWidget(new QLabel(Caption(kBackgroundColourCaption), legend), 2, 0);
    lg->addWidget(ColoreSfondo, 2, 1);
    for (int k = 0; k < 8; ++k) {
        const QString n = QString::number(k + 1);
        Colore[size_t(k)] = Push(legend, qPrintable("Colore" + n), QString());
        lg->addWidget(new QLabel(Caption(kClassCaption) + QLatin1Char(' ') + n, legend), k + 3, 0);
        lg->addWidget(Colore[size_t(k)], k + 3, 1);
        if (k < 7) {
            Classe[size_t(k)] = Edit(legend, qPrintable("Classe" + n));
            lg->addWidget(Classe[size_t(k)], k + 3, 2);
        }
    }
    manuale = Radio(legend, "manuale", Caption(kManualLimitsCaption));
    ottili = Radio(legend, "ottili", Caption(kOctilesCaption));
    varianza = Radio(legend, "varianza", Caption(kMeanAndVarianceCaption));
    classModes_ = new QButtonGroup(this);
    for (QRadioButton* r : {manuale, ottili, varianza}) classModes_->addButton(r);
    lg->addWidget(manuale, 3, 3);
    lg->addWidget(ottili, 4, 3);
    lg->addWidget(varianza, 5, 3);
    SalvaColori = Push(legend, "SalvaColori", Caption(kSaveColoursCaption));
    RecuperaColori = Push(legend, "RecuperaColori", Caption(kLoadColoursCaption));
    HelpLegenda = Push(legend, "HelpLegenda", Caption(kHelpCaption));
    lg->addWidget(SalvaColori, 11, 0, 1, 2);
    lg->addWidget(RecuperaColori, 11, 2, 1, 2);
    lg->addWidget(HelpLegenda, 12, 3);
    Automatico = Check(legend, "Automatico", Caption(kAutomaticCaption));
    Automatico->setVisible(false);
    LabelColoreProgramma = new QLabel(Caption(kProgramColourCaption), legend);
    LabelColoreProgramma->setVisible(false);
    Colore_Programma = Push(legend, "Colore_Programma", QString());
    Colore_Programma->setVisible(false);
    Pagine->addTab(legend, Caption(kLegendCaption));

    // ---- Visualizza ----
    auto* display = new QWidget;
    auto* dg = new QGridLayout(display);
    Colora = Check(display, "Colora", Caption(kShowColourCaption));
    unita = Combo(display, "unita");
    bianco = Check(display, "bianco", Caption(kZeroIsWhiteCaption));
    nessuno = Radio(display, "nessuno", Caption(kNoBordersCaption));
    confini = Radio(display, "confini", Caption(kAllBordersCaption));
    ConfiniClassi = Radio(display, "ConfiniClassi", Caption(kClassBordersCaption));
    borderModes_ = new QButtonGroup(this);
    for (QRadioButton* r : {nessuno, confini, ConfiniClassi}) borderModes_->addButton(r);
    confiniAttivi = Check(display, "confiniAttivi", Caption(kSelectedAreaOnlyCaption));
    grass = Check(display, "grass", Caption(kBoldBordersCaption));
    grassetto = Combo(display, "grassetto");
    ngrassetto = Combo(display, "ngrassetto");
    AreaAttiva = Check(display, "AreaAttiva", Caption(kSelectedAreaOnlyCaption));
    nomi = Check(display, "nomi", Caption(kShowNamesCaption));
    soloAttivi = Check(display, "soloAttivi", Caption(kActiveOnlyCaption));
    comuneSelezionato = Check(display, "comuneSelezionato", Caption(kShowSelectedMunicipalityCaption));
    sigle = Check(display, "sigle", Caption(kShowCodesCaption));
    listaSigle = Combo(display, "listaSigle");
    nomiAttivi = Check(display, "nomiAttivi", Caption(kActiveOnlyCaption));
    grafici = Check(display, "grafici", Caption(kChartsCaption));
    valoriBarre = Check(display, "valoriBarre", Caption(kBarValuesCaption));
    incorniciaCartina = Check(display, "incorniciaCartina", Caption(kFrameMapCaption));
    HelpVisualizza = Push(display, "HelpVisualizza", Caption(kHelpCaption));
    valoriPercentuali = Check(display, "valoriPercentuali", Caption(kPercentValuesCaption));
    valoriPercentuali->setVisible(false);
    Comuni = Check(display, "Comuni", Caption(kMunicipalitiesCaption));
    Comuni->setEnabled(false);
    int row = 0;
    dg->addWidget(Colora, row, 0);
    dg->addWidget(unita, row++, 1);
    dg->addWidget(bianco, row++, 0, 1, 2);
    dg->addWidget(nessuno, row, 0);
    dg->addWidget(confini, row, 1);
    dg->addWidget(ConfiniClassi, row++, 2);
    dg->addWidget(confiniAttivi, row++, 1);
    dg->addWidget(grass, row, 0);
    dg->addWidget(grassetto, row, 1);
    dg->addWidget(ngrassetto, row++, 2);
    dg->addWidget(AreaAttiva, row++, 1);
    dg->addWidget(nomi, row, 0);
    dg->addWidget(soloAttivi, row, 1);
    dg->addWidget(comuneSelezionato, row++, 2);
    dg->addWidget(sigle, row, 0);
    dg->addWidget(listaSigle, row, 1);
    dg->addWidget(nomiAttivi, row++, 2);
    dg->addWidget(grafici, row, 0);
    dg->addWidget(valoriBarre, row, 1);
    dg->addWidget(Comuni, row++, 2);
    dg->addWidget(incorniciaCartina, row++, 0);
    dg->addWidget(HelpVisualizza, row, 2);
    Pagine->addTab(display, Caption(kDisplayTabCaption));

    // ---- Seleziona ----
    auto* territory = new QWidget;
    auto* tg = new QGridLayout(territory);
    AttivaTutto = Push(territory, "AttivaTutto", Caption(kActivateAllCaption));
    Ok = Edit(territory, "Ok", true);
    SeleManuale = Push(territory, "SeleManuale", Caption(kSelectFromListsCaption));
    Qualitativi = Push(territory, "Qualitativi", Caption(kQualitativeCaption));
    Quantitativi = Push(territory, "Quantitativi", Caption(kQuantitativeCaption));
    HelpSeleziona = Push(territory, "HelpSeleziona", Caption(kHelpCaption));
    tg->addWidget(AttivaTutto, 0, 0);
    tg->addWidget(Ok, 0, 1);
    tg->addWidget(SeleManuale, 1, 0);
    tg->addWidget(Qualitativi, 2, 0);
    tg->addWidget(Quantitativi, 3, 0);
    tg->addWidget(HelpSeleziona, 4, 1);
    Pagine->addTab(territory, Caption(kSelectTabCaption));

    // ---- Liste/graduatorie ----
    auto* lists = new QWidget;
    auto* sg = new QVBoxLayout(lists);
    Lista = Push(lists, "Lista", Caption(kMunicipalityListCaption));
    Graduatoria = Push(lists, "Graduatoria", Caption(kRankingCaption));
    Help_Liste = Push(lists, "Help_Liste", Caption(kHelpCaption));
    sg->addWidget(Lista);
    sg->addWidget(Graduatoria);
    sg->addWidget(Help_Liste);
    Pagine->addTab(lists, Caption(kListsTabCaption));

    // ---- Zoom ----
    auto* zoomPage = new QWidget;
    auto* zg = new QVBoxLayout(zoomPage);
    zoom = new QListWidget(zoomPage);
    zoom->setObjectName("zoom");
    HelpZoom = Push(zoomPage, "HelpZoom", Caption(kHelpCaption));
    zg->addWidget(zoom);
    zg->addWidget(HelpZoom);
    Pagine->addTab(zoomPage, Caption(kZoomTabCaption));

    // ---- Salva ----
    auto* files = new QWidget;
    auto* fg = new QGridLayout(files);
    Salva = Push(files, "Salva", Caption(kSaveOptionsCaption));
    Recupera = Push(files, "Recupera", Caption(kLoadOptionsCaption));
    LeggeBase = Push(files, "LeggeBase", Caption(kLoadBaseCaption));
    SalvaBase = Push(files, "SalvaBase", Caption(kSaveBaseCaption));
    Ok2 = Edit(files, "Ok2", true);
    Ok3 = Edit(files, "Ok3", true);
    Ok4 = Edit(files, "Ok4", true);
    Ok5 = Edit(files, "Ok5", true);
    HelpFile = Push(files, "HelpFile", Caption(kHelpCaption));
    fg->addWidget(Salva, 0, 0);
    fg->addWidget(Ok2, 0, 1);
    fg->addWidget(Recupera, 1, 0);
    fg->addWidget(Ok3, 1, 1);
    fg->addWidget(LeggeBase, 2, 0);
    fg->addWidget(Ok4, 2, 1);
    fg->addWidget(SalvaBase, 3, 0);
    fg->addWidget(Ok5, 3, 1);
    fg->addWidget(HelpFile, 4, 1);
    Pagine->addTab(files, Caption(kSaveCaption));

    // ---- Stampa ----
    auto* print = new QWidget;
    auto* pg = new QVBoxLayout(print);
    VedeCommento = Push(print, "VedeCommento", Caption(kMapCommentCaption));
    Caratteri = Push(print, "Caratteri", Caption(kPrintFontsCaption));
    HelpStampa = Push(print, "HelpStampa", Caption(kHelpCaption));
    pg->addWidget(VedeCommento);
    pg->addWidget(Caratteri);
    pg->addWidget(HelpStampa);
    Pagine->addTab(print, Caption(kPrintTabCaption));

    // ---- Riproporziona la cartina ----
    auto* rescale = new QWidget;
    auto* rg = new QGridLayout(rescale);
    xxx1 = Edit(rescale, "xxx1");
    xxx2 = Edit(rescale, "xxx2");
    yyy1 = Edit(rescale, "yyy1");
    yyy2 = Edit(rescale, "yyy2");
    Esegue = Push(rescale, "Esegue", Caption(kRunCaption));
    Barra = new QProgressBar(rescale);
    Barra->setObjectName("Barra");
    HelpRiproporziona = Push(rescale, "HelpRiproporziona", Caption(kHelpCaption));
    rg->addWidget(new QLabel(Caption(kCurrentSizeCaption), rescale), 0, 0);
    rg->addWidget(xxx1, 0, 1);
    rg->addWidget(yyy1, 0, 2);
    rg->addWidget(new QLabel(Caption(kNewSizeCaption), rescale), 1, 0);
    rg->addWidget(xxx2, 1, 1);
    rg->addWidget(yyy2, 1, 2);
    rg->addWidget(Esegue, 2, 0);
    rg->addWidget(Barra, 2, 1, 1, 2);
    rg->addWidget(HelpRiproporziona, 3, 2);
    Pagine->addTab(rescale, Caption(kRescaleTabCaption));

    Esci = Push(this, "Esci", Caption(kExitConfirmCaption));
    Help = Push(this, "Help", Caption(kGeneralHelpCaption));
    EsciCartina = Push(this, "EsciCartina", Caption(kExitRedrawCaption));
    Annulla = Push(this, "Annulla", Caption(kCancelCaption));
    PrendeOpzioni = Push(this, "PrendeOpzioni", QString());
    PrendeOpzioni->setVisible(false);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Pagine, 0, 0, 1, 4);
    layout->addWidget(Esci, 1, 0);
    layout->addWidget(EsciCartina, 1, 1);
    layout->addWidget(Annulla, 1, 2);
    layout->addWidget(Help, 1, 3);

    for (int k = 0; k < 8; ++k)
        connect(Colore[size_t(k)], &QPushButton::clicked, this, [this, k] { ColoreClick(k + 1); });
    connect(ColoreSfondo, &QPushButton::clicked, this, [this] { ColoreClick(0); });
    connect(Colore_Programma, &QPushButton::clicked, this, &TOpzioni2::Colore_ProgrammaClick);
    connect(SalvaColori, &QPushButton::clicked, this, &TOpzioni2::SalvaColoriClick);
    connect(RecuperaColori, &QPushButton::clicked, this, &TOpzioni2::RecuperaColoriClick);
    connect(AttivaTutto, &QPushButton::clicked, this, &TOpzioni2::AttivaTuttoClick);
    connect(SeleManuale, &QPushButton::clicked, this, &TOpzioni2::SeleManualeClick);
    connect(Qualitativi, &QPushButton::clicked, this, &TOpzioni2::QualitativiClick);
    connect(Quantitativi, &QPushButton::clicked, this, &TOpzioni2::QuantitativiClick);
    connect(Lista, &QPushButton::clicked, this, &TOpzioni2::ListaClick);
    connect(Graduatoria, &QPushButton::clicked, this, &TOpzioni2::GraduatoriaClick);
    connect(Salva, &QPushButton::clicked, this, &TOpzioni2::SalvaClick);
    connect(Recupera, &QPushButton::clicked, this, &TOpzioni2::RecuperaClick);
    connect(LeggeBase, &QPushButton::clicked, this, &TOpzioni2::LeggeBaseClick);
    connect(SalvaBase, &QPushButton::clicked, this, &TOpzioni2::SalvaBaseClick);
    connect(VedeCommento, &QPushButton::clicked, this, &TOpzioni2::VedeCommentoClick);
    connect(Caratteri, &QPushButton::clicked, this, &TOpzioni2::CaratteriClick);
    connect(Esegue, &QPushButton::clicked, this, &TOpzioni2::EsegueClick);
    connect(Esci, &QPushButton::clicked, this, &TOpzioni2::EsciClick);
    connect(EsciCartina, &QPushButton::clicked, this, &TOpzioni2::EsciCartinaClick);
    connect(Annulla, &QPushButton::clicked, this, &TOpzioni2::AnnullaClick);
    connect(PrendeOpzioni, &QPushButton::clicked, this, &TOpzioni2::PrendeOpzioniClick);
    const std::pair<QPushButton*, int> helps[] = {
        {Help, kGeneralHelp},           {HelpLegenda, kLegendHelp},
        {HelpVisualizza, kDisplayHelp}, {HelpSeleziona, kTerritoryHelp},
        {HelpZoom, kZoomHelp},          {HelpFile, kFilesHelp},
        {HelpStampa, kPrintHelp},       {HelpRiproporziona, kRescaleHelp}};
    for (const auto& [button, page] : helps)
        connect(button, &QPushButton::clicked, this, [this, page] { HelpPage(page); });

    FillControls();
}

void TOpzioni2::FillControls() {
    const MapStateRecord& m = MapState;
    nessuno->setChecked(true);
    LoadLegendColours(DataFilePath(data_file::kLegendColour));
    PaintColours();

    titoloTxt->setText(Qs(MapClassThresholds.Title));
    for (int k = 0; k < 7; ++k)
        Classe[size_t(k)]->setText(
            Qs(FormatClassLimit(MapClassThresholds.Limits[size_t(k)], m.ValueDecimals)));

    ClearGroup(classModes_);
    if (m.ClassMode == 1) manuale->setChecked(true);
    if (m.ClassMode == 2) ottili->setChecked(true);
    if (m.ClassMode == 3) varianza->setChecked(true);
    const std::pair<QCheckBox*, uint8_t> flags[] = {{titolo, m.ShowLegendTitle},
                                                    {Classi, m.ShowLegend},
                                                    {Automatico, m.Automatic},
                                                    {Colora, m.ColourByClass},
                                                    {bianco, m.ZeroIsWhite},
                                                    {confiniAttivi, m.HideBordersInactive},
                                                    {grass, m.ShowVariableBorders},
                                                    {AreaAttiva, m.HideVariableBordersInactive},
                                                    {nomi, m.ShowNames},
                                                    {comuneSelezionato, m.ShowChosenName},
                                                    {sigle, m.ShowSigle},
                                                    {nomiAttivi, m.SigleActiveOnly},
                                                    {grafici, m.BarsOverAll},
                                                    {valoriBarre, m.ShowValues},
                                                    {incorniciaCartina, m.FrameLine},
                                                    {valoriPercentuali, m.ValuesAsPercent}};
    for (const auto& [box, flag] : flags) box->setChecked(flag != 0);
    if (m.UnitBorders) confini->setChecked(true);
    if (m.ClassBorders) ConfiniClassi->setChecked(true);

    std::vector<std::string> widths;
    for (int w = 0; w <= 50; ++w) widths.push_back(std::to_string(w));
    Fill(ngrassetto, widths, m.VariableBorderWidth);
    Fill(listaSigle, ReadSigleSetNames(), m.SigleSet);
    Fill(unita, ReadAggregationUnits(), m.AggregationVariable);
    Fill(grassetto, ReadBorderVariables(), m.BorderVariable);

    zoom->clear();
    zoom->addItem(Caption(kBaseMapCaption));
    for (int z = 1; z <= kZoomSteps; ++z) zoom->addItem(QStringLiteral("zoom %1").arg(z));
    if (m.ZoomLevel != 0) zoom->setCurrentRow(m.ZoomLevel - 1);

    xxx1->setText(QString::number(m.MapWidth));
    xxx2->setText(QString::number(m.MapWidth));
    yyy1->setText(QString::number(m.MapHeight));
    yyy2->setText(QString::number(m.MapHeight));
}

void TOpzioni2::PaintColours() {
    PaintBox(ColoreSfondo, LegendColours[0]);
    for (size_t k = 0; k < 8; ++k) PaintBox(Colore[k], LegendColours[k + 1]);
    PaintBox(Colore_Programma, ProgramColour);
}

void TOpzioni2::PrendeOpzioniClick() {
    MapStateRecord& m = MapState;
    SaveLegendColours(DataFilePath(data_file::kLegendColour));
    MapClassThresholds.Title = Cp(titoloTxt->text()).substr(0, kMaxTitle);
    for (int k = 0; k < 7; ++k)
        MapClassThresholds.Limits[size_t(k)] = ParseClassLimit(Cp(Classe[size_t(k)]->text()));
    m.ClassMode = Ticked(manuale) ? 1 : Ticked(varianza) ? 3 : 2;

    const std::pair<QAbstractButton*, uint8_t*> flags[] = {{titolo, &m.ShowLegendTitle},
                                                           {Classi, &m.ShowLegend},
                                                           {Automatico, &m.Automatic},
                                                           {Colora, &m.ColourByClass},
                                                           {bianco, &m.ZeroIsWhite},
                                                           {confini, &m.UnitBorders},
                                                           {ConfiniClassi, &m.ClassBorders},
                                                           {confiniAttivi, &m.HideBordersInactive},
                                                           {grass, &m.ShowVariableBorders},
                                                           {AreaAttiva, &m.HideVariableBordersInactive},
                                                           {nomi, &m.ShowNames},
                                                           {comuneSelezionato, &m.ShowChosenName},
                                                           {sigle, &m.ShowSigle},
                                                           {nomiAttivi, &m.SigleActiveOnly},
                                                           {grafici, &m.BarsOverAll},
                                                           {valoriBarre, &m.ShowValues},
                                                           {incorniciaCartina, &m.FrameLine},
                                                           {valoriPercentuali, &m.ValuesAsPercent}};
    for (const auto& [box, flag] : flags) *flag = Ticked(box) ? 1 : 0;

    if (ngrassetto->currentIndex() >= 0) m.VariableBorderWidth = ngrassetto->currentIndex();
    if (listaSigle->currentIndex() >= 0) m.SigleSet = listaSigle->currentIndex();
    if (unita->currentIndex() >= 0) m.AggregationVariable = unita->currentIndex();
    if (grassetto->currentIndex() >= 0) m.BorderVariable = grassetto->currentIndex();
    if (zoom->currentRow() >= 0) m.ZoomLevel = uint8_t(zoom->currentRow() + 1);
}

void TOpzioni2::ColoreClick(int k) {
    if (k < 0 || k > 8) return;
    HelpLegenda->setFocus();
    const int chosen = AskColour(int(SwapRedBlue(LegendColours[size_t(k)])));
    if (chosen < 0) return;
    LegendColours[size_t(k)] = SwapRedBlue(uint32_t(chosen));
    PaintColours();
}

void TOpzioni2::Colore_ProgrammaClick() {
    HelpLegenda->setFocus();
    const int chosen = AskColour(int(SwapRedBlue(ProgramColour)));
    if (chosen < 0) return;
    ProgramColour = SwapRedBlue(uint32_t(chosen));
    PaintColours();
}

void TOpzioni2::SalvaColoriClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.directory = CoreState.ProgramDir;
    request.fileName = "LEG *.DAT";
    const std::string chosen = AskFileName(request);
    if (!chosen.empty()) WriteLegendColourFile(chosen);
}

void TOpzioni2::RecuperaColoriClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.fileName = "LEG *.DAT";
    const std::string chosen = AskFileName(request);
    if (chosen.empty()) return;
    ReadLegendColourFile(chosen);
    PaintColours();
}

void TOpzioni2::AttivaTuttoClick() {
    ActivateWholeMap();
    Ok->setText(Qs(LoadText(kAllActiveText)));
}

void TOpzioni2::SeleManualeClick() {
    CoreState.CardWindowMode = kPointerMode;
    TransferTerritorySelection(TerritoryTransfer::MapToArchive);
    OpenManualTerritorySelection(this, 0);
    TransferTerritorySelection(TerritoryTransfer::ArchiveToMap);
}

void TOpzioni2::QualitativiClick() {
    TQualitativi dialog(this);
    ShowModal(dialog);
}

void TOpzioni2::QuantitativiClick() {
    // The map window's counts; none when the map is not open.
    TQuantitativi dialog(this, MapCardCounts);
    ShowModal(dialog);
}

void TOpzioni2::Finish(MapOptionsAnswer answer) {
    answer_ = answer;
    done(answer == MapOptionsAnswer::Nothing ? QDialog::Rejected : QDialog::Accepted);
}

void TOpzioni2::ListaClick() {
    Finish(MapOptionsAnswer::List);
}

void TOpzioni2::GraduatoriaClick() {
    Finish(MapOptionsAnswer::Ranking);
}

void TOpzioni2::SalvaClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.directory = CoreState.ProgramDir;
    request.fileName = "*.opz";
    const std::string chosen = AskFileName(request);
    if (chosen.empty()) return;
    PrendeOpzioniClick();
    SaveMapOptions(2, chosen);
    Ok2->setText(kDone);
}

void TOpzioni2::RecuperaClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.fileName = "*.opz";
    const std::string chosen = AskFileName(request);
    if (chosen.empty()) return;
    LoadMapOptions(2, chosen);
    FillControls();
    Ok3->setText(kDone);
}

void TOpzioni2::LeggeBaseClick() {
    if (!RestoreBaseOptions()) {
        Ok4->setText(Qs(LoadText(kNoBaseOptionsText)));
        return;
    }
    FillControls();
    Ok4->setText(kDone);
}

void TOpzioni2::SalvaBaseClick() {
    SaveBaseMapSize();
    PrendeOpzioniClick();
    SaveMapOptions(1, "");
    Ok5->setText(kDone);
}

void TOpzioni2::VedeCommentoClick() {
    OpenPrintCommentDialog(this);
}

void TOpzioni2::CaratteriClick() {
    OpenPrintFontDialog(this);
}

void TOpzioni2::EsegueClick() {
    const int x1 = LeadingInteger(Cp(xxx1->text()), 255);
    const int x2 = LeadingInteger(Cp(xxx2->text()), 255);
    const int y1 = LeadingInteger(Cp(yyy1->text()), 255);
    const int y2 = LeadingInteger(Cp(yyy2->text()), 255);
    bool done = false;
    {
        WaitCursor wait;
        BarProgress progress(Barra);
        done = RescaleMapGeometry(x1, x2, y1, y2, progress);
    }
    if (!done) ShowError(LoadText(kBadMapSizeText));
}

void TOpzioni2::EsciClick() {
    PrendeOpzioniClick();
    Finish(MapOptionsAnswer::Nothing);
}

void TOpzioni2::EsciCartinaClick() {
    PrendeOpzioniClick();
    Finish(MapOptionsAnswer::Redraw);
}

void TOpzioni2::AnnullaClick() {
    Finish(MapOptionsAnswer::Nothing);
}

void TOpzioni2::HelpPage(int page) {
    ShowHelpPage(this, page);
}

void TOpzioni2::reject() {
    // Closed by its close box: nothing more for the map to do.
    Finish(MapOptionsAnswer::Nothing);
}

void TOpzioni2::keyPressEvent(QKeyEvent* event) {
    // Esc leaves as "Esci e conferma" does.
    if (event->key() == Qt::Key_Escape) {
        EsciClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

MapOptionsAnswer OpenMapOptions(QWidget* owner) {
    return MapOptionsAnswer(ExchangeDialog<TOpzioni2>(owner, 0));
}

}  // namespace qv
