#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "app/register_all.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/text_file.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/preparation.h"
#include "quick/quick_selection.h"
#include "quick/ui/quick_commands.h"
#include "quick/ui/telabveloci.h"
#include "quick/ui/telabvelocilink.h"
#include "quick/ui/telabvelociliste.h"
#include "support/card_reading.h"
#include "support/program_dir.h"
#include "support/sample_fields.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;

// The sample archive opened as the program does; every form shown is recorded by name, every
// text viewer by its selector, and a test may act on a form through `onShow`.
class QuickListsFormsTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        RegisterAllDialogs();
    }
    void TearDown() override {
        RegisterQuickCommand(QuickCommand::Lists, nullptr);
        RegisterQuickCommand(QuickCommand::LinkedArchives, nullptr);
        StartedProgram::TearDown();
    }

    // The sex code of every card, read from the card files.
    static std::vector<int> SexCodes() { return test::WordOnCards(kSex); }
    // The list a mask of card numbers gives for the cards whose code is `code` (0: every card).
    static std::string NumberList(int code) {
        std::string list;
        const std::vector<int> codes = SexCodes();
        for (size_t c = 0; c < codes.size(); ++c)
            if (code == 0 || codes[c] == code) list += std::to_string(c + 1) + "\r\n";
        return list;
    }

    // A linked archive "Enti" beside the sample, three cards, and a link from the sex field;
    // the link files made by the preparation.
    void PrepareLink() {
        const std::string enti = CoreState.ArchiveDir + "../Enti/";
        test::CopyTree(CoreState.ArchiveDir + "../Pianalto/", enti);  // any directory will do
        std::string index;
        AppendI32(index, 2);
        WriteBytes(enti + "dli-sch.dat", index);
        std::string text;
        for (const char* name : {"Ente uno", "Ente due", "Ente tre"}) {
            std::string record(50, '\0');
            record.replace(0, std::string(name).size(), name);
            record.replace(10, 4, "Roma");
            text += record;
        }
        WriteBytes(enti + "alf-sch.dat", text);
        auto line = [](const std::string& value) { return std::string(37, '.') + value + "\r\n"; };
        WriteBytes(Arch("lnk-dat.imp"), line(std::to_string(FieldPositions[kSex])) + line("Enti") +
                                            line("Enti") + line("100") + line("50") + line("1-10") +
                                            line("11-20") + "******\r\n");
        NoProgress none;
        ASSERT_EQ(BuildLinkFiles(none), 1);
        CoreState.OtherArchiveDir.clear();
    }
};

TEST_F(QuickListsFormsTest, ListsOfTheSelectedCards) {
    CoreState.CommandCode = 0;
    TElabVelociListe form(nullptr);
    EXPECT_TRUE(viewed.empty());

    // The default mask from the sample's definition, shown for editing.
    form.CreaClick();
    EXPECT_EQ(viewed, std::vector<int>{-14});
    const std::string mask = ReadBytes(Arch("mas-dat.txt"));
    EXPECT_EQ(mask.substr(0, 60), "\r\nIndagine sui residenti del Pianalto \r\nCognome e nome #1*\r\n");
    EXPECT_NE(mask.find("Sesso #3*\r\n"), std::string::npos);
    // The hidden caption before field 8 stays out of the mask, where its "#" would swallow "#8*".
    EXPECT_NE(mask.find("(se presente) #8*\r\n"), std::string::npos);

    // Only the selected cards, in card order.
    WriteBytes(Arch("mas-dat.txt"), "#0*\r\n");
    CardSelectionMask.fill(0);
    const std::vector<int> codes = SexCodes();
    for (size_t c = 0; c < codes.size(); ++c)
        if (codes[c] == 2) CardSelectionMask[c / 8] |= uint8_t(0x80 >> (c % 8));
    form.EffettuaClick();
    EXPECT_EQ(ReadBytes(Prog("lista.txt")), NumberList(2));
    EXPECT_EQ(viewed, (std::vector<int>{-14, -15}));
    EXPECT_EQ(form.Barra->value(), 0);

    // Without the order index of the chosen field nothing is listed or shown, and that is told.
    CoreState.ListOrderField = 1;
    messages.clear();
    form.AlfabeticaClick();
    EXPECT_EQ(viewed.size(), 2u);
    EXPECT_EQ(messages, std::vector<std::string>{LoadText(1905)});
    EXPECT_EQ(ReadBytes(Prog("lista.txt")), NumberList(2));

    // Saved under a name without extension, loaded back.
    requests.clear();
    fileAnswers = {Prog("numeri"), Prog("nomi.mas")};
    form.SalvaClick();
    EXPECT_EQ(ReadBytes(Prog("numeri.mas")), "#0*\r\n");
    WriteBytes(Prog("nomi.mas"), "#1*");
    form.ApriClick();
    EXPECT_EQ(ReadBytes(Arch("mas-dat.txt")), "#1*\r\n");
    ASSERT_EQ(requests.size(), 2u);
    for (const FileDialogRequest& r : requests) {
        EXPECT_EQ(r.directory, CoreState.ProgramDir);
        EXPECT_EQ(r.filter, "*.mas");
    }
    EXPECT_EQ(requests[0].kind, FileDialogKind::Save);
    EXPECT_EQ(requests[1].kind, FileDialogKind::Open);

    form.Help2Click();
    EXPECT_EQ(helpPages, std::vector<int>{42});
}

