// The quick elaborations as a user reaches them from the main menu, on the sample archive and
// the shipped territorial base; the reports are checked against counts taken card by
// card.
#include "support/walkthrough.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <map>

#include "cardwindow/comune_lookup.h"
#include "cardwindow/ui/tprincipale.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/tafcmodalita.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tgriglie.h"
#include "quick/ui/quick_report_forms.h"
#include "quick/ui/report_table_view.h"
#include "quick/ui/telabveloci.h"
#include "quick/ui/telabvelociafc.h"
#include "quick/ui/telabvelocigriglia.h"
#include "quick/ui/telabvelociliste.h"
#include "quick/ui/telabvelociprepara.h"
#include "quick/ui/telabvelocireports.h"
#include "quick/ui/telabvelociseleziona.h"
#include "support/card_reading.h"
#include "support/sample_fields.h"
#include "support/temp_dir.h"
#include "territory/ui/topzioni2.h"
#include "territory/ui/tvedecartina.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;
constexpr int kSexLine = 0, kMaritalLine = 11;

class QuickWalkthrough : public ::testing::Test {
  protected:
    QuickWalkthrough() : w(true) {}

    // The standard grid made in the standard hub's grid editor, then the quick grid set and the
    // prepared files made in the quick hub.
    void Prepare() {
        w.On<TElaborazioni>([](TElaborazioni& hub) {
            hub.VedeGriglie->click();
            hub.Esci->click();
        });
        w.On<TGriglie>([](TGriglie& d) {
            d.CreaGrl->click();
            d.CreaGRQ->click();
            d.Esci->click();
        });
        w.Window().Elab1->trigger();
        w.On<TElabVelociGriglia>([](TElabVelociGriglia& d) {
            d.Copia->click();
            d.CreaTerritorio->click();
            d.CreaData->click();
            d.Esci->click();
        });
        w.On<TElabVelociPrepara>([](TElabVelociPrepara& d) {
            d.Matrice->click();
            EXPECT_GT(d.vQuant->count(), 1);
            EXPECT_GT(d.VarTerritoriale->count(), 1);
            EXPECT_GT(d.VarData->count(), 1);
            d.vQuant->setCurrentIndex(1);
            d.Quantitativa->click();
            d.VarTerritoriale->setCurrentIndex(1);
            d.Territorio->click();
            d.VarData->setCurrentIndex(1);
            d.PreparaData->click();
            d.Esci->click();
        });
    }

    Walkthrough w;
};

// Lines of `report` starting with `label` (cut to `width` and trimmed).
std::vector<std::string> Labelled(const std::vector<std::string>& report, const std::string& label,
                                  size_t width = 60) {
    std::vector<std::string> found;
    for (const std::string& line : report)
        if (LabelOf(line, width) == label) found.push_back(line);
    return found;
}

