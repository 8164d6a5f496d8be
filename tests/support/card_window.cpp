#include "support/card_window.h"

#include <QPushButton>

#include "app/startup.h"
#include "cardwindow/ui/card_search.h"
#include "cardwindow/ui/tpassword.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "elaborations/ui/batch_jobs.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "support/temp_dir.h"

namespace qv::test {

void StopCardWindowProgram() {
    for (int d = 1; d <= kCardDialogCount; ++d) RegisterCardDialog(CardDialog(d), nullptr);
    for (int job = 1; job <= 8; ++job) RegisterBatchJob(job, nullptr);
    RegisterCardSearchStep(nullptr);
    ResetUiHooks();
    StopProgram();
    ResetProgramState();
}

int16_t StoredCardWord(int card, int word) {
    const std::string v = ReadBytes(CoreState.ArchiveDir + "num-sch.dat");
    const size_t at = (size_t(card) * size_t(CoreState.CardWordCount) + size_t(word) - 1) * 2;
    return at + 2 <= v.size() ? GetI16(reinterpret_cast<const uint8_t*>(v.data() + at)) : int16_t(-1);
}

std::unique_ptr<TPrincipale> OpenCardWindow(DialogScript& person) {
    person.Next<TPassWord>([](TPassWord& p) { p.Esci->click(); });
    auto window = std::make_unique<TPrincipale>();
    window->FormCreate();
    window->show();
    return window;
}

void SampleCardWindow::SetUp() {
    WriteBytes(root / "pxx-dat.imp", "chiave\r\n");
    StartProgram();
    messageAnswer = 0;
    Install();
    window = OpenCardWindow(*this);
    // Tests look at what the window opens from here on.
    shown.clear();
    forms.clear();
}

void SampleCardWindow::TearDown() {
    window.reset();
    StopCardWindowProgram();
}

void SampleCardWindow::GoToCard(int card, int mode) {
    if (mode) CoreState.CardWindowMode = mode;
    CoreState.CurrentCard = card;
    ReadCardText();
    ReadCardValues();
    window->VisualizzaClick();
}

}  // namespace qv::test
