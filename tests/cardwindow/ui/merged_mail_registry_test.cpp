// The merged-list and e-mail dialogs are reached through the card window's registry.
#include <gtest/gtest.h>

#include <QDialog>
#include <string>
#include <vector>

#include "app/register_all.h"
#include "app/startup.h"
#include "cardwindow/ui/card_search.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/card_dialogs.h"
#include "elaborations/ui/batch_jobs.h"
#include "platform/ui/dialogs.h"
#include "support/card_window.h"
#include "support/program_dir.h"

namespace qv {
namespace {

TEST(MergedMailRegistryTest, StartUpRegistersBothDialogs) {
    test::ProgramRoot root{false, kLastOwnText};  // the e-mail dialog reads texts of its own
    StartProgram();
    test::DialogScript person;
    person.Install();
    RegisterAllDialogs();
    EXPECT_TRUE(OpenCardDialog(CardDialog::MergedList, nullptr));
    EXPECT_TRUE(OpenCardDialog(CardDialog::Email, nullptr));
    EXPECT_EQ(person.forms, (std::vector<std::string>{"TListaMerge", "TEmail"}));

    test::StopCardWindowProgram();
}

}  // namespace
}  // namespace qv
