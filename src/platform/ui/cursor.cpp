#include "platform/ui/cursor.h"

#include <QApplication>
#include <QCursor>

namespace qv {

void HourglassOn() {
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::WaitCursor);
    else
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void HourglassOff() {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

}  // namespace qv
