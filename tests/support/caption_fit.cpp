#include "support/caption_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>
#include <set>

namespace qv::test {

namespace {

// Two pixels on either side of a tool button's text, whose width is fixed rather than given by a
// layout: text that comes this close to its frame here is cut under an X server, whose font
// rounds its advances up.
constexpr int kSlack = 4;

// The caption as drawn: "&&" shows one ampersand, a single "&" marks the shortcut letter.
QString Drawn(const QString& caption) {
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
        text += caption[i];
    }
    return text;
}

std::string Entry(const QWidget& w, const QString& caption, int needs, int has) {
    return w.objectName().toStdString() + ": '" + caption.toStdString() + "' needs " + std::to_string(needs) +
           " px, has " + std::to_string(has);
}

// The widest line of `text`.
int TextWidth(const QFontMetrics& metrics, const QString& text) {
    int width = 0;
    for (const QString& line : text.split(u'\n')) width = std::max(width, metrics.horizontalAdvance(line));
    return width;
}

void CheckButton(QAbstractButton& b, std::set<std::string>& faults) {
    const QString text = Drawn(b.text());
    QStyleOptionButton option;
    option.initFrom(&b);
    option.text = b.text();
    QStyle::SubElement contents;
    if (qobject_cast<QCheckBox*>(&b)) {
        if (text.trimmed().isEmpty())
            faults.insert(b.objectName().toStdString() + ": check box without caption");
        contents = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<QRadioButton*>(&b)) {
        contents = QStyle::SE_RadioButtonContents;
    } else if (qobject_cast<QPushButton*>(&b)) {
        contents = QStyle::SE_PushButtonContents;
    } else if (auto* tool = qobject_cast<QToolButton*>(&b);
               tool && (tool->icon().isNull() || tool->toolButtonStyle() != Qt::ToolButtonIconOnly)) {
        // A tool button draws its text inside its frame.
        if (text.isEmpty() || b.objectName().startsWith("qt_") || b.objectName().startsWith("Scroll")) return;
        const int room = b.width() - 2 * b.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &b);
        const int needs = TextWidth(b.fontMetrics(), text) + kSlack;
        if (needs > room) faults.insert(Entry(b, b.text(), needs, room));
        return;
    } else {
        return;
    }
    if (text.isEmpty()) return;
    const int room = b.style()->subElementRect(contents, &option, &b).width();
    const int needs = TextWidth(b.fontMetrics(), text);
    if (needs > room) faults.insert(Entry(b, b.text(), needs, room));
}

void CheckLabel(QLabel& label, std::set<std::string>& faults) {
    const QString caption = label.text();
    if (caption.isEmpty() || label.textFormat() == Qt::RichText ||
        (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(caption)))
        return;
    const QString text = label.buddy() ? Drawn(caption) : caption;
    const QRect room =
        label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    if (label.wordWrap()) {
        const int needs = label.heightForWidth(label.width());
        if (needs > label.height())
            faults.insert(label.objectName().toStdString() + ": '" + caption.toStdString() +
                          "' wrapped needs " + std::to_string(needs) + " px high, has " +
                          std::to_string(label.height()));
        return;
    }
    const int needs = TextWidth(label.fontMetrics(), text) + std::max(0, label.indent());
    if (needs > room.width()) faults.insert(Entry(label, caption, needs, room.width()));
}

void CheckCombo(QComboBox& combo, std::set<std::string>& faults) {
    if (combo.isEditable()) return;
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = false;
    const int room = combo.style()
                         ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo)
                         .width();
    for (int i = 0; i < combo.count(); ++i) {
        const QString item = combo.itemText(i);
        const int needs = combo.fontMetrics().horizontalAdvance(item);
        if (needs > room) {
            faults.insert(Entry(combo, item, needs, room));
            return;  // one item tells
        }
    }
}

void CheckVisible(QWidget& form, std::set<std::string>& faults) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&form)) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            CheckButton(*b, faults);
        else if (auto* l = qobject_cast<QLabel*>(w))
            CheckLabel(*l, faults);
        else if (auto* c = qobject_cast<QComboBox*>(w))
            CheckCombo(*c, faults);
    }
}

}  // namespace

std::vector<std::string> ClippedCaptions(QWidget& form) {
    std::set<std::string> faults;
    CheckVisible(form, faults);
    for (QTabWidget* tabs : form.findChildren<QTabWidget*>()) {
        if (!tabs->isVisibleTo(&form)) continue;
        const int current = tabs->currentIndex();
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            CheckVisible(form, faults);
        }
        tabs->setCurrentIndex(current);
    }
    const QString name = form.objectName();
    std::vector<std::string> result;
    for (const std::string& f : faults) result.push_back(name.toStdString() + "." + f);
    return result;
}

}  // namespace qv::test