TEST_F(QuickListsFormsTest, HubOpensTheListsAndAMissingDefinitionIsReported) {
    RemoveFile(Arch("scheda.txt"));
    WriteBytes(Arch("mas-dat.txt"), "vecchia");
    onShow = [](QDialog& d) {
        if (auto* form = qobject_cast<TElabVelociListe*>(&d)) form->CreaClick();
    };
    CoreState.CommandCode = 7;
    TElabVeloci hub(nullptr);
    hub.ListeClick();
    EXPECT_EQ(shown, std::vector<std::string>{"TElabVelociListe"});
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(ReadBytes(Arch("mas-dat.txt")), "vecchia");
    EXPECT_TRUE(viewed.empty());
}

TEST_F(QuickListsFormsTest, SelectionThroughALinkedArchive) {
    PrepareLink();
    WriteBytes(Arch("mas-dat.txt"), "#0*\r\n");
    SelectAllCards();
    const std::vector<std::string> startLog = *ReadSelectionLog();
    const std::vector<int> codes = SexCodes();
    const int women = int(std::count(codes.begin(), codes.end(), 2));
    ASSERT_GT(women, 0);

    std::vector<std::string> lista1;
    std::string listed;
    int viewedWhileOpen = 0;
    onShow = [&](QDialog& d) {
        auto* form = qobject_cast<TElabVelociLink*>(&d);
        if (!form) return;
        EXPECT_EQ(form->windowTitle(), "Testo 648");
        EXPECT_FALSE(form->Aggiorna->isVisibleTo(form));
        ASSERT_EQ(form->link1->count(), 2);
        EXPECT_EQ(form->link1->itemText(0), "Testo 663");
        EXPECT_EQ(form->link1->itemText(1), "Enti");
        EXPECT_EQ(form->link1->currentIndex(), 1);
        EXPECT_EQ(form->link2->currentIndex(), 0);
        for (int i = 0; i < form->Lista1->count(); ++i) lista1.push_back(Cp(form->Lista1->item(i)->text()));
        EXPECT_EQ(form->Lista2->count(), 0);
        EXPECT_EQ(form->Schede->text().toStdString(), std::to_string(CoreState.LastCard + 1));

        // The women's institution: only the women stay selected; the line is logged.
        form->Lista1->setCurrentRow(1);
        form->Lista1Click();
        EXPECT_EQ(test::CountSelected(), women);
        EXPECT_EQ(ReadSelectionLog()->back(), "Ente due;Roma;");
        EXPECT_EQ(form->Lista1->count(), 1);
        EXPECT_EQ(form->Schede->text().toStdString(), std::to_string(women));

        form->VisualizzaClick();
        listed = ReadBytes(Prog("lista.txt"));
        viewedWhileOpen = int(viewed.size());
        EXPECT_EQ(CoreState.CommandCode, 0);

        // No link chosen: nothing listed, nothing counted.
        form->link1->setCurrentIndex(0);
        form->link1Change();
        EXPECT_EQ(form->Lista1->count(), 0);
        EXPECT_EQ(form->Schede->text(), "0");

        form->RecuperaClick();
        EXPECT_EQ(test::CountSelected(), CoreState.LastCard + 1);
        EXPECT_EQ(*ReadSelectionLog(), startLog);
        form->EsciClick();
    };
    ASSERT_TRUE(OpenQuickCommand(QuickCommand::LinkedArchives, nullptr));
    // The list is made and shown while the lists form is being created.
    EXPECT_EQ(shown, (std::vector<std::string>{"TElabVelociLink", "THelp", "TElabVelociListe"}));
    EXPECT_EQ(lista1, (std::vector<std::string>{"Ente uno;Roma;", "Ente due;Roma;"}));
    EXPECT_EQ(listed, NumberList(2));
    EXPECT_EQ(viewedWhileOpen, 1);
    EXPECT_EQ(viewed, std::vector<int>{-15});
    EXPECT_EQ(CoreState.LinkChoice1, 0);
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(QuickListsFormsTest, LinkedArchivesWithoutDefinitions) {
    CoreState.ProceedFlag = 1;
    CoreState.LinkChoice1 = 1;
    TElabVelociLink form(nullptr);
    ASSERT_EQ(form.link1->count(), 2);
    EXPECT_EQ(form.link1->itemText(1), "Testo 664");
    EXPECT_EQ(form.Lista1->count(), 0);
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_TRUE(messages.empty());
    // The snapshot of the opening is there to be restored.
    EXPECT_EQ(FileSize(Arch("trx-dat.dat")), std::optional<int64_t>(kSelectionMaskBytes));
}

}  // namespace
}  // namespace qv
