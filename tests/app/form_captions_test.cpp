// Every form's captions against the text numbers they are taken from, one table per form (the
// card window's tool bar once per mode), on a program whose text N is "Testo N": a caption taken
// from the wrong text number shows here.
#include "support/form_captions.h"

#include <gtest/gtest.h>

#include "cardwindow/ui/category_pickers.h"
#include "cardwindow/ui/entry_dialogs.h"
#include "cardwindow/ui/tconfigura2.h"
#include "cardwindow/ui/tescimorvidex.h"
#include "cardwindow/ui/tindicatori.h"
#include "cardwindow/ui/tordinamento.h"
#include "cardwindow/ui/tpassword.h"
#include "cardwindow/ui/tprincipale.h"
#include "cardwindow/ui/trange.h"
#include "core/core_state.h"
#include "core/ui/tarchivio.h"
#include "core/ui/tedits2.h"
#include "core/ui/thelp.h"
#include "elaborations/ui/factor_dialogs.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/quantitative_forms.h"
#include "elaborations/ui/tafcmodalita.h"
#include "elaborations/ui/tconnessioni.h"
#include "elaborations/ui/tdoppie.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tgrigliapresente.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/tsemplici.h"
#include "elaborations/ui/weights_dialogs.h"
#include "quick/ui/quick_report_forms.h"
#include "quick/ui/telabveloci.h"
#include "quick/ui/telabvelociafc.h"
#include "quick/ui/telabvelocigriglia.h"
#include "quick/ui/telabvelociliste.h"
#include "quick/ui/telabvelociprepara.h"
#include "quick/ui/telabvelocireports.h"
#include "selection/ui/condition_dialogs.h"
#include "selection/ui/saved_search_dialogs.h"
#include "selection/ui/teseguecollettiva.h"
#include "selection/ui/tlistamerge.h"
#include "selection/ui/tricercaschede.h"
#include "support/started_program.h"
#include "territory/ui/print_settings_forms.h"
#include "territory/ui/topzioni2.h"

