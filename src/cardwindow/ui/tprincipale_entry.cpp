// Card entry in the card window: keys, mouse, field cursor and card moves.
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <algorithm>
#include <cstdio>

#include "cardwindow/card_field_text.h"
#include "cardwindow/dialer.h"
#include "cardwindow/field_commit.h"
#include "cardwindow/field_cursor.h"
#include "cardwindow/ui/category_pickers.h"
#include "cardwindow/ui/tprincipale.h"
#include "cardwindow/ui/virtual_keys.h"
#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/field_type.h"
#include "core/text_tables.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/thelp.h"
#include "platform/io_error.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {

constexpr int kToolBarBottom = 20;
// What the distribution view is asked for from the selection mode: the field under the cursor.
constexpr int kDistributionOfField = 1;
constexpr int kUnwritableCharacterText = 1558;
constexpr int kCardNotStoredText = 1559;
constexpr int kFieldFullText = 2223;  // and 2224 after the number

// Down and Up act in the modes with fields and in the mode after the last one.
bool StepMode(int mode) {
    return IsTypingMode(mode) || (mode >= kTabStopMarkMode && mode <= kLastMode);
}

// The text the field under the cursor shows, without the mark; drawing the field leaves the
// same in CurrentFieldText, and this also serves a field of a page not shown.
void TakeCurrentFieldText() {
    CoreState.CurrentFieldText = CardFieldText(CoreState.CurrentField, CoreState.CardWindowMode);
}

}  // namespace

bool TPrincipale::focusNextPrevChild(bool) {
    // Tab belongs to the card (the tab stops), never to the focus chain.
    return false;
}

bool TPrincipale::eventFilter(QObject* watched, QEvent* event) {
    if (watched != CardArea) return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            break;
        default:
            return QMainWindow::eventFilter(watched, event);
    }
    if (passwordKeysPending_ && SwallowPasswordKey(event)) return true;
    try {
        DispatchCanvasEvent(event);
    } catch (const IoError& e) {
        // The key's work is abandoned; the card stays as it was left.
        ShowIoError(e);
    }
    return true;
}

bool TPrincipale::SwallowPasswordKey(QEvent* event) {
    if (event->type() == QEvent::KeyRelease) return true;
    passwordKeysPending_ = false;
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void TPrincipale::DispatchCanvasEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (KeyHasUnwritableCharacter(*static_cast<QKeyEvent*>(event)))
                ShowEntryStatus(LoadText(kUnwritableCharacterText));
            for (const KeyMessage& m : WindowsKeyMessages(*static_cast<QKeyEvent*>(event))) {
                if (m.kind == KeyMessageKind::Down)
                    FormKeyDown(m.code);
                else if (m.kind == KeyMessageKind::Press)
                    FormKeyPress(char(m.code));
                else
                    FormKeyUp(m.code);
            }
            break;
        case QEvent::MouseButtonPress: {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            FormMouseDown(p.x(), p.y());
            break;
        }
        case QEvent::MouseButtonDblClick: {
            // As on Windows: the double click, then the press that came with it.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) FormDblClick();
            const QPoint p = mouse->position().toPoint();
            FormMouseDown(p.x(), p.y());
            break;
        }
        default:
            break;
    }
}

void TPrincipale::RedrawField(int field) {
    if (!ModeShowsFields(CoreState.CardWindowMode) || !FieldOnPage(field, CoreState.CurrentPage)) return;
    CoreState.CommandCode = field;
    ScriveCampoClick();
}

void TPrincipale::RepaintPage() {
    PaginaClick();
    if (ModeShowsFields(CoreState.CardWindowMode)) ContenutoCampiClick();
}

void TPrincipale::ShowMove(const CursorMove& move) {
    if (!move.done) return;
    RedrawField(move.fieldLeft);
    if (move.pageChanged) RepaintPage();
    RedrawField(CoreState.CurrentField);
}

void TPrincipale::CancSxxClick() {
    const int f = CoreState.CurrentField;
    if (!ModeShowsFields(CoreState.CardWindowMode) || !FieldOnPage(f, CoreState.CurrentPage)) return;
    Painter().DrawFieldBox(f, Qt::black);
}

void TPrincipale::DrawEntryBuffer(bool blankFirst) {
    const int f = CoreState.CurrentField;
    if (!ModeShowsFields(CoreState.CardWindowMode) || !FieldOnPage(f, CoreState.CurrentPage)) return;
    if (blankFirst) CancSxxClick();
    Painter().DrawFieldText(f, CoreState.EntryBuffer);
}

