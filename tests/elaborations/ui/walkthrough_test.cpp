// The standard elaborations as a user reaches them: main menu, hub, grid editor, pickers,
// runner and viewer, on the sample archive; the reports are checked against counts taken
// card by card.
#include "support/walkthrough.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <array>
#include <cmath>
#include <map>

#include "cardwindow/ui/tprincipale.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/quantitative_forms.h"
#include "elaborations/ui/tconnessioni.h"
#include "elaborations/ui/tdoppie.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tgriglie.h"
#include "elaborations/ui/tsemplici.h"
#include "elaborations/ui/weights_dialogs.h"
#include "platform/paths.h"
#include "support/sample_fields.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;

// First grid line (0-based) of the sex, marital status and education variables in the
// generated grid.
constexpr int kSexLine = 0, kMaritalLine = 11, kEducationLine = 17;
// The labels of the education levels 1..5 in the generated grid.
const std::string kEducationLabels[] = {"",
                                        "Titolo nessun titolo",
                                        "Titolo licenza elementare",
                                        "Titolo licenza media",
                                        "Titolo diploma di scuola superiore",
                                        "Titolo laurea"};

// The category word of `field` on every card, read from the card files one card at a time.
std::vector<int> CategoryOnCards(int field) {
    std::vector<int> values;
    const int32_t saved = CoreState.CurrentCard;
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        CoreState.CurrentCard = c;
        ReadCardValues();
        values.push_back(GetCardWord(field));
    }
    CoreState.CurrentCard = saved;
    ReadCardValues();
    return values;
}

// The report lines whose label is `label`.
std::vector<std::string> LinesLabelled(const std::vector<std::string>& report, const std::string& label) {
    std::vector<std::string> found;
    for (const std::string& line : report)
        if (LabelOf(line) == label) found.push_back(line);
    return found;
}

// The user makes the grids in the editor.
void MakeGridsInEditor(Walkthrough& w) {
    w.On<TGriglie>([](TGriglie& d) {
        d.CreaGrl->click();
        EXPECT_EQ(d.Status->text(), "Ok");
        d.CreaGRQ->click();
        d.Esci->click();
    });
}

class ElaborationsWalkthrough : public ::testing::Test {
  protected:
    Walkthrough w;
};

