// Every dialog the card window exchanges a value with, as the running program wires it: the
// argument it is given, what a person does in it, the answer it returns and what it leaves in
// CoreState.CommandCode, which later code and the help pages read.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>

#include "app/register_all.h"
#include "cardwindow/ui/category_pickers.h"
#include "cardwindow/ui/entry_dialogs.h"
#include "cardwindow/ui/tescimorvidex.h"
#include "cardwindow/ui/tinputdati.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tgrigliapresente.h"
#include "quick/ui/report_table_view.h"
#include "selection/collective_selection.h"
#include "selection/ui/condition_dialogs.h"
#include "selection/ui/teseguecollettiva.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tlistacliccabile.h"
#include "selection/ui/tselezionamaschera.h"
#include "support/started_program.h"
#include "support/temp_dir.h"
#include "territory/ui/topzioni2.h"
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
        std::filesystem::create_directories(MapState.TerritoryDir);
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

using Exchange = std::function<int(int argument)>;

// The exchanges as the card window performs them: through the registry, or directly.
Exchange Card(CardDialog dialog) {
    return [dialog](int argument) { return ExchangeCardDialog(dialog, nullptr, argument); };
}
const Exchange kListRun = [](int request) { return OpenListRun(nullptr, request); };
const Exchange kLeave = [](int) { return int(AskToLeave(nullptr)); };
const Exchange kMapOptions = [](int) { return int(OpenMapOptions(nullptr)); };
const Exchange kBatch = [](int job) {
    OpenBatchRunner(nullptr, job);
    return CoreState.CommandCode;
};
const Exchange kPrintMask = [](int mode) {
    OpenPrintMask(nullptr, mode);
    return CoreState.CommandCode;
};
const Exchange kTextImport = [](int) {
    OpenTextImport(nullptr);
    return CoreState.CommandCode;
};
const Exchange kCollective = [](int) {
    OpenCollectiveSelection(nullptr);
    return CoreState.CommandCode;
};
const Exchange kReportTable = [](int columns) { return OpenReportTableView(nullptr, columns); };
const Exchange kGridReplacement = [](int pass) { return int(ConfirmGridReplacement(nullptr, pass)); };

