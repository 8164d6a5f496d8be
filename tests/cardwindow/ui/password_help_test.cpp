#include <gtest/gtest.h>

#include <QPushButton>

#include "app/startup.h"
#include "cardwindow/ui/tpassword.h"
#include "core/core_state.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/dialog_script.h"
#include "support/program_dir.h"

namespace qv {
namespace {

TEST(PasswordHelp, HelpButtonShowsPage68) {
    test::ProgramRoot root;
    test::WriteBytes(root / "pxx-dat.imp", "segreto\r\n");
    StartProgram();
    std::vector<std::string> shown;
    test::DialogScript person;
    person.onShow = [&](QDialog& d) {
        if (qobject_cast<THelpRTF*>(&d)) shown.push_back(Cp(d.windowTitle()));
    };
    person.Install();
    {
        TPassWord p(nullptr);
        p.show();
        p.VedeHelp->click();
        EXPECT_TRUE(p.isVisible());
    }
    EXPECT_EQ(shown, std::vector<std::string>{root / "help/help068.rtf"});
    EXPECT_EQ(CoreState.CommandCode, 68);
    EXPECT_EQ(CoreState.WriteAccess, 0);
    ResetUiHooks();
    StopProgram();
    ResetProgramState();
}

}  // namespace
}  // namespace qv