TEST_F(ElaborationsWalkthrough, SimpleDistributionFromTheMenu) {
    // Every card but each third one is selected.
    w.SelectCards([](int c) { return c % 3 != 0; });
    const std::vector<int> sex = CategoryOnCards(kSex), marital = CategoryOnCards(kMarital);

    MakeGridsInEditor(w);
    bool analysesEnabledAfterEditor = false;
    w.On<TElaborazioni>([&](TElaborazioni& hub) {
        EXPECT_FALSE(hub.VedeSemplici->isEnabled());
        hub.VedeGriglie->click();
        EXPECT_EQ(CoreState.CommandCode, 0);
        EXPECT_TRUE(FileExists(CoreState.ArchiveDir + "tin-sch.txt"));
        analysesEnabledAfterEditor = hub.VedeSemplici->isEnabled() && hub.Quantitative->isEnabled();
        StandardRowFlags[3999] = 1;  // past the grid: the distributions dialog clears it
        hub.VedeSemplici->click();
        hub.Esci->click();
    });
    w.On<TSemplici>([](TSemplici& d) {
        d.righe->click();
        EXPECT_EQ(d.RigX->text(), "78");
        d.ELABORA->click();
        d.Visualizza->click();
        d.Esci->click();
    });
    w.On<TRighe>([](TRighe& d) {
        d.Attiva->click();
        d.Esci->click();
    });
    w.On<TEsegue>([](TEsegue& d) {
        EXPECT_EQ(d.Job(), kCategoryCountJob);
        d.Esegui->click();
    });

    w.Window().Elab1->trigger();

    EXPECT_TRUE(analysesEnabledAfterEditor);
    EXPECT_EQ(StandardRowFlags[3999], 0);
    EXPECT_TRUE(w.unhandled.empty()) << w.unhandled.front();
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    ASSERT_EQ(w.viewerLines.size(), 1u);
    const std::vector<std::string>& report = w.viewerLines[0];

    int selected = 0;
    std::array<int, 8> bySex{}, byMarital{};
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        if (!w.Selected(c)) continue;
        ++selected;
        ++bySex[size_t(std::clamp(sex[size_t(c)], 0, 7))];
        ++byMarital[size_t(std::clamp(marital[size_t(c)], 0, 7))];
    }
    ASSERT_GT(selected, 0);
    struct Row {
        const char* label;
        int count;
    } rows[] = {{"Sesso maschio", bySex[1]},
                {"Sesso femmina", bySex[2]},
                {"Stato celibe o nubile", byMarital[1]},
                {"Stato coniugato/a", byMarital[2]},
                {"Stato separato/a", byMarital[3]},
                {"Stato divorziato/a", byMarital[4]},
                {"Stato vedovo/a", byMarital[5]}};
    for (const Row& r : rows) {
        const auto lines = LinesLabelled(report, r.label);
        ASSERT_EQ(lines.size(), 1u) << r.label;
        // Count in columns 61-67 under the "n" of the header, percentage in 68-74 under "%".
        ASSERT_GE(lines[0].size(), 74u) << lines[0];
        EXPECT_EQ(std::stoi(lines[0].substr(60, 7)), r.count) << lines[0];
        EXPECT_NEAR(std::stod(lines[0].substr(67, 7)), 100.0 * r.count / selected, 0.006) << lines[0];
    }
    const std::string header = std::string(66, ' ') + "n      %";
    EXPECT_EQ(std::count(report.begin(), report.end(), header), 13);  // one per variable
    // Each variable's total stands under the counts.
    int totals = 0;
    for (const std::string& line : report)
        if (line.rfind("Totale", 0) == 0) {
            ++totals;
            ASSERT_EQ(line.size(), 67u) << line;
            EXPECT_EQ(std::stoi(line.substr(60)), selected) << line;
        }
    EXPECT_EQ(totals, 13);

    // After the hub the card window is in search mode.
    EXPECT_EQ(CoreState.CardWindowMode, 2);
}