TEST_F(DialogExchangeTest, EachExchangeAnswersAndLeavesTodaysValue) {
    // An append from a file that is not there: the report is written and shown.
    const auto FailImport = [this](TInputDati& d) {
        CoreState.WriteAccess = 1;
        test::WriteBytes(Arch("trc-dat.txt"), "1\r\n");
        d.NomeFile->setText(QString::fromStdString(root.Root() + "manca.txt"));
        d.AggiungeDati->click();
    };
    struct Case {
        const char* what;
        Exchange exchange;
        int argument;
        std::function<void(QDialog&)> play;
        int answer;
        int after;  // CommandCode after the exchange
    } cases[] = {
        {"category list: Enter on the fourth", Card(CardDialog::CategoryList), kEducationField,
         Play<TListaModalita>([](TListaModalita& d) { PickRow(d.modalita, 3); }), 4, 4},
        {"category list: Esc", Card(CardDialog::CategoryList), kEducationField,
         Play<TListaModalita>([](TListaModalita& d) { d.reject(); }), 0, 0},
        {"category list: help, then Conferma without a highlighted one", Card(CardDialog::CategoryList),
         kEducationField, Play<TListaModalita>([](TListaModalita& d) {
             d.Help2Click();
             d.modalita->clearSelection();
             d.ConfermaClick();
         }),
         0, 0},
        {"category choice: Enter on the second", Card(CardDialog::CategoryChoice), kEducationField,
         Play<TSceltaModalita>([](TSceltaModalita& d) { PickRow(d.Modalita, 1); }), 2, 2},
        {"category choice: help, then Esci", Card(CardDialog::CategoryChoice), kEducationField,
         Play<TSceltaModalita>([](TSceltaModalita& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         0, 0},
        {"municipality: double click on the second", Card(CardDialog::ComunePicker), kParma,
         Play<TUnita>([](TUnita& d) {
             d.Comuni->setCurrentRow(1, QItemSelectionModel::NoUpdate);
             d.ComuniDblClick();
         }),
         kParmaProvinceStart + 1, kParmaProvinceStart + 1},
        {"municipality: help, then Esci with none chosen", Card(CardDialog::ComunePicker), kParma,
         Play<TUnita>([](TUnita& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         kParma, kParma},
        {"municipality: the third toggled, then Esci", Card(CardDialog::ComunePicker), kParma,
         Play<TUnita>([](TUnita& d) {
             d.Comuni->setCurrentRow(2, QItemSelectionModel::NoUpdate);
             d.ComuniClick();
             d.EsciClick();
         }),
         kParmaProvinceStart + 2, kParmaProvinceStart + 2},
        {"clear: F8", Card(CardDialog::ClearFields), 0, Play<TCancella>([](TCancella& d) { d.F8Click(); }), 1,
         1},
        {"clear: Tutti", Card(CardDialog::ClearFields), 0,
         Play<TCancella>([](TCancella& d) { d.TuttiClick(); }), 2, 2},
        {"clear: Configura", Card(CardDialog::ClearFields), 0,
         Play<TCancella>([](TCancella& d) { d.ConfiguraClick(); }), 3, 3},
        {"clear: help, then Esci", Card(CardDialog::ClearFields), 0, Play<TCancella>([](TCancella& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         0, 0},
        {"copy: Precedente", Card(CardDialog::CopyCard), 0,
         Play<TCopia>([](TCopia& d) { d.PrecedenteClick(); }), 1, 1},
        {"copy: Recupera", Card(CardDialog::CopyCard), 0, Play<TCopia>([](TCopia& d) { d.RecuperaClick(); }),
         2, 2},
        {"copy: help, then Esci", Card(CardDialog::CopyCard), 0, Play<TCopia>([](TCopia& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         0, 0},
        {"category condition: Esci", Card(CardDialog::CategoryCondition), kSexField,
         Play<TRicModalita>([](TRicModalita& d) { d.EsciClick(); }), kSexField, kSexField},
        {"distribution: the report viewer", Card(CardDialog::DistributionView), 1, {}, 0, 0},
        {"clickable list: Esci", Card(CardDialog::ClickableList), 0,
         Play<TListaCliccabile>([](TListaCliccabile& d) { d.Esci1Click(); }), 0, 0},
        {"list run: see the list", kListRun, 0,
         Play<TEsegueLista>([](TEsegueLista& d) { d.ListaTXTClick(); }), 3, 3},
        {"list run: Esci", kListRun, 0, Play<TEsegueLista>([](TEsegueLista& d) { d.EsciClick(); }), 0, 0},
        {"list run: the card printed, then Esc", kListRun, 2,
         Play<TEsegueLista>([](TEsegueLista& d) { d.reject(); }), 2, 2},
        {"list run: the card printed, its text seen, then Esc", kListRun, 2,
         Play<TEsegueLista>([](TEsegueLista& d) {
             d.ListaTXTClick();
             d.reject();
         }),
         0, 0},
        {"exit: stay", kLeave, 0, Play<TEsciMorvidex>([](TEsciMorvidex& d) { d.Si->click(); }), 0, 0},
        {"exit: leave", kLeave, 0, Play<TEsciMorvidex>([](TEsciMorvidex& d) { d.No->click(); }), 1, 1},
        {"exit: the close box", kLeave, 0, {}, 0, 0},
        {"map options: Lista", kMapOptions, 0, Play<TOpzioni2>([](TOpzioni2& d) { d.ListaClick(); }), 2, 2},
        {"map options: help, then Esci alla cartina", kMapOptions, 0, Play<TOpzioni2>([](TOpzioni2& d) {
             d.HelpPage(1);
             d.EsciCartinaClick();
         }),
         1, 1},
        {"map options: help, then the close box", kMapOptions, 0, Play<TOpzioni2>([](TOpzioni2& d) {
             d.HelpPage(1);
             static_cast<QDialog&>(d).reject();
         }),
         0, 0},
        {"batch runner: Esci", kBatch, kRangeCheckJob, Play<TEsegue>([](TEsegue& d) { d.EsciClick(); }),
         kRangeCheckJob, kRangeCheckJob},
        {"grid present: Si", kGridReplacement, 1,
         Play<TGrigliaPresente>([](TGrigliaPresente& d) { d.SiClick(); }), 1, 0},
        {"grid present: Esci", kGridReplacement, 1,
         Play<TGrigliaPresente>([](TGrigliaPresente& d) { d.EsciClick(); }), 0, 0},
        {"batch runner: the category count", kBatch, kCategoryCountJob,
         Play<TEsegue>([](TEsegue& d) { d.EseguiClick(); }), kCategoryCountPass, kCategoryCountPass},
        {"print mask: Esci in list mode", kPrintMask, 1,
         Play<TSelezionaMaschera>([](TSelezionaMaschera& d) { d.EsciClick(); }), 1, 1},
        {"print mask: Visualizza, then Esci", kPrintMask, 2,
         Play<TSelezionaMaschera>([](TSelezionaMaschera& d) {
             d.VisualizzaClick();
             d.EsciClick();
         }),
         -14, -14},
        {"print mask: help, then the close box", kPrintMask, 2,
         Play<TSelezionaMaschera>([](TSelezionaMaschera& d) {
             d.Help2Click();
             d.reject();
         }),
         0, 0},
        {"text import: the close box", kTextImport, 0, {}, 1, 1},
        {"text import: help, then the close box", kTextImport, 0, Play<TInputDati>([](TInputDati& d) {
             d.Help2Click();
             d.reject();
         }),
         53, 53},
        {"text import: an import with a report, then the close box", kTextImport, 0,
         Play<TInputDati>([&](TInputDati& d) {
             FailImport(d);
             d.reject();
         }),
         0, 0},
        {"text import: an import with a report, help, then Visualizza (the field order)", kTextImport, 0,
         Play<TInputDati>([&](TInputDati& d) {
             FailImport(d);
             d.Help2Click();
             d.VisualizzaClick();
             d.reject();
         }),
         -12, -12},
        {"report table: Esci", kReportTable, 2, Play<TVedeTabella>([](TVedeTabella& d) { d.Esci1Click(); }),
         2, 2},
        {"report table: help, then Esci", kReportTable, 2, Play<TVedeTabella>([](TVedeTabella& d) {
             d.Help1Click();
             d.Esci1Click();
         }),
         0, 0},
        {"collective selection: Prima ricerca", kCollective, 0,
         Play<TEsegueCollettiva>([](TEsegueCollettiva& d) { d.PrimaRicercaClick(); }), kFirstSearch,
         kFirstSearch},
        {"collective selection: help, then Esci", kCollective, 0,
         Play<TEsegueCollettiva>([](TEsegueCollettiva& d) {
             d.Help2Click();
             d.EsciClick();
         }),
         48, 48},
    };
    for (const Case& c : cases) {
        onShow = c.play;
        CoreState.CommandCode = kBefore;
        EXPECT_EQ(c.exchange(c.argument), c.answer) << c.what;
        EXPECT_EQ(CoreState.CommandCode, c.after) << c.what;
    }
}

}  // namespace
}  // namespace qv
