#include "core/ui/thelprtf.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

#include "core/core_state.h"
#include "core/help_page.h"
#include "core/text_tables.h"
#include "core/ui/dialog_exchange.h"
#include "platform/io_error.h"
#include "platform/rtf_reader.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {
constexpr int kEscapeKey = 27;
}

THelpRTF::THelpRTF(QWidget* owner) : QDialog(owner) {
    setObjectName("THelpRTF");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    Testo = new QTextEdit(this);
    Testo->setObjectName("Testo");
    Testo->setAcceptRichText(true);
    Testo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Testo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Testo->installEventFilter(this);
    Testo->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Testo);

    resize(625, 452);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    try {
        FormCreate();
    } catch (const IoError& e) {
        ShowIoError(e);
    }
}

void THelpRTF::FormCreate() {
    page_ = CoreState.CommandCode;
    ShowPage(page_);
}

void THelpRTF::ShowPage(int page) {
    setWindowTitle(Qs(LoadText(971)));
    const std::string path = HelpPagePath(page);
    if (!path.empty()) setWindowTitle(QPath(path));
    Testo->clear();
    if (const auto rtf = ReadHelpPage(page)) Testo->setHtml(QString::fromStdString(RtfToHtml(*rtf)));
}

void THelpRTF::FormResize() {
    // The page follows the window through the layout; it is loaded only once.
}

void THelpRTF::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void THelpRTF::TestoKeyDown(int key) {
    if (key == kEscapeKey) close();
}

bool THelpRTF::FollowLink(const QString& target) {
    const int page = HelpPageOfLink(Cp(target));
    if (page == 0) return false;
    try {
        ShowPage(page);
    } catch (const IoError& e) {
        ShowIoError(e);
    }
    return true;
}

bool THelpRTF::eventFilter(QObject* watched, QEvent* event) {
    // The text stays editable, so Qt does not follow links by itself: a plain click on one does.
    if (watched == Testo->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && FollowLink(Testo->anchorAt(mouse->position().toPoint())))
            return true;
    }
    if (watched == Testo && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        TestoKeyDown(kEscapeKey);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowHelpPage(QWidget* owner, int page) {
    ExchangeDialog<THelpRTF>(owner, page);
}

void ShowHelpPageThenClear(QWidget* owner, int page) {
    ShowHelpPage(owner, page);
    CoreState.CommandCode = 0;
}

}  // namespace qv
