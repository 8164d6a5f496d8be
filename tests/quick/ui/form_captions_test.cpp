// Each quick-elaboration form's captions against the text numbers they are taken from, one
// table per form, on a program whose text N is "Testo N".
#include <gtest/gtest.h>

#include "quick/ui/preparation_dialog.h"
#include "quick/ui/quick_factor_dialog.h"
#include "quick/ui/quick_grids_dialog.h"
#include "quick/ui/quick_hub.h"
#include "quick/ui/quick_lists_dialog.h"
#include "quick/ui/quick_report_forms.h"
#include "quick/ui/report_tables_dialog.h"
#include "support/form_captions.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class QuickCaptions : public StartedProgram {};

TEST_F(QuickCaptions, EveryControlShowsItsText) {
    const std::vector<FormCaptions> forms = {
        {"TElabVeloci", MakeForm<TElabVeloci>, {{"", 488}, {"Seleziona:tip", 494}}},
        {"TElabVelociGriglia", MakeForm<TElabVelociGriglia>,
         {{"", 591}, {"Copia", 594}, {"Copia:tip", 595}, {"righe", 600}, {"Label5", 621}, {"Help2:tip", 630}}},
        {"TElabVelociPrepara", MakeForm<TElabVelociPrepara>, {{"", 684}, {"Matrice:tip", 686}}},
        {"TElabVelociAFC", MakeForm<TElabVelociAFC>,
         {{"", 509}, {"ModX:tip", 510}, {"rPhi:tip", 518}, {"AttribuisceTipologie:tip", 524}, {"label3", 525}}},
        {"TElabVelociListe", MakeForm<TElabVelociListe>,
         {{"", 665}, {"Alfabetica", 676}, {"VisualizzaLista:tip", 679}}},
        {"TElabVelociSemplici", MakeForm<TElabVelociSemplici>,
         {{"", 801}, {"Label1", 805}, {"frequenza", 810}, {"Help2:tip", 822}}},
        {"TElabVelociDoppie", MakeForm<TElabVelociDoppie>,
         {{"", 546}, {"frequenze", 559}, {"Label1", 574}, {"VedeConnessioni", 575}, {"Concetti", 581}}},
        {"TElabVelociReports", MakeForm<TElabVelociReports>, {{"", 701}, {"Report:tip", 717}}},
    };
    EXPECT_EQ(CaptionFaults(forms), std::vector<std::string>{});
}

}  // namespace
}  // namespace qv
