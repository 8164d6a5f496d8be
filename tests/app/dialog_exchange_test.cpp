// Every dialog the card window exchanges a value with, as the running program wires it: the
// argument it is given, what a person does in it, the answer it returns and what it leaves in
// CoreState.CommandCode, which later code and the help pages read.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "app/register_all.h"
#include "cardwindow/ui/category_pickers.h"
#include "cardwindow/ui/entry_dialogs.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "selection/ui/condition_dialogs.h"
#include "selection/ui/lista_cliccabile.h"
#include "support/started_program.h"
#include "territory/ui/tunita.h"

namespace qv {
namespace {

// The sample archive's fields and the shipped territory codes.
constexpr int kSexField = 3;
constexpr int kEducationField = 8;  // five categories
constexpr int kParma = 3784;
constexpr int kParmaProvinceStart = 3759;
constexpr int kBefore = 77;  // what CommandCode holds before each exchange

class DialogExchangeTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        RegisterAllDialogs();
        CoreState.CardWindowMode = 1;
        CoreState.CurrentCard = CoreState.LastCard + 1;
        ReadCardText();
        ReadCardValues();
    }
    void TearDown() override {
        for (int d = 1; d <= kCardDialogCount; ++d) RegisterCardDialog(CardDialog(d), nullptr);
        StartedProgram::TearDown();
    }
};

// What a person does in the dialog of type D; the help windows it opens are left at once.
template <typename D>
std::function<void(QDialog&)> Play(std::function<void(D&)> act) {
    return [act](QDialog& d) {
        if (auto* dialog = dynamic_cast<D*>(&d)) act(*dialog);
    };
}

void PickRow(QListWidget* list, int row) {
    list->setCurrentRow(row);
    QTest::keyClick(list, Qt::Key_Return);
}

// The exchange as the card window performs it.
int Exchange(CardDialog dialog, int argument) {
    return ExchangeCardDialog(dialog, nullptr, argument);
}

TEST_F(DialogExchangeTest, EachExchangeAnswersAndLeavesTodaysValue) {
    struct Case {
        const char* what;
        CardDialog dialog;
        int argument;
        std::function<void(QDialog&)> play;
        int answer;
        int after;  // CommandCode after the exchange
    } cases[] = {
        {"category list: Enter on the fourth", CardDialog::CategoryList, kEducationField,
         Play<TListaModalita>([](TListaModalita& d) { PickRow(d.modalita, 3); }), 4, 4},
        {"category list: Esc", CardDialog::CategoryList, kEducationField,
         Play<TListaModalita>([](TListaModalita& d) { d.reject(); }), 0, 0},
        {"category list: help, then Conferma without a highlighted one", CardDialog::CategoryList,
         kEducationField,
         Play<TListaModalita>([](TListaModalita& d) {
             d.Help2Click();
             d.modalita->clearSelection();
             d.ConfermaClick();
         }),
         0, 0},
        {"category choice: Enter on the second", CardDialog::CategoryChoice, kEducationField,
         Play<TSceltaModalita>([](TSceltaModalita& d) { PickRow(d.Modalita, 1); }), 2, 2},
        {"category choice: help, then Esci", CardDialog::CategoryChoice, kEducationField,
         Play<TSceltaModalita>([](TSceltaModalita& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         0, 0},
        {"municipality: double click on the second", CardDialog::ComunePicker, kParma,
         Play<TUnita>([](TUnita& d) {
             d.Comuni->setCurrentRow(1, QItemSelectionModel::NoUpdate);
             d.ComuniDblClick();
         }),
         kParmaProvinceStart + 1, kParmaProvinceStart + 1},
        {"municipality: help, then Esci with none chosen", CardDialog::ComunePicker, kParma,
         Play<TUnita>([](TUnita& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         kParma, kParma},
        {"municipality: the third toggled, then Esci", CardDialog::ComunePicker, kParma,
         Play<TUnita>([](TUnita& d) {
             d.Comuni->setCurrentRow(2, QItemSelectionModel::NoUpdate);
             d.ComuniClick();
             d.EsciClick();
         }),
         kParmaProvinceStart + 2, kParmaProvinceStart + 2},
        {"clear: F8", CardDialog::ClearFields, 0, Play<TCancella>([](TCancella& d) { d.F8Click(); }), 1, 1},
        {"clear: Tutti", CardDialog::ClearFields, 0, Play<TCancella>([](TCancella& d) { d.TuttiClick(); }), 2,
         2},
        {"clear: Configura", CardDialog::ClearFields, 0,
         Play<TCancella>([](TCancella& d) { d.ConfiguraClick(); }), 3, 3},
        {"clear: help, then Esci", CardDialog::ClearFields, 0, Play<TCancella>([](TCancella& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         0, 0},
        {"copy: Precedente", CardDialog::CopyCard, 0, Play<TCopia>([](TCopia& d) { d.PrecedenteClick(); }), 1,
         1},
        {"copy: Recupera", CardDialog::CopyCard, 0, Play<TCopia>([](TCopia& d) { d.RecuperaClick(); }), 2, 2},
        {"copy: help, then Esci", CardDialog::CopyCard, 0, Play<TCopia>([](TCopia& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         0, 0},
        {"category condition: Esci", CardDialog::CategoryCondition, kSexField,
         Play<TRicModalita>([](TRicModalita& d) { d.EsciClick(); }), kSexField, kSexField},
        {"distribution: the report viewer", CardDialog::DistributionView, 1, {}, 0, 0},
        {"clickable list: Esci", CardDialog::ClickableList, 0,
         Play<TListaCliccabile>([](TListaCliccabile& d) { d.Esci1Click(); }), 0, 0},
    };
    for (const Case& c : cases) {
        onShow = c.play;
        CoreState.CommandCode = kBefore;
        EXPECT_EQ(Exchange(c.dialog, c.argument), c.answer) << c.what;
        EXPECT_EQ(CoreState.CommandCode, c.after) << c.what;
    }
}

}  // namespace
}  // namespace qv