bool TPrincipale::CCClick() {
    const CommitResult result = CommitEntryBuffer(
        [this](CategoryPicker picker, int field) {
            return ExchangeCardDialog(
                picker == CategoryPicker::List ? CardDialog::CategoryList : CardDialog::CategoryChoice, this,
                field);
        },
        [this](const std::vector<int>& codes) { return OpenComuneChoice(this, codes); },
        [this](int field, const std::vector<int>& categories) {
            return OpenCategoryAmong(this, field, categories);
        });
    if (result.changed) NoteCardChanged();
    if (result.linked && ModeShowsFields(CoreState.CardWindowMode)) ContenutoCampiClick();
    if (result.refusal == EntryRefusal::None) {
        if (result.changed) ShowEntryStatus({});
        return true;
    }
    ShowEntryStatus(RefusalMessage(result.refusal, CoreState.CurrentField));
    // The typed text stays in the field, selected: the next character typed replaces it, the
    // arrows move into it for a correction.
    CoreState.EntryBuffer = ">" + CoreState.EntryBuffer;
    CoreState.EntryCursor = 0;
    CoreState.EntryReplaces = 1;
    const int f = CoreState.CurrentField;
    if (ModeShowsFields(CoreState.CardWindowMode) && FieldOnPage(f, CoreState.CurrentPage)) {
        CancSxxClick();
        Painter().DrawFieldText(f, CoreState.EntryBuffer, true);
    }
    return false;
}

void TPrincipale::NoteCardChanged() {
    if (CoreState.CardWindowMode == kEntryMode) typedOnCard_ = true;
}

void TPrincipale::ShowEntryStatus(const std::string& text) {
    EntryStatus->setText(Qs(text));
}

void TPrincipale::StoreCardInHand() {
    if (CoreState.CardWindowMode != kEntryMode) return;
    if (ArchiveWritable())
        SaveCurrentCard();
    else if (typedOnCard_)
        ShowInfo(CoreState.WriteAccess ? ArchiveReadOnlyReason() : LoadText(kCardNotStoredText));
    typedOnCard_ = false;
}

bool TPrincipale::CommitBeforeMove() {
    if (IsTypingMode(CoreState.CardWindowMode) && IsQuickEntryField(CoreState.CurrentField)) return true;
    return CCClick();
}

void TPrincipale::AggiungeClick() {
    ShowMove(MoveToNextField());
}

void TPrincipale::LeggeStringaClick() {
    if (CCClick()) AggiungeClick();
}

void TPrincipale::CinsClick() {
    CommitBeforeMove();
    StoreCardInHand();
}

void TPrincipale::ShowRequiredFieldsBeforeMove() {
    CoreState.ProceedFlag = 1;
    if (ArchiveWritable() && CardHasData() && CheckRequiredFields()) {
        ShowTextViewer(this, ViewerFile::MissingFields);
    }
}

void TPrincipale::MoveToCard(int step) {
    // The field being typed counts: it is committed before the card is tested for data and for
    // its required fields, and drawn again so the store below does not commit it twice.
    CommitBeforeMove();
    RedrawField(CoreState.CurrentField);
    if (step < 0 && CoreState.CurrentCard < 1) return;
    if (step > 0 && !(CoreState.CurrentCard <= NewCardNumber() && CardHasData())) return;
    ShowRequiredFieldsBeforeMove();
    if (CoreState.ProceedFlag != 1) return;
    StoreCardInHand();
    CoreState.CurrentCard += step;
    ReadCardText();
    ReadCardValues();
    ContenutoCampiClick();
}

void TPrincipale::PreviousCardClick() {
    MoveToCard(-1);
}

void TPrincipale::NextCardClick() {
    MoveToCard(+1);
}

