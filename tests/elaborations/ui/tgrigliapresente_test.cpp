#include "elaborations/ui/tgrigliapresente.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "core/core_state.h"
#include "platform/ui/dialogs.h"
#include "support/started_program.h"

namespace qv {
namespace {

class GridPresentTest : public test::StartedProgram {};

TEST_F(GridPresentTest, WordingFollowsTheGridAsked) {
    struct Case {
        int pass;
        const char* label1;
    };
    for (const Case& c :
         {Case{0, "Testo 897"}, Case{1, "Testo 898"}, Case{2, "Testo 899"}, Case{7, "Testo 892"}}) {
        CoreState.CommandCode = c.pass;
        TGrigliaPresente d(nullptr);
        EXPECT_EQ(d.Label1->text(), c.label1);
        EXPECT_EQ(d.Label3->text(), "Testo 894");
    }
}

TEST_F(GridPresentTest, AnswerOfTheConfirmation) {
    struct Case {
        bool yes;
    };
    for (const Case& c : {Case{true}, Case{false}}) {
        forms.clear();
        On<TGrigliaPresente>([&](TGrigliaPresente& g) {
            EXPECT_EQ(CoreState.CommandCode, 2);
            (c.yes ? g.Si : g.Esci)->click();
            EXPECT_EQ(g.Replace(), c.yes);
        });
        EXPECT_EQ(ConfirmGridReplacement(nullptr, 2), c.yes);
        EXPECT_EQ(forms, std::vector<std::string>{"TGrigliaPresente"});
        EXPECT_EQ(CoreState.CommandCode, 0);
    }
}

}  // namespace
}  // namespace qv
