// Every menu command and every tool button of every mode, with each form it opens left through
// its own exit button: nothing may crash, every form carries its captions, and the window comes
// back in a state a person can go on from.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "card_window_walkthrough.h"
#include "cardwindow/ui/category_pickers.h"
#include "cardwindow/ui/entry_dialogs.h"
#include "cardwindow/ui/taboutbox.h"
#include "cardwindow/ui/tconfigura2.h"
#include "cardwindow/ui/tescimorvidex.h"
#include "cardwindow/ui/tindicatori.h"
#include "cardwindow/ui/tinputdati.h"
#include "cardwindow/ui/tmerge.h"
#include "cardwindow/ui/tordinamento.h"
#include "cardwindow/ui/touttot.h"
#include "cardwindow/ui/tpassword.h"
#include "cardwindow/ui/trange.h"
#include "cardwindow/ui/tricodifica.h"
#include "core/ui/tarchivio.h"
#include "core/ui/tcreafile.h"
#include "core/ui/tedits2.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"
#include "elaborations/ui/factor_dialogs.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/quantitative_forms.h"
#include "elaborations/ui/tafcmodalita.h"
#include "elaborations/ui/tconnessioni.h"
#include "elaborations/ui/tdoppie.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tgrigliapresente.h"
#include "elaborations/ui/tgriglie.h"
#include "elaborations/ui/tmaxsim.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/tsemplici.h"
#include "elaborations/ui/tvedeafc.h"
#include "elaborations/ui/weights_dialogs.h"
#include "quick/ui/quick_report_forms.h"
#include "quick/ui/report_table_view.h"
#include "quick/ui/telabveloci.h"
#include "quick/ui/telabvelociafc.h"
#include "quick/ui/telabvelociaggiungi.h"
#include "quick/ui/telabvelocigriglia.h"
#include "quick/ui/telabvelocilink.h"
#include "quick/ui/telabvelociliste.h"
#include "quick/ui/telabvelociprepara.h"
#include "quick/ui/telabvelocireports.h"
#include "quick/ui/telabvelociseleziona.h"
#include "selection/ui/condition_dialogs.h"
#include "selection/ui/saved_search_dialogs.h"
#include "selection/ui/temail.h"
#include "selection/ui/teseguecollettiva.h"
#include "selection/ui/teseguelista.h"
#include "selection/ui/tetichette.h"
#include "selection/ui/tlistacliccabile.h"
#include "selection/ui/tlistamerge.h"
#include "selection/ui/tricercaschede.h"
#include "selection/ui/tselezionamaschera.h"
#include "support/caption_fit.h"
#include "territory/ui/print_settings_forms.h"
#include "territory/ui/territorial_filter_forms.h"
#include "territory/ui/tlistaterritoriale.h"
#include "territory/ui/topzioni2.h"
#include "territory/ui/tunita.h"
#include "territory/ui/tvedecartina.h"

namespace qv::test {
namespace {

class WalkthroughSweep : public CardWindowWalkthrough {};

TEST_F(WalkthroughSweep, EveryToolButtonOfEveryMode) {
    const int modes[] = {1, 2, 3, 4, 5, 6, 7, 9, 12, 13, 14, 15, 16};
    QToolButton* TPrincipale::*buttons[] = {
        &TPrincipale::b1, &TPrincipale::b2, &TPrincipale::b3, &TPrincipale::b4, &TPrincipale::b5,
        &TPrincipale::b6, &TPrincipale::b7, &TPrincipale::b8, &TPrincipale::b9, &TPrincipale::b10};
    const std::string num = ReadBytes(Archive("num-sch.dat"));
    for (int mode : modes) {
        for (int b = 0; b < 10; ++b) {
            CoreState.CurrentCard = 5;
            ReadCardText();
            ReadCardValues();
            CoreState.CardWindowMode = mode;
            CoreState.CommandCode = 1;
            window->VisualizzaClick();
            QToolButton* button = window.get()->*buttons[b];
            if (!button->isVisibleTo(window.get()) || !button->isEnabled()) continue;
            SCOPED_TRACE("mode " + std::to_string(mode) + " b" + std::to_string(b + 1));
            button->click();
            EXPECT_GE(CoreState.CardWindowMode, 1);
            EXPECT_LE(CoreState.CurrentCard, CoreState.LastCard + 1);
        }
    }
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
    // Leaving every form by its exit button stored nothing on the cards.
    EXPECT_EQ(ReadBytes(Archive("num-sch.dat")), num);
}

TEST_F(WalkthroughSweep, EveryMenuCommand) {
    std::vector<QAction*> commands;
    std::function<void(QMenu*)> collect = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            if (a->menu())
                collect(a->menu());
            else
                commands.push_back(a);
        }
    };
    for (QMenu* m : {window->Schede1, window->Elaborazioni1, window->Informazioni1, window->Esci1})
        collect(m);
    commands.push_back(window->Lista1);
    commands.push_back(window->Help1);
    for (QAction* a : commands) {
        if (!a->isEnabled()) continue;
        SCOPED_TRACE(a->text().toStdString());
        CoreState.CurrentCard = 7;
        ReadCardText();
        ReadCardValues();
        CoreState.CardWindowMode = 1;
        CoreState.CommandCode = 1;
        window->VisualizzaClick();
        a->trigger();
        EXPECT_FALSE(window->windowTitle().isEmpty());
        EXPECT_TRUE(window->ToolBar1->isVisibleTo(window.get()));
    }
    EXPECT_EQ(captionFaults, std::vector<std::string>{});
    // The exit command was answered "stay".
    EXPECT_FALSE(window->Closed());
}