namespace qv {
namespace {

using namespace test;

// The card window painted in `mode`, with or without the write password.
std::function<std::unique_ptr<QWidget>()> WindowIn(int mode, bool writeAccess = false) {
    return [=] {
        auto w = std::make_unique<TPrincipale>();
        w->FormCreate();
        CoreState.WriteAccess = writeAccess;
        CoreState.CardWindowMode = mode;
        w->VisualizzaClick();
        return std::unique_ptr<QWidget>(std::move(w));
    };
}

class FormCaptionsTest : public StartedProgram {};

TEST_F(FormCaptionsTest, EveryControlShowsItsText) {
    const std::vector<FormCaptions> forms = {
        // The shared forms.
        {"THelp",
         [] {
             CoreState.CommandCode = 0;  // a report
             return MakeForm<THelp>();
         },
         {{"Esci1", 933}, {"Salva1", 934}, {"Stampa1", 935}}},
        {"TEditS2", MakeForm<TEditS2>, {{"", 399}}},
        {"TArchivio", MakeForm<TArchivio>, {{"", 179}}},
        // The card window.
        {"TPrincipale menu",
         WindowIn(1),
         {{"Schede1", 1},
          {"ApriArchivio", 2},
          {"Configura", 14},
          {"Elaborazioni1", 15},
          {"ElaborazioniVeloci1", 20},
          {"Lista1", 21},
          {"AboutItem", 24},
          {"Esci2", 26},
          {"Help1", 27}}},
        {"TPrincipale mode 1",
         WindowIn(1),
         {{"b2", 120},
          {"b3:tip", 62},
          {"b4:tip", 63},
          {"b5:tip", 64},
          {"b6", 65},
          {"b8", 66},
          {"b9", 67},
          {"b10:tip", 69}}},
        {"TPrincipale mode 2",
         WindowIn(2),
         {{"b2", 70},
          {"b2:tip", 71},
          {"b3", 72},
          {"b3:tip", 73},
          {"b4", 74},
          {"b4:tip", 75},
          {"b5:tip", 77},
          {"b6", 78},
          {"b7", 79},
          {"b8:tip", 81}}},
        {"TPrincipale mode 3",
         WindowIn(3, true),
         {{"b2", 119}, {"b3", 97}, {"b3:tip", 98}, {"b4", 99}, {"b4:tip", 100}}},
        {"TPrincipale mode 4",
         WindowIn(4, true),
         {{"b2", 119},
          {"b3:tip", 62},
          {"b4:tip", 63},
          {"b5:tip", 64},
          {"b6", 65},
          {"b8", 66},
          {"b9", 67},
          {"b10", 68},
          {"b10:tip", 69}}},
        {"TPrincipale mode 12",
         WindowIn(12),
         {{"b2", 101},
          {"b2:tip", 102},
          {"b3", 103},
          {"b3:tip", 104},
          {"b4", 106},
          {"b4:tip", 107},
          {"b5", 108},
          {"b5:tip", 109},
          {"b6:tip", 110},
          {"b7:tip", 111},
          {"b8:tip", 112}}},
        {"TPrincipale mode 14",
         WindowIn(14),
         {{"b2", 82},
          {"b2:tip", 83},
          {"b3", 84},
          {"b3:tip", 85},
          {"b4", 87},
          {"b4:tip", 88},
          {"b5", 89},
          {"b5:tip", 90},
          {"b7", 91},
          {"b7:tip", 92},
          {"b8", 93},
          {"b8:tip", 94},
          {"b9", 95},
          {"b9:tip", 96}}},
        {"TPrincipale mode 16", WindowIn(16), {{"b2", 116}, {"b4", 117}, {"b5", 118}}},
        {"TPrincipale mode 5", WindowIn(5), {{"b2", 116}}},
        {"TEsciMorvidex", MakeForm<TEsciMorvidex>, {{"Si", 826}, {"No", 828}}},
        {"TPassWord", MakeForm<TPassWord>, {{"Esci", 1113}}},
        {"TRange", MakeForm<TRange>, {{"", 1232}, {"Crea", 1237}, {"Crea:tip", 1238}, {"nProv:tip", 1236}}},
        {"Tindicatori", MakeForm<Tindicatori>, {{"", 972}, {"Aggiorna", 975}, {"Aggiorna:tip", 976}}},
        {"TCancella", MakeForm<TCancella>, {{"", 220}, {"F8", 221}, {"F8:tip", 222}, {"Help2:tip", 230}}},
        {"TNumeroScheda", MakeForm<TNumeroScheda>, {{"", 1052}, {"FineArchivio:tip", 1057}}},
        {"TConfigura2", MakeForm<TConfigura2>, {{"", 265}, {"Label10", 279}}},
        {"TOrdinamento",
         MakeForm<TOrdinamento>,
         {{"", 1069}, {"EsegueTerritorio", 1075}, {"ncar:tip", 1071}}},
        {"TListaModalita",
         MakeForm<TListaModalita>,
         {{"", 1435}, {"modalita:tip", 1436}, {"HelpModalita", 1443}}},
        {"TSceltaModalita", MakeForm<TSceltaModalita>, {{"", 1336}, {"Sostituire", 1343}}},
        // The selection.
        {"TRicercaSchede",
         MakeForm<TRicercaSchede>,
         {{"", 1259},
          {"Label1", 1260},
          {"sequenziale", 1261},
          {"Alfabetica", 1262},
          {"qualsiasi", 1263},
          {"Label2", 1264},
          {"sch1", 1265},
          {"schAttuale", 1266},
          {"Label3", 1267},
          {"singole", 1268},
          {"comelista", 1269},
          {"Esci", 1270},
          {"Esci:tip", 1271},
          {"Help2", 1272},
          {"Help2:tip", 1273}}},
        {"TRicModalita",
         [] {
             CoreState.CommandCode = 3;  // the sample's sex field
             return MakeForm<TRicModalita>();
         },
         {{"", 1274}, {"Modalita:tip", 1275}, {"Attiva", 1278}, {"Cancella:tip", 1281}}},
        {"TAzzeraRicerca", MakeForm<TAzzeraRicerca>, {{"", 211}, {"Condizioni:tip", 215}}},
        {"TEsegueCollettiva",
         MakeForm<TEsegueCollettiva>,
         {{"", 846}, {"PrimaRicerca", 847}, {"Legge:tip", 852}}},
        {"TSalvaRicerca", MakeForm<TSalvaRicerca>, {{"", 1325}, {"Territorio:tip", 1331}}},
        {"TApriRicerca", MakeForm<TApriRicerca>, {{"", 168}, {"Ricerca:tip", 174}}},
        {"TListaMerge", MakeForm<TListaMerge>, {{"", 1026}, {"Alfabeticamente", 1027}, {"Unisce:tip", 1034}}},
        // The elaborations.
        {"TElaborazioni",
         MakeForm<TElaborazioni>,
         {{"", 473}, {"VedeGriglie", 474}, {"Quantitative:tip", 483}, {"Help2", 486}}},
        {"TEsegue",
         MakeForm<TEsegue>,
         {{"Esci", 831},
          {"Esci:tip", 832},
          {"Esegui", 833},
          {"Esegui:tip", 834},
          {"Help2", 835},
          {"Help2:tip", 836}}},
        {"TDoppie", MakeForm<TDoppie>, {{"", 350}, {"Elabora", 307}, {"ChiQ", 376}}},
        {"TConnessioni",
         MakeForm<TConnessioni>,
         {{"", 300},
          {"Colonne", 302},
          {"Colonne:tip", 303},
          {"banali", 309},
          {"ChiQ:tip", 311},
          {"Label1", 312},
          {"Esci:tip", 316}}},
        {"TQuantitativeElab",
         MakeForm<TQuantitativeElab>,
         {{"", 1170}, {"Righe", 1172}, {"ColX:tip", 1174}, {"Help2:tip", 1186}}},
        {"TQuantModalita", MakeForm<TQuantModalita>, {{"", 1216}, {"Salva", 1226}, {"Recupera:tip", 1229}}},
        {"TNoGriglia", MakeForm<TNoGriglia>, {{"", 1043}, {"Dicotomiche", 1044}, {"Esci:tip", 1049}}},
        {"TSemplici", MakeForm<TSemplici>, {{"", 1370}, {"ELABORA", 1378}}},
        {"Tafc", MakeForm<Tafc>, {{"", 1960}, {"Modalita", 135}, {"Attribuisce", 141}, {"Label3", 142}}},
        {"TAfcModalita",
         MakeForm<TAfcModalita>,
         {{"", 167}, {"Label1", 149}, {"Correla:tip", 163}, {"modalita:tip", 159}}},
        {"TGrigliaPresente", MakeForm<TGrigliaPresente>, {{"", 891}, {"Si", 895}}},
        {"TRighe",
         MakeForm<TRighe>,
         {{"", 1304}, {"modalita:tip", 1305}, {"Label1", 1324}, {"Attiva", 1308}, {"Help2:tip", 1323}}},
        {"TColonne", MakeForm<TColonne>, {{"", 249}, {"Disattiva", 253}, {"Label1", 259}}},
        {"TQuantitativa", MakeForm<TQuantitativa>, {{"", 1162}, {"Pesi", 1166}}},
        {"TPesi", MakeForm<TPesi>, {{"", 1117}, {"Barra:tip", 1132}}},
        // The quick elaborations.
        {"TElabVeloci", MakeForm<TElabVeloci>, {{"", 488}, {"Seleziona:tip", 494}}},
        {"TElabVelociGriglia",
         MakeForm<TElabVelociGriglia>,
         {{"", 591},
          {"Copia", 594},
          {"Copia:tip", 595},
          {"righe", 600},
          {"Label5", 621},
          {"Help2:tip", 630}}},
        {"TElabVelociPrepara", MakeForm<TElabVelociPrepara>, {{"", 684}, {"Matrice:tip", 686}}},
        {"TElabVelociAFC",
         MakeForm<TElabVelociAFC>,
         {{"", 509},
          {"ModX:tip", 510},
          {"rPhi:tip", 518},
          {"AttribuisceTipologie:tip", 524},
          {"label3", 525}}},
        {"TElabVelociListe",
         MakeForm<TElabVelociListe>,
         {{"", 665}, {"Alfabetica", 676}, {"VisualizzaLista:tip", 679}}},
        {"TElabVelociSemplici",
         MakeForm<TElabVelociSemplici>,
         {{"", 801}, {"Label1", 805}, {"frequenza", 810}, {"Help2:tip", 822}}},
        {"TElabVelociDoppie",
         MakeForm<TElabVelociDoppie>,
         {{"", 546}, {"frequenze", 559}, {"Label1", 574}, {"VedeConnessioni", 575}, {"Concetti", 581}}},
        {"TElabVelociReports", MakeForm<TElabVelociReports>, {{"", 701}, {"Report:tip", 717}}},
        // The map.
        {"TOpzioni2", MakeForm<TOpzioni2>, {{"", 2000}}},
        {"TCommentoStampa", MakeForm<TCommentoStampa>, {{"", 260}}},
    };
    EXPECT_EQ(CaptionFaults(forms), std::vector<std::string>{});
}

}  // namespace
}  // namespace qv
