#include "support/message_log.h"

#include "platform/ui/dialogs.h"

namespace qv::test {

void RecordMessages(std::vector<std::string>& texts) {
    SetMessageHook([&texts](const MessageRequest& r) {
        texts.push_back(r.text);
        return 1;
    });
}

}  // namespace qv::test
