#include "territory/ui/print_settings_forms.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/numbers.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "territory/manual_selection.h"
#include "territory/map_print_settings.h"
#include "territory/ui/territory_captions.h"

namespace qv {

namespace {

constexpr int kPrintScaleHelpPage = 64;
constexpr int kFontHelpPage = 88;
constexpr int kHeightItems = 500;

QPushButton* PlainButton(QWidget* owner, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, owner);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel* PlainLabel(QWidget* owner, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, owner);
    l->setObjectName(name);
    return l;
}

}  // namespace

// ---- TOpzioniStampaCartina ----

TOpzioniStampaCartina::TOpzioniStampaCartina(QWidget* owner) : QDialog(owner) {
    setObjectName("TOpzioniStampaCartina");
    FormCreate();
}

void TOpzioniStampaCartina::FormCreate() {
    setWindowTitle(Caption(kPrintMapTitle));
    LabelX = PlainLabel(this, "LabelX", Caption(kHorizontalScaleCaption));
    LabelY = PlainLabel(this, "LabelY", Caption(kVerticalScaleCaption));
    x = new QLineEdit(this);
    x->setObjectName("x");
    y = new QLineEdit(this);
    y->setObjectName("y");
    Continua = PlainButton(this, "Continua", Caption(kContinueCaption));
    Help2 = PlainButton(this, "Help2", Caption(kHelpCaption));
    auto* layout = new QGridLayout(this);
    layout->addWidget(LabelX, 0, 0);
    layout->addWidget(x, 0, 1);
    layout->addWidget(LabelY, 1, 0);
    layout->addWidget(y, 1, 1);
    layout->addWidget(Continua, 2, 0);
    layout->addWidget(Help2, 2, 1);
    connect(Continua, &QPushButton::clicked, this, &TOpzioniStampaCartina::ContinuaClick);
    connect(Help2, &QPushButton::clicked, this, &TOpzioniStampaCartina::Help2Click);

    LoadPrintScale();
    CoreState.ProceedFlag = 0;
    x->setText(QString::number(MapState.PrintScaleX));
    y->setText(QString::number(MapState.PrintScaleY));
}

void TOpzioniStampaCartina::ContinuaClick() {
    MapState.PrintScaleX = LeadingInteger(Cp(x->text()), 255);
    MapState.PrintScaleY = LeadingInteger(Cp(y->text()), 255);
    SavePrintScale();
    CoreState.ProceedFlag = 1;
    accept();
}

void TOpzioniStampaCartina::Help2Click() {
    ShowHelpPage(this, kPrintScaleHelpPage);
}

// ---- TStampe ----

TStampe::TStampe(QWidget* owner) : QDialog(owner) {
    setObjectName("TStampe");
    FormCreate();
}

void TStampe::FormCreate() {
    setWindowTitle(Caption(kPrintsTitle));
    LabelAltezza = PlainLabel(this, "LabelAltezza", Caption(kFontHeightCaption));
    QStringList heights;
    for (int h = 1; h <= kHeightItems; ++h) heights << QString::number(h);
    auto list = [&](const char* name) {
        auto* c = new QComboBox(this);
        c->setObjectName(name);
        c->addItems(heights);
        c->setCurrentIndex(-1);
        return c;
    };
    Sigle = list("Sigle");
    Comuni = list("Comuni");
    Valori = list("Valori");
    Legenda = list("Legenda");
    Sigle2 = list("Sigle2");
    Comuni2 = list("Comuni2");
    Valori2 = list("Valori2");
    Legenda2 = list("Legenda2");
    Esci = PlainButton(this, "Esci", Caption(kExitCaption));
    Help2 = PlainButton(this, "Help2", Caption(kHelpCaption));

    auto* layout = new QGridLayout(this);
    layout->addWidget(LabelAltezza, 0, 0, 1, 3);
    layout->addWidget(PlainLabel(this, "LabelVideo", Caption(kScreenCaption)), 1, 1);
    layout->addWidget(PlainLabel(this, "LabelStampante", Caption(kPrinterCaption)), 1, 2);
    const int rows[] = {kCodesRowCaption, kMunicipalitiesCaption, kValuesRowCaption, kLegendCaption};
    const std::array<QComboBox*, 8> lists = Lists();
    for (int r = 0; r < 4; ++r) {
        layout->addWidget(PlainLabel(this, "", Caption(rows[r])), r + 2, 0);
        layout->addWidget(lists[size_t(r)], r + 2, 1);
        layout->addWidget(lists[size_t(r + 4)], r + 2, 2);
    }
    layout->addWidget(Esci, 6, 1);
    layout->addWidget(Help2, 6, 2);
    connect(Esci, &QPushButton::clicked, this, &TStampe::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TStampe::Help2Click);

    const PrintFontPositions positions = LoadPrintFontPositions();
    for (size_t k = 0; k < lists.size(); ++k)
        if (positions[k] >= 0 && positions[k] < kHeightItems) lists[k]->setCurrentIndex(positions[k]);
}

void TStampe::EsciClick() {
    PrintFontPositions positions = LoadPrintFontPositions();
    const std::array<QComboBox*, 8> lists = Lists();
    for (size_t k = 0; k < lists.size(); ++k)
        if (lists[k]->currentIndex() >= 0) positions[k] = lists[k]->currentIndex();
    SavePrintFontPositions(positions);
    accept();
}

void TStampe::Help2Click() {
    ShowHelpPageThenClear(this, kFontHelpPage);
}

// ---- TCommentoStampa ----

TCommentoStampa::TCommentoStampa(QWidget* owner) : QDialog(owner) {
    setObjectName("TCommentoStampa");
    FormCreate();
}

void TCommentoStampa::FormCreate() {
    setWindowTitle(Qs(LoadText(260)));
    LabelCommento = new QLabel(Qs(LoadText(264)), this);
    LabelCommento->setObjectName("LabelCommento");
    testo = new QPlainTextEdit(this);
    testo->setObjectName("testo");
    testo->setToolTip(Qs(LoadText(261)));
    testo->installEventFilter(this);
    Esci = TextButton(this, "Esci", 262, 263);
    auto* layout = new QGridLayout(this);
    layout->addWidget(LabelCommento, 0, 0);
    layout->addWidget(testo, 1, 0);
    layout->addWidget(Esci, 2, 0);
    connect(Esci, &QPushButton::clicked, this, &TCommentoStampa::EsciClick);

    QStringList lines;
    for (const std::string& line : LoadPrintComment()) lines << Qs(line);
    testo->setPlainText(lines.join('\n'));
}

void TCommentoStampa::EsciClick() {
    QStringList lines = testo->toPlainText().split('\n');
    // The memo's text ends without a line break; a final one adds no line.
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    std::vector<std::string> out;
    for (const QString& line : lines) out.push_back(Cp(line));
    SavePrintComment(out);
    accept();
}

bool TCommentoStampa::eventFilter(QObject* watched, QEvent* event) {
    if (watched == testo && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        EsciClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- openers ----

void OpenPrintScaleDialog(QWidget* owner) {
    TOpzioniStampaCartina dialog(owner);
    ShowModal(dialog);
}

void OpenPrintFontDialog(QWidget* owner) {
    TStampe dialog(owner);
    ShowModal(dialog);
}

void OpenPrintCommentDialog(QWidget* owner) {
    TCommentoStampa dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv
