// Each card-window form's captions against the text numbers they are taken from, one table per
// form (the tool bar once per mode), on a program whose text N is "Testo N".
#include <gtest/gtest.h>

#include "cardwindow/ui/category_pickers.h"
#include "cardwindow/ui/configura2.h"
#include "cardwindow/ui/entry_dialogs.h"
#include "cardwindow/ui/exit_dialog.h"
#include "cardwindow/ui/ordinamento.h"
#include "cardwindow/ui/password.h"
#include "cardwindow/ui/principale.h"
#include "cardwindow/ui/tindicatori.h"
#include "cardwindow/ui/trange.h"
#include "core/core_state.h"
#include "support/form_captions.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class CardWindowCaptions : public StartedProgram {};

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

TEST_F(CardWindowCaptions, EveryControlShowsItsText) {
    const std::vector<FormCaptions> forms = {
        {"TPrincipale menu", WindowIn(1),
         {{"Schede1", 1}, {"ApriArchivio", 2}, {"Configura", 14}, {"Elaborazioni1", 15},
          {"ElaborazioniVeloci1", 20}, {"Lista1", 21}, {"AboutItem", 24}, {"Esci2", 26}, {"Help1", 27}}},
        {"TPrincipale mode 1", WindowIn(1),
         {{"b2", 120}, {"b3:tip", 62}, {"b4:tip", 63}, {"b5:tip", 64}, {"b6", 65}, {"b8", 66}, {"b9", 67},
          {"b10:tip", 69}}},
        {"TPrincipale mode 2", WindowIn(2),
         {{"b2", 70}, {"b2:tip", 71}, {"b3", 72}, {"b3:tip", 73}, {"b4", 74}, {"b4:tip", 75}, {"b5:tip", 77},
          {"b6", 78}, {"b7", 79}, {"b8:tip", 81}}},
        {"TPrincipale mode 3", WindowIn(3, true),
         {{"b2", 119}, {"b3", 97}, {"b3:tip", 98}, {"b4", 99}, {"b4:tip", 100}}},
        {"TPrincipale mode 4", WindowIn(4, true),
         {{"b2", 119}, {"b3:tip", 62}, {"b4:tip", 63}, {"b5:tip", 64}, {"b6", 65}, {"b8", 66}, {"b9", 67},
          {"b10", 68}, {"b10:tip", 69}}},
        {"TPrincipale mode 12", WindowIn(12),
         {{"b2", 101}, {"b2:tip", 102}, {"b3", 103}, {"b3:tip", 104}, {"b4", 106}, {"b4:tip", 107}, {"b5", 108},
          {"b5:tip", 109}, {"b6:tip", 110}, {"b7:tip", 111}, {"b8:tip", 112}}},
        {"TPrincipale mode 14", WindowIn(14),
         {{"b2", 82}, {"b2:tip", 83}, {"b3", 84}, {"b3:tip", 85}, {"b4", 87}, {"b4:tip", 88}, {"b5", 89},
          {"b5:tip", 90}, {"b7", 91}, {"b7:tip", 92}, {"b8", 93}, {"b8:tip", 94}, {"b9", 95}, {"b9:tip", 96}}},
        {"TPrincipale mode 16", WindowIn(16), {{"b2", 116}, {"b4", 117}, {"b5", 118}}},
        {"TPrincipale mode 5", WindowIn(5), {{"b2", 116}}},
        {"TEsciMorvidex", MakeForm<TEsciMorvidex>, {{"Si", 826}, {"No", 828}}},
        {"TPassWord", MakeForm<TPassWord>, {{"Esci", 1113}}},
        {"TRange", MakeForm<TRange>, {{"", 1232}, {"Crea", 1237}, {"Crea:tip", 1238}, {"nProv:tip", 1236}}},
        {"Tindicatori", MakeForm<Tindicatori>, {{"", 972}, {"Aggiorna", 975}, {"Aggiorna:tip", 976}}},
        {"TCancella", MakeForm<TCancella>, {{"", 220}, {"F8", 221}, {"F8:tip", 222}, {"Help2:tip", 230}}},
        {"TNumeroScheda", MakeForm<TNumeroScheda>, {{"", 1052}, {"FineArchivio:tip", 1057}}},
        {"TConfigura2", MakeForm<TConfigura2>, {{"", 265}, {"Label10", 279}}},
        {"TOrdinamento", MakeForm<TOrdinamento>, {{"", 1069}, {"EsegueTerritorio", 1075}, {"ncar:tip", 1071}}},
        {"TListaModalita", MakeForm<TListaModalita>, {{"", 1435}, {"modalita:tip", 1436}, {"HelpModalita", 1443}}},
        {"TSceltaModalita", MakeForm<TSceltaModalita>, {{"", 1336}, {"Sostituire", 1343}}},
    };
    EXPECT_EQ(CaptionFaults(forms), std::vector<std::string>{});
}

}  // namespace
}  // namespace qv
