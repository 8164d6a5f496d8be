#include "selection/ui/tricercaschede.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/startup.h"
#include "core/core_state.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class SearchOptionsTest : public test::StartedProgram {
  protected:
    static void Store(int kind, uint8_t fromFirst, uint8_t asList) {
        CoreState.SearchKind = kind;
        CoreState.SearchFromFirst = fromFirst;
        CoreState.SearchAsList = asList;
    }
    static std::tuple<int, int, int> Stored() {
        return {CoreState.SearchKind, CoreState.SearchFromFirst, CoreState.SearchAsList};
    }
};

TEST_F(SearchOptionsTest, OpensOnTheStoredChoicesAndExitStoresTheChecked) {
    struct Case {
        int kind;
        uint8_t fromFirst, asList;
        QRadioButton* TRicercaSchede::*checked;  // of the first group; null for none
    };
    const Case cases[] = {
        {1, 1, 0, &TRicercaSchede::sequenziale},
        {2, 0, 1, &TRicercaSchede::Alfabetica},
        {3, 1, 1, &TRicercaSchede::qualsiasi},
        {0, 0, 0, nullptr},
        {7, 2, 2, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Store(c.kind, c.fromFirst, c.asList);
        TRicercaSchede d(nullptr);
        for (QRadioButton* TRicercaSchede::*r :
             {&TRicercaSchede::sequenziale, &TRicercaSchede::Alfabetica, &TRicercaSchede::qualsiasi})
            EXPECT_EQ((d.*r)->isChecked(), r == c.checked) << (d.*r)->objectName().toStdString();
        EXPECT_EQ(d.sch1->isChecked(), c.fromFirst == 1);
        EXPECT_EQ(d.schAttuale->isChecked(), c.fromFirst != 1);
        EXPECT_EQ(d.comelista->isChecked(), c.asList == 1);
        EXPECT_EQ(d.singole->isChecked(), c.asList != 1);

        // Exit without touching anything stores what was shown: no kind when none was checked.
        d.Esci->click();
        EXPECT_EQ(Stored(),
                  std::make_tuple(c.checked ? c.kind : 0, c.fromFirst == 1 ? 1 : 0, c.asList == 1 ? 1 : 0));
    }
}

TEST_F(SearchOptionsTest, OnlyTheExitButtonOrEscStoresTheChoices) {
    // Closing the window otherwise stores nothing.
    Store(1, 1, 0);
    {
        TRicercaSchede d(nullptr);
        d.qualsiasi->setChecked(true);
        d.schAttuale->setChecked(true);
        d.comelista->setChecked(true);
        d.reject();
    }
    EXPECT_EQ(Stored(), std::make_tuple(1, 1, 0));

    // Esc presses the exit button.
    TRicercaSchede d(nullptr);
    d.Alfabetica->setChecked(true);
    d.comelista->setChecked(true);
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(Stored(), std::make_tuple(2, 1, 1));
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(SearchOptionsTest, OpenerShowsTheDialogModallyAndHelpShowsPage77) {
    Store(1, 1, 0);
    int openedWith = 0;
    On<TRicercaSchede>([&](TRicercaSchede& options) {
        openedWith = CoreState.CommandCode;
        options.Help2Click();
        options.qualsiasi->setChecked(true);
        options.Esci->click();
    });
    CoreState.CommandCode = 5;
    OpenSearchOptions(nullptr);
    EXPECT_EQ(forms, (std::vector<std::string>{"TRicercaSchede", "THelpRTF"}));
    EXPECT_EQ(openedWith, 5);
    EXPECT_EQ(helpPages, std::vector<int>{77});
    EXPECT_EQ(Stored(), std::make_tuple(3, 1, 0));
}

}  // namespace
}  // namespace qv