TEST_F(WalkthroughSweep, SearchButtonsSayWhatTheyOpen) {
    // b2 of the search mode opens the search options: its caption names that form, not the
    // clearing of conditions that b2 of the selection mode does.
    window->Ricercadischede1->trigger();
    QString title;
    Next("TRicercaSchede", [&](QDialog& d) { title = d.windowTitle(); });
    window->b2->click();
    ASSERT_FALSE(title.isEmpty());
    EXPECT_EQ(window->b2->text().toStdString(), title.toStdString());
    window->Selezionedelleschede1->trigger();
    EXPECT_NE(window->b2->text().toStdString(), title.toStdString());
}

TEST_F(WalkthroughSweep, MarkingModesAreLeftAsTheEntryOptionsSay) {
    // Esc is the exit command in every mode: it asks whether to leave the program. The entry
    // options must not send the person to it to end a marking mode.
    std::vector<std::string> labels;
    Next("TConfigura2", [&](QDialog& d) {
        for (const char* name : {"Label10", "Label14"})
            if (auto* l = d.findChild<QLabel*>(name)) labels.push_back(l->text().toStdString());
        Click(d, "tabulatori");
    });
    window->Configura->trigger();
    ASSERT_EQ(CoreState.CardWindowMode, 5);
    ASSERT_EQ(labels.size(), 2u);
    for (const std::string& l : labels) EXPECT_EQ(l.find("Esc"), std::string::npos) << l;
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->CardArea, Qt::Key_Escape);
    ASSERT_FALSE(forms.empty());
    EXPECT_EQ(forms.back(), "TEsciMorvidex");
    // What they say instead works: another menu command ends the marking.
    window->Inserimentomodifica1->trigger();
    EXPECT_EQ(CoreState.CardWindowMode, 1);
}

TEST_F(WalkthroughSweep, FeaturesPageOfTheMenuBarIsNotEmpty) {
    std::string page;
    Next("THelpRTF",
         [&](QDialog& d) { page = static_cast<THelpRTF&>(d).Testo->toPlainText().toStdString(); });
    window->Help1->trigger();
    EXPECT_NE(page.find("Quorvanta-TV"), std::string::npos) << page;
}

template <class Form>
std::unique_ptr<QWidget> Make(QWidget* owner) {
    return std::make_unique<Form>(owner);
}