void TPrincipale::FormKeyDown(int key) {
    const int mode = CoreState.CardWindowMode;
    const int f = CoreState.CurrentField;
    switch (key) {
        case vk::Down:
            if (!StepMode(mode) || f >= CoreState.FieldCount) return;
            if (CommitBeforeMove()) ShowMove(MoveCursorDown());
            return;
        case vk::Up:
            if (!StepMode(mode) || f < 2) return;
            if (CommitBeforeMove()) ShowMove(MoveCursorUp());
            return;
        case vk::Next:
            if (!IsNumberedMode(mode) || CoreState.CurrentPage >= CoreState.PageCount) return;
            if (CommitBeforeMove()) ShowMove(MovePageDown());
            return;
        case vk::Prior:
            if (!IsNumberedMode(mode) || CoreState.CurrentPage < 2) return;
            if (CommitBeforeMove()) ShowMove(MovePageUp());
            return;
        case vk::Home:
            if (!IsNumberedMode(mode)) return;
            if (CommitBeforeMove()) ShowMove(MoveCursorHome());
            return;
        case vk::End:
            if (!IsNumberedMode(mode)) return;
            if (CommitBeforeMove()) ShowMove(MoveCursorEnd());
            return;
        case vk::Left:
            CoreState.EntryReplaces = 0;
            if (EntryCursorLeft(CoreState.EntryBuffer, CoreState.EntryCursor)) DrawEntryBuffer(false);
            return;
        case vk::Right:
            CoreState.EntryReplaces = 0;
            if (EntryCursorRight(CoreState.EntryBuffer, CoreState.EntryCursor)) DrawEntryBuffer(false);
            return;
        case vk::Back:
            CoreState.EntryReplaces = 0;
            if (EntryBackspace(CoreState.EntryBuffer, CoreState.EntryCursor)) DrawEntryBuffer(true);
            return;
        case vk::Delete:
            CoreState.EntryReplaces = 0;
            if (EntryDelete(CoreState.EntryBuffer, CoreState.EntryCursor)) DrawEntryBuffer(true);
            return;
        case vk::F1:
            if (mode == kEntryMode) PreviousCardClick();
            return;
        case vk::F2:
            if (mode == kEntryMode) NextCardClick();
            return;
        case vk::F3:
            if (IsTypingMode(mode)) OpenFieldPicker();
            return;
        case vk::F4:
            if (mode == kEntryMode) VedeCopiaClick();
            return;
        case vk::F5:
            if (mode == kEntryMode) DialerClick();
            return;
        case vk::F8:
            if (!IsTypingMode(mode)) return;
            ClearCardFields(f, f);
            NoteCardChanged();
            RedrawField(f);
            return;
        default:
            return;
    }
}

void TPrincipale::FormKeyPress(char key) {
    // Backspace is an editing key, handled once, on key-down.
    if (key == '\b') return;
    const int mode = CoreState.CardWindowMode;
    if (!IsTypingMode(mode)) {
        MarkKey(key);
        return;
    }
    const int f = CoreState.CurrentField;
    if (IsQuickEntryField(f) && key != '\t') {
        // One key gives the field its code and moves on.
        TypeQuickEntryCharacter(CoreState.EntryBuffer, CoreState.EntryCursor, key);
        LeggeStringaClick();
        return;
    }
    if (key == '\r') {
        LeggeStringaClick();
        return;
    }
    if (static_cast<unsigned char>(key) < 32) return;
    const size_t before = CoreState.EntryBuffer.size();
    if (TypeIntoCurrentField(key))
        ShowEntryStatus(LoadText(kFieldFullText) + " " + std::to_string(EntryCharacterLimit(f)) + " " +
                        LoadText(kFieldFullText + 1));
    // The cut may take the mark away: the shorter text is drawn on a blank box.
    DrawEntryBuffer(CoreState.EntryBuffer.size() < before);
}

void TPrincipale::MarkKey(char key) {
    const int mode = CoreState.CardWindowMode;
    const int f = CoreState.CurrentField;
    const bool enter = key == '\r';
    const char upper = key >= 'a' && key <= 'z' ? char(key - 'a' + 'A') : key;
    switch (mode) {
        case kTabStopMarkMode:
        case kQuickEntryMarkMode:
        case kZeroIsOneMarkMode:
        case kCopyMarkMode:
        case kClearMarkMode:
            if (!enter) return;
            ToggleFieldAttribute(f, MarkBitOfMode(mode));
            AggiungeClick();
            return;
        case kReorderMarkMode:
            if (!enter) return;
            if (TypeOrNone(f) == FieldType::kCoded) ToggleFieldAttribute(f, MarkBitOfMode(mode));
            AggiungeClick();
            return;
        case kFieldNumberMode:
        case kRecordPositionMode:
            AggiungeClick();
            return;
        case kSelectionMode:
            if (enter) {
                AggiungeClick();
            } else if (upper == 'S') {
                ToggleStatisticsMark(f);
                RedrawField(f);
            } else if (key == '=' || key == '#') {
                ToggleConditionSense(f);
                RedrawField(f);
            } else if (upper == 'C') {
                OpenConditionDialog();
                ContenutoCampiClick();
            } else if (upper == 'D') {
                if (f >= 1 && f <= kMaxFields && FieldTypes[size_t(f)] == FieldType::kMunicipality)
                    ExchangeCardDialog(CardDialog::ComunePicker, this, std::max<int>(0, GetCardWord(f)));
                ExchangeCardDialog(CardDialog::DistributionView, this, kDistributionOfField);
            } else if (upper == 'Q') {
                ToggleStatisticsField(f);
                ContenutoCampiClick();
            }
            return;
        case kListMode:
            if (enter) {
                AggiungeClick();
            } else if (upper == 'O') {
                ToggleListOrderField(f);
                ContenutoCampiClick();
            } else if (upper == 'L') {
                ToggleListGroupField(f);
                RedrawField(f);
            }
            return;
        default:
            // The pointer-position aid and unknown modes take no typed characters.
            return;
    }
}