TEST_F(QuickWalkthrough, SelectionReportsMapAndTables) {
    Prepare();
    const std::vector<int> sex = WordOnCards(kSex), marital = WordOnCards(kMarital), comune = WordOnCards(5);
    // The user's own row and column sets of the report tables.
    test::WriteBytes(w.ArchiveFile("ri2-dat.txt"),
                     "#Stato civile\r\nStato,-1;;*Celibi e nubili\r\nStato,-2;;*Coniugati\r\n");
    test::WriteBytes(w.ArchiveFile("tab-dat.txt"),
                     "#Per sesso\r\n*\r\nSesso,-1;;*Maschi\r\nSesso,-2;;*Femmine\r\n0;\r\n*\r\n");

    bool enabledAfterPreparation = false;
    w.On<TElabVeloci>([&](TElabVeloci& hub) {
        EXPECT_FALSE(hub.Semplici->isEnabled());
        hub.Griglia->click();
        hub.Prepara->click();
        enabledAfterPreparation = hub.Semplici->isEnabled() && hub.Seleziona->isEnabled();
        hub.Seleziona->click();
        hub.Semplici->click();
        hub.Doppie->click();
        hub.Tabelle->click();
        hub.Esci->click();
    });
    // The women, then their map: list and ranking of the comuni, and the options dialog.
    w.On<TElabVelociSeleziona>([](TElabVelociSeleziona& d) {
        d.Attiva->click();
        ClickListRow(d, d.Modalita, kSexLine + 1);
        d.EffettuaAnd->click();
        ASSERT_TRUE(d.Cartina->isEnabled());
        d.Cartina->click();
        d.Esci->click();
    });
    w.On<TVedeCartina>([](TVedeCartina& d) {
        d.show();
        d.Lista1->trigger();
        d.Graduatoria1->trigger();
        d.Opzioni2->trigger();
        d.Esci1->trigger();
    });
    w.On<TOpzioni2>([](TOpzioni2& d) { d.Esci->click(); });
    w.On<TElabVelociSemplici>([](TElabVelociSemplici& d) {
        d.righe2->click();
        d.frequenza->setChecked(true);
        d.Visualizza->click();
        d.Esci->click();
    });
    ChooseRowsAndColumns(w, kMaritalLine, 5, kSexLine, 2);
    w.On<TElabVelociDoppie>([](TElabVelociDoppie& d) {
        d.Righe2->click();
        d.Colonne2->click();
        d.ChiQ->setChecked(true);
        d.pColonna->setChecked(true);
        d.frequenze->setChecked(true);
        d.VedeTab->click();
        d.Esci->click();
    });
    w.On<TElabVelociReports>([](TElabVelociReports& d) {
        EXPECT_EQ(d.righe->count(), 1);
        EXPECT_EQ(d.colonne->count(), 1);
        d.Report->click();
        d.Esci->click();
    });
    w.On<TVedeTabella>([](TVedeTabella& d) { d.Esci1->trigger(); });

    w.Window().ElaborazioniVeloci1->trigger();

    EXPECT_TRUE(enabledAfterPreparation);
    EXPECT_TRUE(w.unhandled.empty()) << w.unhandled.front();
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    // Comune list, ranking, simple distributions, cross table.
    ASSERT_EQ(w.viewerLines.size(), 4u);

    int women = 0;
    std::array<int, 8> byMarital{};
    std::map<int, int> byComune;
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        if (sex[size_t(c)] != 2) continue;
        ++women;
        ++byMarital[size_t(std::clamp(marital[size_t(c)], 0, 7))];
        ++byComune[comune[size_t(c)]];
    }
    ASSERT_GT(women, 0);

    // The map's list and ranking count the women of each comune.
    const std::vector<std::string>& list = w.viewerLines[0];
    const std::vector<std::string>& ranking = w.viewerLines[1];
    for (const char* name : {"Cuneo", "Bra", "Alba"}) {
        const std::vector<int> codes = FindComuni(name);
        ASSERT_EQ(codes.size(), 1u) << name;
        const int expected = byComune[codes[0]];
        // Names of 37 characters, the count under "n." (column 47), the percentage after it.
        const auto inList = Labelled(list, name, 37);
        ASSERT_EQ(inList.size(), 1u) << name;
        EXPECT_EQ(std::stoi(inList[0].substr(37, 10)), expected) << inList[0];
        EXPECT_NEAR(std::stod(inList[0].substr(47, 10)), 100.0 * expected / women, 0.006) << inList[0];
    }
    int rank = 0, previous = 1 << 30;
    for (const std::string& line : ranking) {
        if (line.size() != 64 || line.substr(4, 3) != " - ") continue;
        EXPECT_EQ(std::stoi(line.substr(0, 4)), ++rank) << line;
        const int value = std::stoi(line.substr(44, 10));
        EXPECT_LE(value, previous) << line;
        previous = value;
    }
    EXPECT_EQ(rank,
              int(std::count_if(byComune.begin(), byComune.end(), [](auto& e) { return e.first > 0; })));

    // Quick simple distributions: count under "n" (column 71), percentage under "%" (column 80).
    const std::vector<std::string>& simple = w.viewerLines[2];
    EXPECT_EQ(simple[0], std::string(70, ' ') + "n        %");
    EXPECT_EQ(list[2], std::string(45, ' ') + "n.         %");
    const char* labels[] = {"",
                            "Stato celibe o nubile",
                            "Stato coniugato/a",
                            "Stato separato/a",
                            "Stato divorziato/a",
                            "Stato vedovo/a"};
    for (int m = 1; m <= 5; ++m) {
        const auto lines = Labelled(simple, labels[m]);
        ASSERT_EQ(lines.size(), 1u) << labels[m];
        ASSERT_EQ(lines[0].size(), 80u) << lines[0];
        EXPECT_EQ(std::stoi(lines[0].substr(60, 11)), byMarital[size_t(m)]) << lines[0];
        EXPECT_NEAR(std::stod(lines[0].substr(71)), 100.0 * byMarital[size_t(m)] / women, 0.006) << lines[0];
    }
    const auto total = Labelled(simple, "Totale");
    ASSERT_EQ(total.size(), 1u);
    EXPECT_EQ(total[0].size(), 71u) << total[0];
    EXPECT_EQ(std::stoi(total[0].substr(60)), women);

    // Quick cross table: the men's column is empty, the women's holds the distribution; each
    // number ends under its column number (48, 56, 64).
    const std::vector<std::string>& cross = w.viewerLines[3];
    for (int m = 1; m <= 5; ++m) {
        const auto lines = Labelled(cross, labels[m], 40);
        ASSERT_EQ(lines.size(), 1u) << labels[m];
        ASSERT_EQ(lines[0].size(), 64u) << lines[0];
        EXPECT_EQ(std::stoi(lines[0].substr(40, 8)), 0) << lines[0];
        EXPECT_EQ(std::stoi(lines[0].substr(48, 8)), byMarital[size_t(m)]) << lines[0];
        EXPECT_EQ(std::stoi(lines[0].substr(56, 8)), byMarital[size_t(m)]) << lines[0];
    }

    // The report table window wrote its HTML: the women's column of the married row.
    const std::string html = test::ReadBytes(w.Root().ProgramDir() + "Geolar.Htm");
    const size_t married = html.find("Coniugati");
    ASSERT_NE(married, std::string::npos);
    const std::string cell = "<td><p align=\"center\">" + std::to_string(byMarital[2]) + "</p></td>";
    EXPECT_NE(html.find(cell, married), std::string::npos) << html.substr(married, 300);
}

