#pragma once
#include <string>
#include <vector>

namespace qv::test {

// Answers every message box with OK and keeps its text in `texts`, so a test can check what the
// person would have been told. `texts` must outlive the hook (until the next SetMessageHook).
void RecordMessages(std::vector<std::string>& texts);

}  // namespace qv::test
