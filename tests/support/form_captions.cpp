#include "support/form_captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>

namespace qv::test {

namespace {

// The caption a person reads on `o`: a button's, label's or field's text, a box's or menu's
// title, a command's text, else a window title.
QString CaptionOf(const QObject& o) {
    if (auto* b = qobject_cast<const QAbstractButton*>(&o)) return b->text();
    if (auto* l = qobject_cast<const QLabel*>(&o)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(&o)) return e->text();
    if (auto* g = qobject_cast<const QGroupBox*>(&o)) return g->title();
    if (auto* m = qobject_cast<const QMenu*>(&o)) return m->title();
    if (auto* a = qobject_cast<const QAction*>(&o)) return a->text();
    if (auto* w = qobject_cast<const QWidget*>(&o)) return w->windowTitle();
    return {};
}

QString TipOf(const QObject& o) {
    if (auto* a = qobject_cast<const QAction*>(&o)) return a->toolTip();
    if (auto* w = qobject_cast<const QWidget*>(&o)) return w->toolTip();
    return {};
}

}  // namespace

std::vector<std::string> CaptionFaults(const std::vector<FormCaptions>& forms) {
    std::vector<std::string> faults;
    for (const FormCaptions& f : forms) {
        const std::unique_ptr<QWidget> form = f.make();
        for (const Caption& c : f.captions) {
            std::string name = c.control;
            const size_t colon = name.find(':');
            const bool tip = colon != std::string::npos;
            if (tip) name.resize(colon);
            const std::string where = std::string(f.form) + "." + c.control;
            const QObject* o =
                name.empty() ? form.get() : form->findChild<QObject*>(QString::fromStdString(name));
            if (!o) {
                faults.push_back(where + ": no such control");
                continue;
            }
            const QString want = QStringLiteral("Testo %1").arg(c.text);
            const QString got = name.empty() ? form->windowTitle() : tip ? TipOf(*o) : CaptionOf(*o);
            if (got != want)
                faults.push_back(where + ": '" + got.toStdString() + "', not '" + want.toStdString() + "'");
        }
    }
    return faults;
}

}  // namespace qv::test
