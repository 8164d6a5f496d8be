#pragma once

class QWidget;

namespace qv {

// The distribution view of the selection mode: writes the distribution of the field under the
// cursor to "tabella.txt" and shows it in the text viewer (selector 0, saving allowed). A file
// error while writing raises IoError before the viewer opens.
void OpenDistributionView(QWidget* owner);

}  // namespace qv
