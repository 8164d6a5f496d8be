#pragma once
#include <QString>

#include "core/text_tables.h"
#include "platform/ui/qt_text.h"

namespace qv {

// Captions that forms of every kind show, one text each in the table.
constexpr int kHelpCaption = 2010;
constexpr int kSaveCaption = 2044;
constexpr int kOptionsCaption = 2058;
constexpr int kExitCaption = 2066;
constexpr int kShowCaption = 2084;

// Text `text` of the table as a caption.
inline QString Caption(int text) {
    return Qs(LoadText(text));
}

}  // namespace qv
