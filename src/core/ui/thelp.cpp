#include "core/ui/thelp.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/card_notes.h"
#include "core/card_window_mode.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/text_viewer.h"
#include "core/ui/dialog_exchange.h"
#include "core/ui/form_kit.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kReadOnlyNotesText = 2308;

QFont MemoFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(8.25);  // 11 pixels on a 96-dpi screen
    return font;
}

void CentreOnDesktop(QWidget& w) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = w.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        w.move(frame.topLeft());
    }
}

}  // namespace

THelp::THelp(QWidget* owner) : QDialog(owner) {
    setObjectName("THelp");
    Menu = new QMenuBar(this);
    Esci1 = Menu->addAction(QString());
    Esci1->setObjectName("Esci1");
    Esci1->setShortcut(QKeySequence(Qt::Key_Escape));
    Esci1->setShortcutContext(Qt::WindowShortcut);
    Salva1 = Menu->addAction(QString());
    Salva1->setObjectName("Salva1");
    Stampa1 = Menu->addAction(QString());
    Stampa1->setObjectName("Stampa1");
    Testo = new QPlainTextEdit(this);
    Testo->setObjectName("Testo");
    Testo->setFont(MemoFont());
    MetteCaption = new QPushButton(this);
    MetteCaption->setObjectName("MetteCaption");
    MetteCaption->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(Menu);
    layout->addWidget(Testo);

    connect(Esci1, &QAction::triggered, this, &THelp::Esci1Click);
    connect(Salva1, &QAction::triggered, this, &THelp::Salva1Click);
    connect(Stampa1, &QAction::triggered, this, &THelp::Stampa1Click);
    connect(MetteCaption, &QPushButton::clicked, this, &THelp::MetteCaptionClick);

    resize(649, 493);
    CentreOnDesktop(*this);
    try {
        FormCreate();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void THelp::FormCreate() {
    file_ = ViewerFile(CoreState.CommandCode);
    setWindowTitle(Qs(LoadText(932)));
    Esci1->setText(Qs(LoadText(933)));
    Salva1->setText(Qs(LoadText(934)));
    Stampa1->setText(Qs(LoadText(935)));

    const ViewerSetup setup = ViewerSetupFor(file_);
    Salva1->setEnabled(setup.saveEnabled);
    // Lines longer than the window wrap where there is no horizontal scroll bar.
    Testo->setLineWrapMode(setup.bothScrollBars ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    Testo->setHorizontalScrollBarPolicy(setup.bothScrollBars ? Qt::ScrollBarAsNeeded
                                                             : Qt::ScrollBarAlwaysOff);
    Testo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A selector no caller uses shows an empty memo and never a previous file.
    path_.clear();
    caption_.clear();
    Testo->clear();
    original_.clear();
    if (!setup.entry) return;
    if (setup.entry->save == ViewerSave::Notes) {
        // In a read-only archive the notes are shown and cannot be changed.
        const bool readOnly = !ArchiveReadOnlyReason().empty();
        setWindowTitle(Qs(readOnly ? setup.caption + " - " + LoadText(kReadOnlyNotesText) : setup.caption));
        Testo->setReadOnly(readOnly);
        LoadCardNotes();
        LoadMemoFromStaging();
        return;
    }
    path_ = setup.path;
    caption_ = setup.caption;
    MetteCaptionClick();
}

void THelp::FormResize() {
    // The memo follows the window through the layout; the text is loaded only once, so edits
    // survive a resize.
}

void THelp::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void THelp::MetteCaptionClick() {
    const bool whole = LoadTextForViewer(path_);
    setWindowTitle(Qs(ViewerTitle(path_, caption_, whole)));
    if (!whole) Salva1->setEnabled(false);
    LoadMemoFromStaging();
}

void THelp::LoadMemoFromStaging() {
    QStringList lines;
    for (const std::string& line : ReadViewerStaging()) lines << Qs(line);
    Testo->setPlainText(lines.join(QChar('\n')));
    original_ = Testo->toPlainText();
}

std::vector<std::string> THelp::MemoLines() const {
    const QString text = Testo->toPlainText();
    if (text.isEmpty()) return {};
    std::vector<std::string> lines;
    for (const QString& line : text.split(QChar('\n'))) lines.push_back(Cp(line));
    return lines;
}

void THelp::Esci1Click() {
    reject();
}

void THelp::Salva1Click() {
    if (!Salva1->isEnabled()) return;
    if (SaveMemo()) close();
}

bool THelp::SaveMemo() {
    const ViewerSelector* entry = FindViewerSelector(file_);
    if (!entry || entry->save == ViewerSave::No) return false;
    try {
        if (entry->save == ViewerSave::Dialog || entry->save == ViewerSave::DialogThenFile) {
            FileDialogRequest request;
            request.kind = FileDialogKind::Save;
            request.directory = CoreState.ProgramDir;
            request.filter = "*.txt";
            const std::string chosen = AskFileName(request);
            if (!chosen.empty()) {
                SaveViewerLines(chosen, MemoLines());
                if (entry->save == ViewerSave::Dialog) original_ = Testo->toPlainText();
            }
            if (entry->save == ViewerSave::Dialog) return false;  // the window stays open
        }
        if (entry->save == ViewerSave::Notes) {
            // Notes belong to the card in hand, stored with it in card entry only.
            if (CoreState.CardWindowMode == kEntryMode) {
                SaveViewerLines(ViewerStagingPath(), MemoLines());
                SaveCardNotes();
            }
        } else if (!path_.empty()) {
            SaveViewerLines(path_, MemoLines());
        }
    } catch (const IoError& e) {
        ShowIoError(e);
        return false;
    }
    original_ = Testo->toPlainText();
    return true;
}

bool THelp::SaveAllowed() const {
    const ViewerSelector* entry = FindViewerSelector(file_);
    if (!Salva1->isEnabled() || !entry || entry->save == ViewerSave::No) return false;
    return entry->save != ViewerSave::Notes || CoreState.CardWindowMode == kEntryMode;
}

bool THelp::TextChanged() const {
    return Testo->toPlainText() != original_;
}

void THelp::reject() {
    // Esci, Esc and the close box all come here: changed text is never dropped unasked.
    if (MayLeaveChangedText(TextChanged(), SaveAllowed(), [this] { return SaveMemo() || !TextChanged(); }))
        QDialog::reject();
}

void THelp::Stampa1Click() {
    std::unique_ptr<QPrinter> printer = AskPrinter(this);
    if (!printer) return;
    QFont font = MemoFont();
    // Labels are printed at their columns and all inside the page: a row of them must fit.
    const int cellChars = file_ == ViewerFile::LabelSheet ? CoreState.LabelWidth : 0;
    if (cellChars > 0)
        font = FontFittingWidth(*printer, font, cellChars * std::max(1, int(CoreState.LabelColumns)));
    GuardedIo([&] {
        PrintTextPages(*printer, font, LayoutPrintout(MemoLines(), TextLinesPerPage(*printer, font)),
                       cellChars);
    });
}

void ShowTextViewer(QWidget* owner, ViewerFile file) {
    ExchangeDialog<THelp>(owner, int(file));
}

}  // namespace qv
