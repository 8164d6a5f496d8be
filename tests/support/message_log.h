#pragma once
#include <string>
#include <vector>

#include "platform/ui/dialogs.h"

namespace qv::test {

// Answers every message box with OK and keeps its text in `texts`, so a test can check what the
// person would have been told. `texts` must outlive the hook (until the next SetMessageHook).
void RecordMessages(std::vector<std::string>& texts);

// Answers every open/save dialog with `answer` as it stands when the dialog is shown (empty:
// cancelled) and keeps each request in `requests`. Both must outlive the hook.
void AnswerFileDialogs(std::vector<FileDialogRequest>& requests, const std::string& answer);

}  // namespace qv::test