TEST_F(ElaborationsWalkthrough, CrossTableWithChiSquare) {
    w.SelectCards([](int c) { return c % 2 == 0; });
    CoreState.ChiSquare = 1;  // as the last run left it
    const std::vector<int> sex = CategoryOnCards(kSex), education = CategoryOnCards(kStudy);

    MakeGridsInEditor(w);
    w.On<TElaborazioni>([](TElaborazioni& hub) {
        hub.VedeGriglie->click();
        hub.Doppie->click();
        hub.Esci->click();
    });
    w.On<TDoppie>([](TDoppie& d) {
        d.Righe->click();
        d.Colonne->click();
        EXPECT_EQ(d.RigX->text(), "5");
        EXPECT_EQ(d.ColX->text(), "2");
        EXPECT_TRUE(d.ChiQ->isChecked());
        d.pColonna->setChecked(true);
        d.Elabora->click();
        d.Visualizza->click();
        d.Esci->click();
    });
    // Rows: the five education levels; columns: the two sexes.
    ChooseRowsAndColumns(w, kEducationLine, 5, kSexLine, 2);
    std::vector<int> jobs;
    w.On<TEsegue>([&](TEsegue& d) {
        jobs.push_back(d.Job());
        d.Esegui->click();
    });

    w.Window().Elab1->trigger();

    EXPECT_TRUE(w.unhandled.empty()) << w.unhandled.front();
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    EXPECT_EQ(jobs, std::vector<int>{kCategoryCountJob});
    EXPECT_EQ(CoreState.PercentColumn, 1);
    EXPECT_EQ(CoreState.ElaborationMode, 1);
    ASSERT_EQ(w.viewerLines.size(), 1u);
    EXPECT_EQ(w.viewed, std::vector<int>{0});  // the report viewer
    const std::vector<std::string>& report = w.viewerLines[0];
    const std::string file = ReadBytes(CoreState.ProgramDir + "tabella.txt");
    EXPECT_EQ(file.rfind(LoadText(395) + " 1 ", 0), 0u) << file;
    EXPECT_NE(file.find(LoadText(396)), std::string::npos);
    EXPECT_NE(file.find(LoadText(392) + " "), std::string::npos);

    // Counts by education (1..5) and sex (1..2) over the selected cards; index 0 is the total.
    std::array<std::array<int, 3>, 6> table{};
    for (int c = 0; c <= CoreState.LastCard; ++c) {
        const int e = education[size_t(c)], s = sex[size_t(c)];
        if (!w.Selected(c) || s < 1 || s > 2) continue;
        ++table[0][size_t(s)];
        ++table[0][0];
        if (e >= 1 && e <= 5) {
            ++table[size_t(e)][size_t(s)];
            ++table[size_t(e)][0];
        }
    }

    // The heading's column numbers end where the cells end: columns 39, 48 and 57.
    auto cellEnds = [](const std::string& line) {
        std::vector<size_t> ends;
        for (size_t i = 30; i < line.size(); ++i)
            if (line[i] != ' ' && (i + 1 == line.size() || line[i + 1] == ' ')) ends.push_back(i + 1);
        return ends;
    };
    const std::vector<size_t> columns = {39, 48, 57};
    auto at = [&](const std::string& label) {
        const auto it = std::find_if(report.begin(), report.end(),
                                     [&](const std::string& l) { return LabelOf(l, 30) == label; });
        EXPECT_NE(it, report.end()) << label;
        return it;
    };
    const auto heading =
        std::find(report.begin(), report.end(), std::string(30, ' ') + "        1        2   Totale");
    ASSERT_NE(heading, report.end());
    double chi = 0;
    for (int e = 1; e <= 5; ++e) {
        const auto row = at(kEducationLabels[e].substr(0, 30));
        ASSERT_NE(row, report.end());
        for (int s = 1; s <= 2; ++s) {
            const std::string cell = row->substr(30 + 9 * size_t(s - 1), 9);
            const int count = table[size_t(e)][size_t(s)];
            EXPECT_EQ(cell, count ? QString::number(count).rightJustified(9).toStdString() : "        -")
                << *row;
            const double expected = double(table[size_t(e)][0]) * table[0][size_t(s)] / table[0][0];
            chi += (count - expected) * (count - expected) / expected;
        }
        EXPECT_EQ(std::stoi(row->substr(48, 9)), table[size_t(e)][0]) << *row;
        // The column percentages stand under their counts.
        const std::string& percent = *(row + 1);
        EXPECT_EQ(LabelOf(percent, 30), std::string(24, ' ') + "% col.") << percent;
        for (int s = 1; s <= 2; ++s) {
            const int count = table[size_t(e)][size_t(s)];
            const std::string cell = percent.substr(30 + 9 * size_t(s - 1), 9);
            if (count == 0)
                EXPECT_EQ(cell, std::string(9, ' ')) << percent;
            else
                EXPECT_NEAR(std::stod(cell), 100.0 * count / table[0][size_t(s)], 0.006) << percent;
        }
    }
    const auto footer = at("Totale");
    EXPECT_EQ(cellEnds(*footer), columns) << *footer;
    const auto chiLine = std::find_if(report.begin(), report.end(),
                                      [](const std::string& l) { return l.rfind("Chi quadrato", 0) == 0; });
    ASSERT_NE(chiLine, report.end());
    EXPECT_NEAR(std::stod(chiLine->substr(15, 7)), chi, 0.0006) << *chiLine;
    EXPECT_NE(chiLine->find("= 4 "), std::string::npos) << *chiLine;
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST_F(ElaborationsWalkthrough, ConnectionsQuantitativeTablesAndWeights) {
    constexpr int kCards = 300;
    w.SelectCards([](int c) { return c < kCards; });
    const std::vector<int> sex = CategoryOnCards(kSex), education = CategoryOnCards(kStudy);
    const std::vector<int> household = CategoryOnCards(9);
    // The last run's minimum chi-square is offered again, and the one typed is kept.
    CoreState.MinChiSquare = 6.635;
    MakeGridsInEditor(w);
    w.On<TElaborazioni>([](TElaborazioni& hub) {
        hub.VedeGriglie->click();
        hub.VedeConnessioni->click();
        hub.Quantitative->click();
        hub.VedeSemplici->click();
        hub.Esci->click();
    });
    w.On<TConnessioni>([](TConnessioni& d) {
        EXPECT_EQ(d.ChiQ->text(), "     6.635");
        d.Righe->click();
        d.Colonne->click();
        EXPECT_EQ(d.RigX->text(), "5");
        EXPECT_EQ(d.ColX->text(), "2");
        d.ChiQ->setText("0");  // every row listed
        d.Elabora->click();
        d.Visualizza->click();
        d.Esci->click();
    });
    ChooseRowsAndColumns(w, kEducationLine, 5, kSexLine, 2);
    w.On<TQuantitativeElab>([](TQuantitativeElab& d) {
        EXPECT_EQ(d.RigX->text(), "0");
        d.Righe->click();
        EXPECT_EQ(d.RigX->text(), "3");
        d.SeleColonne->click();
        EXPECT_EQ(d.ColX->text(), "2");
        d.Elabora->click();
        d.Visualizza->click();
        d.Esci->click();
    });
    w.On<TQuantModalita>([](TQuantModalita& d) {
        // One line per variable of the quantitative grid.
        EXPECT_EQ(d.modalita->count(),
                  int(LoadQuantitativeGrid(CoreState.ArchiveDir + "grq-sch.txt").size()));
        d.Attiva->click();
        d.Esci->click();
    });
    w.On<TSemplici>([](TSemplici& d) {
        d.Quantitativa->click();
        d.Esci->click();
    });
    w.On<TQuantitativa>([](TQuantitativa& d) {
        d.Pesi->click();
        d.Esci->click();
    });
    w.On<TPesi>([](TPesi& d) {
        d.vQualit->click();
        d.CreaFile->click();
        d.Universo->click();
        d.Calcolo->click();
        d.Pesi->click();
        d.Attribuisce->click();
        d.Esci->click();
    });
    std::vector<int> jobs;
    w.On<TEsegue>([&](TEsegue& d) {
        jobs.push_back(d.Job());
        d.Esegui->click();
    });

    w.Window().Elab1->trigger();
    EXPECT_TRUE(w.unhandled.empty()) << w.unhandled.front();
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    EXPECT_EQ(CoreState.MinChiSquare, 0);
    // Connections, quantitative tables, the universe and the weights (attribution needs the
    // write password, which this user did not give).
    ASSERT_EQ(w.viewerLines.size(), 4u);
    ASSERT_GE(jobs.size(), 2u);
    EXPECT_EQ(jobs[0], kCategoryCountJob);
    EXPECT_EQ(jobs[1], kQuantitativeJob);
    EXPECT_EQ(w.viewed[0], 0);
    EXPECT_EQ(w.viewed[1], 0);

    // Each row of each column against the 2x2 table counted here card by card: Pearson's
    // chi-square over the four cells, signed phi, the two percentages and the row's label.
    std::array<double, 3> inColumn{};
    std::array<double, 6> inRow{};
    std::array<std::array<double, 3>, 6> both{};
    std::array<int64_t, 3> householdSum{}, householdCount{};
    std::array<double, 3> householdCards{};
    std::array<std::vector<double>, 3> householdValues;
    for (int c = 0; c < kCards; ++c) {
        const int s = sex[size_t(c)], e = education[size_t(c)];
        const bool sexKnown = s >= 1 && s <= 2, educationKnown = e >= 1 && e <= 5;
        if (sexKnown) ++inColumn[size_t(s)];
        if (educationKnown) ++inRow[size_t(e)];
        if (sexKnown && educationKnown) ++both[size_t(e)][size_t(s)];
        for (size_t slot : {size_t(0), size_t(s)}) {
            if (slot > 2) continue;
            ++householdCards[slot];
            if (int16_t(household[size_t(c)]) < 0) continue;
            householdSum[slot] += household[size_t(c)];
            ++householdCount[slot];
            householdValues[slot].push_back(household[size_t(c)]);
        }
    }
    const std::vector<std::string>& connections = w.viewerLines[0];
    ASSERT_GT(connections.size(), 6u);
    EXPECT_EQ(connections[2], std::string(49, '-'));
    EXPECT_EQ(connections[6], LoadText(319));
    int listed = 0;
    for (int s = 1; s <= 2; ++s) {
        const char* column = s == 1 ? " Sesso maschio" : " Sesso femmina";
        auto at = std::find(connections.begin(), connections.end(), column);
        ASSERT_NE(at, connections.end()) << column;
        for (at += 4; at != connections.end() && !at->empty(); ++at) {
            const std::string& l = *at;
            if (l == std::string(16, ' ') + "- - - - - - - - -") continue;  // the significance mark
            ++listed;
            const int e = std::atoi(l.substr(17, 4).c_str()) - kEducationLine;
            ASSERT_TRUE(e >= 1 && e <= 5) << l;
            const double a = both[size_t(e)][size_t(s)], b = inColumn[size_t(s)] - a,
                         cc = inRow[size_t(e)] - a, d = kCards - a - b - cc;
            const double cells[4][3] = {
                {a, a + cc, a + b}, {b, b + d, a + b}, {cc, a + cc, cc + d}, {d, b + d, cc + d}};
            double chi = 0;
            for (const auto& cell : cells) {
                const double expected = cell[1] * cell[2] / kCards;
                if (expected > 0) chi += (cell[0] - expected) * (cell[0] - expected) / expected;
            }
            const double sign = a < inColumn[size_t(s)] * inRow[size_t(e)] / kCards ? -1 : 1;
            EXPECT_NEAR(std::atof(l.substr(0, 8).c_str()), chi, 0.0051) << l;
            EXPECT_NEAR(std::atof(l.substr(8, 7).c_str()), sign * std::sqrt(chi / kCards), 0.00051) << l;
            EXPECT_NEAR(std::atof(l.substr(24, 6).c_str()), a / inColumn[size_t(s)] * 100, 0.0051) << l;
            EXPECT_NEAR(std::atof(l.substr(32, 6).c_str()), cc / (kCards - inColumn[size_t(s)]) * 100, 0.0051)
                << l;
            EXPECT_EQ(l.substr(41), kEducationLabels[e]) << l;
        }
    }
    EXPECT_EQ(listed, 10);  // five rows under each of the two columns

    // The household size in the two columns and overall: sum, count, mean, mean per card and
    // standard deviation.
    const std::vector<std::string>& quantities = w.viewerLines[1];
    ASSERT_GT(quantities.size(), 5u);
    EXPECT_EQ(quantities[4], "      2 - Sesso maschio");
    EXPECT_EQ(quantities[5], "      3 - Sesso femmina");
    const auto members = std::find_if(quantities.begin(), quantities.end(),
                                      [](const std::string& l) { return l.rfind("Componenti", 0) == 0; });
    ASSERT_NE(members, quantities.end());
    ASSERT_LT(members + 6, quantities.end());
    EXPECT_EQ(members->substr(24), "          1          2          3");
    std::array<std::vector<std::string>, 5> figures;
    for (size_t k = 0; k < 5; ++k) {
        figures[k] = FieldsFrom(*(members + 2 + ptrdiff_t(k)), 11);
        ASSERT_EQ(figures[k].size(), 3u) << *(members + 2 + ptrdiff_t(k));
    }
    for (size_t slot = 0; slot < 3; ++slot) {
        SCOPED_TRACE(slot);
        const double mean = double(householdSum[slot]) / double(householdCount[slot]);
        double squares = 0;
        for (double v : householdValues[slot]) squares += (v - mean) * (v - mean);
        EXPECT_EQ(std::stoll(figures[0][slot]), householdSum[slot]);
        EXPECT_EQ(std::stoll(figures[1][slot]), householdCount[slot]);
        EXPECT_NEAR(std::stod(figures[2][slot]), mean, 0.0051);
        EXPECT_NEAR(std::stod(figures[3][slot]), double(householdSum[slot]) / householdCards[slot], 0.0051);
        EXPECT_NEAR(std::stod(figures[4][slot]), std::sqrt(squares / double(householdCount[slot])), 0.0051);
    }
}

}  // namespace
}  // namespace qv