TEST_F(QuickWalkthrough, FactorAnalysisAndLists) {
    Prepare();
    w.SelectCards([](int c) { return c % 2 == 1; });
    w.On<TElabVeloci>([&](TElabVeloci& hub) {
        hub.Griglia->click();
        hub.Prepara->click();
        hub.Liste->click();
        hub.Fattori->click();
        hub.Esci->click();
    });
    w.On<TElabVelociListe>([](TElabVelociListe& d) {
        d.Crea->click();
        d.Visualizza->click();
        d.Esci->click();
    });
    // Marital status, education and occupation as the categories of the analysis.
    w.On<TAfcModalita>([](TAfcModalita& d) {
        d.Disattiva->click();
        for (int line : {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 41, 42, 43, 44, 45, 46})
            ClickListRow(d, d.modalita, line);
        d.Esci->click();
    });
    int planes = 0;
    w.On("TVedeAFC", [&](QDialog&) { ++planes; });
    w.On<TElabVelociAFC>([](TElabVelociAFC& d) {
        d.Modalita->click();
        EXPECT_EQ(d.ModX->text(), "16");
        d.Calcola->click();
        d.Ruota->click();
        d.Visualizza->click();
        d.Esci->click();
    });

    w.Window().ElaborazioniVeloci1->trigger();

    EXPECT_TRUE(w.unhandled.empty()) << w.unhandled.front();
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    EXPECT_EQ(planes, 1);
    // The list definition twice, then the factor report.
    ASSERT_EQ(w.viewerLines.size(), 3u);
    EXPECT_FALSE(w.viewerLines[2].empty());
}

}  // namespace
}  // namespace qv
