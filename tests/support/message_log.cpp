#include "support/message_log.h"

namespace qv::test {

void RecordMessages(std::vector<std::string>& texts) {
    SetMessageHook([&texts](const MessageRequest& r) {
        texts.push_back(r.text);
        return 1;
    });
}

void AnswerFileDialogs(std::vector<FileDialogRequest>& requests, const std::string& answer) {
    SetFileDialogHook([&requests, &answer](const FileDialogRequest& r) {
        requests.push_back(r);
        return answer;
    });
}

}  // namespace qv::test
