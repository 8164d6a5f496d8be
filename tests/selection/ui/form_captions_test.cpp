// Each selection form's captions against the text numbers they are taken from, one table per
// form, on a program whose text N is "Testo N".
#include <gtest/gtest.h>

#include "core/core_state.h"
#include "selection/ui/condition_dialogs.h"
#include "selection/ui/esegue_collettiva.h"
#include "selection/ui/lista_merge.h"
#include "selection/ui/ricerca_schede.h"
#include "selection/ui/saved_search_dialogs.h"
#include "support/form_captions.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class SelectionCaptions : public StartedProgram {};

TEST_F(SelectionCaptions, EveryControlShowsItsText) {
    const std::vector<FormCaptions> forms = {
        {"TRicercaSchede", MakeForm<TRicercaSchede>,
         {{"", 1259}, {"Label1", 1260}, {"sequenziale", 1261}, {"Alfabetica", 1262}, {"qualsiasi", 1263},
          {"Label2", 1264}, {"sch1", 1265}, {"schAttuale", 1266}, {"Label3", 1267}, {"singole", 1268},
          {"comelista", 1269}, {"Esci", 1270}, {"Esci:tip", 1271}, {"Help2", 1272}, {"Help2:tip", 1273}}},
        {"TRicModalita",
         [] {
             CoreState.CommandCode = 3;  // the sample's sex field
             return MakeForm<TRicModalita>();
         },
         {{"", 1274}, {"Modalita:tip", 1275}, {"Attiva", 1278}, {"Cancella:tip", 1281}}},
        {"TAzzeraRicerca", MakeForm<TAzzeraRicerca>, {{"", 211}, {"Condizioni:tip", 215}}},
        {"TEsegueCollettiva", MakeForm<TEsegueCollettiva>,
         {{"", 846}, {"PrimaRicerca", 847}, {"Legge:tip", 852}}},
        {"TSalvaRicerca", MakeForm<TSalvaRicerca>, {{"", 1325}, {"Territorio:tip", 1331}}},
        {"TApriRicerca", MakeForm<TApriRicerca>, {{"", 168}, {"Ricerca:tip", 174}}},
        {"TListaMerge", MakeForm<TListaMerge>, {{"", 1026}, {"Alfabeticamente", 1027}, {"Unisce:tip", 1034}}},
    };
    EXPECT_EQ(CaptionFaults(forms), std::vector<std::string>{});
}

}  // namespace
}  // namespace qv