// Every form of the program as it first shows on the sample archive: no caption may be cut.
TEST_F(WalkthroughSweep, EveryFormShowsItsCaptionsWhole) {
    struct Form {
        const char* name;
        std::function<std::unique_ptr<QWidget>(QWidget*)> make;
    };
    const Form forms[] = {
        {"TAboutBox", Make<TAboutBox>},
        {"TListaModalita", Make<TListaModalita>},
        {"TSceltaModalita", Make<TSceltaModalita>},
        {"TSceltaComune",
         [](QWidget* owner) {
             return std::make_unique<TSceltaComune>(owner, std::vector<int>{609, 4041});
         }},
        {"TConfigura2", Make<TConfigura2>},
        {"TCancella", Make<TCancella>},
        {"TCopia", Make<TCopia>},
        {"TNumeroScheda", Make<TNumeroScheda>},
        {"TEsciMorvidex", Make<TEsciMorvidex>},
        {"TInputDati", Make<TInputDati>},
        {"TMerge", Make<TMerge>},
        {"TOrdinamento", Make<TOrdinamento>},
        {"TOutTot", Make<TOutTot>},
        {"TPassWord", Make<TPassWord>},
        {"TRicodifica", Make<TRicodifica>},
        {"Tindicatori", Make<Tindicatori>},
        {"TRange", Make<TRange>},
        {"TArchivio", Make<TArchivio>},
        {"TCreaFile", Make<TCreaFile>},
        {"TEditS2", Make<TEditS2>},
        {"THelp", Make<THelp>},
        {"THelpRTF", Make<THelpRTF>},
        {"TAfcModalita", Make<TAfcModalita>},
        {"Tafc", Make<Tafc>},
        {"TGrigliaPresente", Make<TGrigliaPresente>},
        {"TRighe", Make<TRighe>},
        {"TColonne", Make<TColonne>},
        {"TColMaxSim", Make<TColMaxSim>},
        {"TConnessioni", Make<TConnessioni>},
        {"TDoppie", Make<TDoppie>},
        {"TElaborazioni", Make<TElaborazioni>},
        {"TEsegue", Make<TEsegue>},
        {"TGriglie", Make<TGriglie>},
        {"TMaxSim", Make<TMaxSim>},
        {"TNoGriglia", Make<TNoGriglia>},
        {"TQuantitativeElab", Make<TQuantitativeElab>},
        {"TQuantModalita", Make<TQuantModalita>},
        {"TSemplici", Make<TSemplici>},
        {"TVedeAFC", Make<TVedeAFC>},
        {"TQuantitativa", Make<TQuantitativa>},
        {"TPesi", Make<TPesi>},
        {"TElabVelociAggiungi", Make<TElabVelociAggiungi>},
        {"TElabVelociLink", Make<TElabVelociLink>},
        {"TElabVelociPrepara", Make<TElabVelociPrepara>},
        {"TElabVelociAFC", Make<TElabVelociAFC>},
        {"TElabVelociGriglia", Make<TElabVelociGriglia>},
        {"TElabVeloci", Make<TElabVeloci>},
        {"TElabVelociListe", Make<TElabVelociListe>},
        {"TElabVelociSemplici", Make<TElabVelociSemplici>},
        {"TElabVelociDoppie", Make<TElabVelociDoppie>},
        {"TElabVelociSeleziona", Make<TElabVelociSeleziona>},
        {"TVedeTabella", Make<TVedeTabella>},
        {"TOpzioniStampa", Make<TOpzioniStampa>},
        {"TElabVelociReports", Make<TElabVelociReports>},
        {"TRicModalita", Make<TRicModalita>},
        {"TRicData", Make<TRicData>},
        {"TRicQuantita", Make<TRicQuantita>},
        {"TAzzeraRicerca", Make<TAzzeraRicerca>},
        {"TEsegueCollettiva", Make<TEsegueCollettiva>},
        {"TEsegueLista", Make<TEsegueLista>},
        {"TEtichette", Make<TEtichette>},
        {"TListaCliccabile", Make<TListaCliccabile>},
        {"TListaMerge", Make<TListaMerge>},
        {"TRicercaSchede", Make<TRicercaSchede>},
        {"TSalvaRicerca", Make<TSalvaRicerca>},
        {"TApriRicerca", Make<TApriRicerca>},
        {"TSelezionaMaschera", Make<TSelezionaMaschera>},
        {"TEmail", Make<TEmail>},
        {"TVedeCartina", Make<TVedeCartina>},
        {"TOpzioniStampaCartina", Make<TOpzioniStampaCartina>},
        {"TStampe", Make<TStampe>},
        {"TCommentoStampa", Make<TCommentoStampa>},
        {"TQualitativi", Make<TQualitativi>},
        {"TListaTerritoriale", Make<TListaTerritoriale>},
        {"TOpzioni2", Make<TOpzioni2>},
        {"TUnita", Make<TUnita>},
        {"TQuantitativi",
         [](QWidget* o) -> std::unique_ptr<QWidget> {
             return std::make_unique<TQuantitativi>(o, std::span<const int32_t>());
         }},
    };
    // The grids first, as a person makes them, so that the pickers list the variables.
    {
        TGriglie grids(window.get());
        grids.CreaGrl->click();
        grids.CreaGRQ->click();
    }
    // The main window's tool buttons change their captions with the mode.
    std::vector<std::string> clipped;
    for (int mode : {1, 2, 3, 4, 5, 6, 7, 9, 12, 13, 14, 15, 16}) {
        CoreState.CardWindowMode = mode;
        CoreState.CommandCode = 1;
        window->VisualizzaClick();
        for (const std::string& c : ClippedCaptions(*window))
            clipped.push_back("mode " + std::to_string(mode) + ": " + c);
    }
    std::set<std::string> listed{"TPrincipale"};
    for (const Form& f : forms) {
        SCOPED_TRACE(f.name);
        listed.insert(f.name);
        // The category pickers open on the field in CommandCode: the sample's coded "Sesso".
        CoreState.CommandCode = 3;
        CoreState.CardWindowMode = 1;
        std::unique_ptr<QWidget> form = f.make(window.get());
        form->show();
        for (const std::string& c : ClippedCaptions(*form)) clipped.push_back(c);
        form->hide();
    }
    EXPECT_EQ(clipped, std::vector<std::string>{});
    EXPECT_EQ(captionFaults, std::vector<std::string>{});

    // A form added later comes into the table above.
    const std::regex declared(
        R"(class (\w+) : public (?:QDialog|QMainWindow|GridPicker|FactorAnalysisDialog|SavedSearchDialog)\b)");
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::filesystem::path(QV_SOURCE_DIR) / "src")) {
        if (entry.path().extension() != ".h") continue;
        std::ifstream in(entry.path());
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string source = buffer.str();
        for (std::sregex_iterator it(source.begin(), source.end(), declared), end; it != end; ++it) {
            const std::string name = (*it)[1].str();
            if (name == "GridPicker" || name == "FactorAnalysisDialog" || name == "SavedSearchDialog")
                continue;
            EXPECT_TRUE(listed.count(name)) << name << " in " << entry.path().filename();
        }
    }
}

}  // namespace
}  // namespace qv::test