void TPrincipale::FormKeyUp(int key) {
    if (key != vk::Tab) return;
    if (!IsQuickEntryField(CoreState.CurrentField)) {
        if (!CCClick()) return;
        AggiungeClick();
    }
    ShowMove(MoveToNextTabStop());
}

void TPrincipale::OpenFieldPicker() {
    const int f = CoreState.CurrentField;
    if (f < 1 || f > std::min(CoreState.FieldCount, kMaxFields)) return;
    const FieldType type = FieldTypes[size_t(f)];
    int answer = 0;
    if (type.IsAnswer()) {
        answer = ExchangeCardDialog(CardDialog::CategoryList, this, f);
    } else if (type == FieldType::kMunicipality) {
        answer = ExchangeCardDialog(CardDialog::ComunePicker, this, std::max<int>(0, GetCardWord(f)));
    } else if (type == FieldType::kNumber && TerritorialLinkFields[size_t(f)]) {
        // The territorial list answers nothing.
        ExchangeCardDialog(CardDialog::TerritorialList, this, 0);
    }
    const int p = FieldPositions[size_t(f)];
    const int words = std::min(CoreState.CardWordCount, kMaxCardWords);
    if (answer > 0 && p >= 1 && p <= words) {
        CurrentCardValues[size_t(p)] = uint16_t(answer);
        NoteCardChanged();
    }
    RedrawField(f);
}

void TPrincipale::OpenConditionDialog() {
    const int f = CoreState.CurrentField;
    if (f < 1 || f > std::min(CoreState.FieldCount, kMaxFields)) return;
    const FieldType type = FieldTypes[size_t(f)];
    if (type.IsAnswer())
        ExchangeCardDialog(CardDialog::CategoryCondition, this, ConditionField(f));
    else if (type == FieldType::kDate)
        ExchangeCardDialog(CardDialog::DateCondition, this, f);
    else if (type == FieldType::kMunicipality)
        ExchangeCardDialog(CardDialog::ComunePicker, this, std::max<int>(0, GetCardWord(f)));
    else if (type.IsNumeric())
        ExchangeCardDialog(CardDialog::QuantityCondition, this, f);
}

void TPrincipale::FormDblClick() {
    if (!CoreState.MouseEntry || !CoreState.ClickInCard) return;
    CoreState.PreviousField = CoreState.CurrentField;
    const int mode = CoreState.CardWindowMode;
    if (IsTypingMode(mode)) {
        OpenFieldPicker();
    } else if (mode == kSelectionMode) {
        OpenConditionDialog();
        ContenutoCampiClick();
    }
    RedrawField(CoreState.CurrentField);
}

void TPrincipale::FormMouseDown(int x, int y) {
    CoreState.ClickInCard = y >= kToolBarBottom ? 1 : 0;
    // A press that does not move the cursor keeps what is being typed; a move commits it, as
    // the keys do.
    if (!CoreState.MouseEntry) return;
    const int mode = CoreState.CardWindowMode;
    if (mode == kPointerMode) {
        PointerPosition(x, y);
    } else if (StepMode(mode)) {
        const int f = FieldAtPoint(x, y);
        if (f == 0 || f == CoreState.CurrentField) return;
        if (CommitBeforeMove()) ShowMove(MoveCursorTo(f));
    }
}

void TPrincipale::PointerPosition(int x, int y) {
    const TextStyle plain{0, 19, 0, 0, 0, 0, 0, 0, 0};
    const TextStyle mark{0, 19, 3, 0, 0, 0, 1, 0, 0};  // bold, red
    const std::string blanks(13, ' ');
    auto three = [](int v) {
        char s[16];
        std::snprintf(s, sizeof s, "%3d", v);
        return std::string(s);
    };
    DrawCardText(plain, 1, blanks, 40, 1);
    sxxClick();
    DrawCardText(plain, 1, blanks, 60, 1);
    sxxClick();
    DrawCardText(mark, 1, "x=" + three(x), 40, 1);
    sxxClick();
    DrawCardText(mark, 1, "y=" + three(y), 60, 1);
    sxxClick();
}

void TPrincipale::VedeCopiaClick() {
    TakeCurrentFieldText();
    RedrawField(CoreState.CurrentField);
    QGuiApplication::clipboard()->setText(Qs(CoreState.CurrentFieldText));
}

void TPrincipale::DialerClick() {
    TakeCurrentFieldText();
    RedrawField(CoreState.CurrentField);
    WriteDialerSettings(CoreState.CurrentFieldText);
}

}  // namespace qv
