#pragma once

#include "elaborations/count_table.h"

class QWidget;

namespace qv {

// The two viewers the elaboration dialogs open: help page `page` (stored in
// CoreState.CommandCode first, as the help viewer expects), and the report "tabella.txt"
// (CommandCode 0).
void OpenHelpPage(QWidget* owner, int page);
void OpenReportViewer(QWidget* owner);
// After a report from the count table: the viewer when it was written, else why it was not.
void OpenCountReport(QWidget* owner, CountTableState state);
// A grid too long to count ("grl-sch.txt" of more than kMaxUsableGridLines lines): says so.
void ShowGridTooLong();
// True, after saying so, when the grid is too long to count.
bool RefuseGridTooLong();

}  // namespace qv
