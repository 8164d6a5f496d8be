// Each elaboration form's captions against the text numbers they are taken from, one table per
// form, on a program whose text N is "Testo N".
#include <gtest/gtest.h>

#include "elaborations/ui/afc_modalita.h"
#include "elaborations/ui/factor_dialogs.h"
#include "elaborations/ui/grid_present.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/tconnessioni.h"
#include "elaborations/ui/tdoppie.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tnogriglia.h"
#include "elaborations/ui/tquantitativeelab.h"
#include "elaborations/ui/tsemplici.h"
#include "elaborations/ui/weights_dialogs.h"
#include "support/elaboration_forms.h"
#include "support/form_captions.h"

namespace qv {
namespace {

using namespace test;

class ElaborationCaptions : public ElaborationForms {};

TEST_F(ElaborationCaptions, EveryControlShowsItsText) {
    const std::vector<FormCaptions> forms = {
        {"TElaborazioni", MakeForm<TElaborazioni>,
         {{"", 473}, {"VedeGriglie", 474}, {"Quantitative:tip", 483}, {"Help2", 486}}},
        {"TEsegue", MakeForm<TEsegue>,
         {{"Esci", 831}, {"Esci:tip", 832}, {"Esegui", 833}, {"Esegui:tip", 834}, {"Help2", 835}, {"Help2:tip", 836}}},
        {"TDoppie", MakeForm<TDoppie>, {{"", 350}, {"Elabora", 307}, {"ChiQ", 376}}},
        {"TConnessioni", MakeForm<TConnessioni>,
         {{"", 300}, {"Colonne", 302}, {"Colonne:tip", 303}, {"banali", 309}, {"ChiQ:tip", 311}, {"Label1", 312},
          {"Esci:tip", 316}}},
        {"TQuantitativeElab", MakeForm<TQuantitativeElab>,
         {{"", 1170}, {"Righe", 1172}, {"ColX:tip", 1174}, {"Help2:tip", 1186}}},
        {"TQuantModalita", MakeForm<TQuantModalita>, {{"", 1216}, {"Salva", 1226}, {"Recupera:tip", 1229}}},
        {"TNoGriglia", MakeForm<TNoGriglia>, {{"", 1043}, {"Dicotomiche", 1044}, {"Esci:tip", 1049}}},
        {"TSemplici", MakeForm<TSemplici>, {{"", 1370}, {"ELABORA", 1378}}},
        {"Tafc", MakeForm<Tafc>, {{"", 1960}, {"Modalita", 135}, {"Attribuisce", 141}, {"Label3", 142}}},
        {"TAfcModalita", MakeForm<TAfcModalita>,
         {{"", 167}, {"Label1", 149}, {"Correla:tip", 163}, {"modalita:tip", 159}}},
        {"TGrigliaPresente", MakeForm<TGrigliaPresente>, {{"", 891}, {"Si", 895}}},
        {"TRighe", MakeForm<TRighe>,
         {{"", 1304}, {"modalita:tip", 1305}, {"Label1", 1324}, {"Attiva", 1308}, {"Help2:tip", 1323}}},
        {"TColonne", MakeForm<TColonne>, {{"", 249}, {"Disattiva", 253}, {"Label1", 259}}},
        {"TQuantitativa", MakeForm<TQuantitativa>, {{"", 1162}, {"Pesi", 1166}}},
        {"TPesi", MakeForm<TPesi>, {{"", 1117}, {"Barra:tip", 1132}}},
    };
    EXPECT_EQ(CaptionFaults(forms), std::vector<std::string>{});
}

}  // namespace
}  // namespace qv
