#include "selection/ui/tlistacliccabile.h"

#include <QAction>
#include <QFont>
#include <QListWidget>
#include <QMenuBar>
#include <QPrinter>
#include <QVBoxLayout>
#include <algorithm>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"
#include "selection/clickable_list.h"

namespace qv {

namespace {

constexpr int32_t kLastReselectedRow = 9999;
constexpr size_t kCaptionChars = 255;

QFont ListFont() {
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

}  // namespace

TListaCliccabile::TListaCliccabile(QWidget* owner) : QDialog(owner) {
    setObjectName("TListaCliccabile");
    Menu = new QMenuBar(this);
    Stampa1 = Menu->addAction(QString());
    Stampa1->setObjectName("Stampa1");
    Esci1 = Menu->addAction(QString());
    Esci1->setObjectName("Esci1");
    Esci1->setShortcut(QKeySequence(Qt::Key_Escape));
    Lista = new QListWidget(this);
    Lista->setObjectName("Lista");
    Lista->setFont(ListFont());
    Lista->setUniformItemSizes(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(Menu);
    layout->addWidget(Lista);
    resize(640, 480);

    connect(Stampa1, &QAction::triggered, this, &TListaCliccabile::Stampa1Click);
    connect(Esci1, &QAction::triggered, this, &TListaCliccabile::Esci1Click);
    connect(Lista, &QListWidget::itemClicked, this, &TListaCliccabile::ListaClick);
    // Enter on a row chooses it as a click does.
    connect(Lista, &QListWidget::itemActivated, this, [this] {
        if (!chosen_) ListaClick();
    });
    try {
        FormCreate();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void TListaCliccabile::FormCreate() {
    setWindowTitle(Qs(LoadText(1021)));
    Stampa1->setText(Qs(LoadText(1022)));
    Esci1->setText(Qs(LoadText(1023)));
    const std::optional<StagedList> list = StageClickableList();
    if (!list) return;
    QStringList rows;
    rows.reserve(int(list->rows.size()));
    for (const std::string& row : list->rows) rows.append(Qs(row));
    Lista->addItems(rows);
    const int32_t row = CoreState.ListRow;
    if (row > 0 && row <= kLastReselectedRow && row < Lista->count()) Lista->setCurrentRow(row);
    std::string caption = DisplayPath(CoreState.ProgramDir) + LoadText(1024);
    if (list->Truncated()) caption = LoadText(1025) + " " + caption;
    caption.resize(std::min(caption.size(), kCaptionChars));
    setWindowTitle(Qs(caption));
}

void TListaCliccabile::ListaClick() {
    const int row = Lista->currentRow();
    if (row < 0) return;
    CoreState.ListRow = row;
    int32_t card = 0;
    try {
        card = ListRowCard(row);
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    // A row file left by another archive may hold anything: a negative number names no card.
    if (card < 0) return;
    chosen_ = true;
    CoreState.CurrentCard = card;
    accept();
}

void TListaCliccabile::Stampa1Click() {
    std::unique_ptr<QPrinter> printer = AskPrinter(this);
    if (!printer) return;
    std::vector<std::string> lines;
    try {
        lines = ListPrintLines();
    } catch (const IoError& e) {
        ShowIoError(e);
        return;
    }
    // One printed line per list line; the page ends where the printer's page is full.
    const QFont font = Lista->font();
    const size_t perPage = size_t(TextLinesPerPage(*printer, font));
    std::vector<std::vector<std::string>> pages;
    for (size_t i = 0; i < lines.size(); i += perPage)
        pages.emplace_back(lines.begin() + long(i),
                           lines.begin() + long(std::min(lines.size(), i + perPage)));
    GuardedIo([&] { PrintTextPages(*printer, font, pages); });
}

void TListaCliccabile::Esci1Click() {
    reject();
}

int ShowClickableList(QWidget* owner) {
    return ExchangeDialog<TListaCliccabile>(owner, 0);
}

}  // namespace qv
