#include "support/started_program.h"

#include <QDialog>

#include "app/startup.h"
#include "core/core_state.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/dialogs.h"
#include "support/message_log.h"

namespace qv::test {

void SampleProgram::SetUp() {
    StartProgram();
}

void SampleProgram::TearDown() {
    StopProgram();
    ResetProgramState();
}

std::string SampleProgram::Arch(const std::string& name) {
    return CoreState.ArchiveDir + name;
}

std::string SampleProgram::Prog(const std::string& name) {
    return CoreState.ProgramDir + name;
}

void StartedProgram::SetUp() {
    SampleProgram::SetUp();
    SetModalHook([this](QDialog& d) {
        shown.push_back(d.objectName().toStdString());
        if (qobject_cast<THelp*>(&d)) viewed.push_back(CoreState.CommandCode);
        if (qobject_cast<THelpRTF*>(&d)) helpPages.push_back(CoreState.CommandCode);
        if (onShow) onShow(d);
        return 0;
    });
    RecordMessages(messages);
    AnswerFileDialogs(requests, answer);
}

void StartedProgram::TearDown() {
    ResetUiHooks();
    SampleProgram::TearDown();
}

}  // namespace qv::test
