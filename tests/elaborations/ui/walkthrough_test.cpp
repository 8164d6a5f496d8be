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

#include "cardwindow/ui/principale.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "elaborations/ui/pickers.h"
#include "elaborations/ui/tconnessioni.h"
#include "elaborations/ui/tdoppie.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tgriglie.h"
#include "elaborations/ui/tquantitativeelab.h"
#include "elaborations/ui/tsemplici.h"
#include "elaborations/ui/weights_dialogs.h"
#include "platform/paths.h"

namespace qv {
namespace {

using namespace test;

// Sample archive fields used here: 3 sex (2 categories), 6 marital status (5), 7 education (5),
// 9 household size (16-bit number), 10 income (32-bit number).
constexpr int kSex = 3, kMarital = 6, kEducation = 7;
// First grid line (0-based) of each of those variables in the generated grid.
constexpr int kSexLine = 0, kMaritalLine = 11, kEducationLine = 17;

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
    const std::vector<int> sex = CategoryOnCards(kSex), education = CategoryOnCards(kEducation);

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
        d.ChiQ->setChecked(true);
        d.pColonna->setChecked(true);
        d.Elabora->click();
        d.Visualizza->click();
        d.Esci->click();
    });
    // Rows: the five education levels; columns: the two sexes.
    ChooseRowsAndColumns(w, kEducationLine, 5, kSexLine, 2);
    w.On<TEsegue>([](TEsegue& d) { d.Esegui->click(); });

    w.Window().Elab1->trigger();

    EXPECT_TRUE(w.unhandled.empty()) << w.unhandled.front();
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    ASSERT_EQ(w.viewerLines.size(), 1u);
    const std::vector<std::string>& report = w.viewerLines[0];

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
    const char* labels[] = {"",
                            "Titolo nessun titolo",
                            "Titolo licenza elementare",
                            "Titolo licenza media",
                            "Titolo diploma di scuola super",
                            "Titolo laurea"};

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
        const auto row = at(labels[e]);
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
    w.SelectCards([](int c) { return c < 300; });
    const std::vector<int> sex = CategoryOnCards(kSex), education = CategoryOnCards(kEducation);
    const std::vector<int> household = CategoryOnCards(9);
    MakeGridsInEditor(w);
    w.On<TElaborazioni>([](TElaborazioni& hub) {
        hub.VedeGriglie->click();
        hub.VedeConnessioni->click();
        hub.Quantitative->click();
        hub.VedeSemplici->click();
        hub.Esci->click();
    });
    w.On<TConnessioni>([](TConnessioni& d) {
        d.Righe->click();
        d.Colonne->click();
        d.ChiQ->setText("0");  // every row listed
        d.Elabora->click();
        d.Visualizza->click();
        d.Esci->click();
    });
    ChooseRowsAndColumns(w, kEducationLine, 5, kSexLine, 2);
    w.On<TQuantitativeElab>([](TQuantitativeElab& d) {
        d.Righe->click();
        d.Elabora->click();
        d.Visualizza->click();
        d.Esci->click();
    });
    w.On<TQuantModalita>([](TQuantModalita& d) {
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
    w.On<TEsegue>([](TEsegue& d) { d.Esegui->click(); });

    w.Window().Elab1->trigger();
    EXPECT_TRUE(w.unhandled.empty()) << w.unhandled.front();
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    // Connections, quantitative tables, the universe and the weights (attribution needs the
    // write password, which this user did not give).
    ASSERT_EQ(w.viewerLines.size(), 4u);

    int total = 0, males = 0, graduates = 0, maleGraduates = 0;
    std::array<int64_t, 3> householdSum{}, householdCount{};
    for (int c = 0; c < 300; ++c) {
        ++total;
        males += sex[size_t(c)] == 1;
        graduates += education[size_t(c)] == 5;
        maleGraduates += sex[size_t(c)] == 1 && education[size_t(c)] == 5;
        if (int16_t(household[size_t(c)]) >= 0) {
            for (size_t slot : {size_t(0), size_t(sex[size_t(c)])})
                if (slot <= 2) householdSum[slot] += household[size_t(c)], ++householdCount[slot];
        }
    }
    // The 2x2 table of graduates against men.
    const double a = maleGraduates, b = males - a, cc = graduates - a, d = total - graduates - b;
    const double chi =
        total * (a * d - b * cc) * (a * d - b * cc) / ((b + d) * (a + cc) * (cc + d) * (a + b));
    const std::vector<std::string>& connections = w.viewerLines[0];
    const auto male = std::find(connections.begin(), connections.end(), " Sesso maschio");
    ASSERT_NE(male, connections.end());
    const auto laurea = std::find_if(male, connections.end(), [](const std::string& l) {
        return l.size() > 41 && l.substr(41) == "Titolo laurea";
    });
    ASSERT_NE(laurea, connections.end());
    EXPECT_NEAR(std::stod(laurea->substr(0, 8)), chi, 0.006) << *laurea;
    EXPECT_NEAR(std::stod(laurea->substr(24, 6)), 100.0 * a / males, 0.006) << *laurea;
    EXPECT_EQ(std::count_if(male, connections.end(),
                            [](const std::string& l) { return l.find("Titolo") != l.npos; }),
              10);  // five rows under each of the two columns

    const std::vector<std::string>& quantities = w.viewerLines[1];
    const auto members = std::find_if(quantities.begin(), quantities.end(),
                                      [](const std::string& l) { return l.rfind("Componenti", 0) == 0; });
    ASSERT_NE(members, quantities.end());
    const std::vector<std::string> sums = FieldsFrom(*(members + 2), 5),
                                   counts = FieldsFrom(*(members + 3), 9);
    ASSERT_EQ(sums.size(), 3u) << *(members + 2);
    ASSERT_EQ(counts.size(), 3u) << *(members + 3);
    for (size_t slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(std::stoll(sums[slot]), householdSum[slot]) << slot;
        EXPECT_EQ(std::stoll(counts[slot]), householdCount[slot]) << slot;
    }
}

}  // namespace
}  // namespace qv
