#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cmath>
#include <cstdlib>

#include "core/card_store.h"
#include "core/core_state.h"
#include "elaborations/counting_engine.h"
#include "elaborations/grid_files.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tconnessioni.h"
#include "elaborations/ui/telaborazioni.h"
#include "elaborations/ui/tesegue.h"
#include "elaborations/ui/tquantitativeelab.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/elaboration_forms.h"

namespace qv {
namespace {

using namespace test;

// The sample archive opened in a fresh program directory; texts are "Testo N".
class ConnectionFormsTest : public test::ElaborationForms {
  protected:
    void SetUp() override {
        ElaborationForms::SetUp();
        RegisterConnectionDialogs();
    }
};

// Whether category `line` of the grid holds on the card in hand (single-field categories).
bool InCategory(const CategoryGrid& grid, int line) {
    const int v = GetCardWord(grid.Field[size_t(line)]);
    return v >= grid.Low[size_t(line)] && v <= grid.High[size_t(line)];
}

TEST_F(ConnectionFormsTest, ConnectionsFromTheHubToTheReport) {
    GenerateDichotomousGrid();
    SelectFirstCards(120);
    const CategoryGrid grid = LoadCategoryGrid(Archive("grl-sch.txt"));
    // Rows: the lines of the first variable (sex); column: the first line of the third variable
    // (marital status).
    std::vector<int> starts;
    for (int i = 1; i <= grid.Count; ++i)
        if (grid.OpensVariable[size_t(i)]) starts.push_back(i);
    ASSERT_GE(starts.size(), 3u);
    ASSERT_EQ(grid.FieldCount[size_t(starts[2])], 0);
    const int column = starts[2];
    for (int i = starts[0]; i < starts[1]; ++i) StandardRowFlags[size_t(i) - 1] = 1;
    StandardColumnFlags[size_t(column) - 1] = 1;

    // The 2x2 table of each row, counted here card by card.
    const int rows = starts[1] - starts[0];
    std::vector<double> both(size_t(rows), 0), inRow(size_t(rows), 0);
    double inColumn = 0, total = 0;
    for (int32_t card = 0; card < 120; ++card) {
        CoreState.CurrentCard = card;
        ReadCardValues();
        ++total;
        const bool c = InCategory(grid, column);
        inColumn += c;
        for (int r = 0; r < rows; ++r)
            if (InCategory(grid, starts[0] + r)) {
                ++inRow[size_t(r)];
                both[size_t(r)] += c;
            }
    }
    CoreState.CurrentCard = CoreState.LastCard + 1;
    ASSERT_GT(inColumn, 0);

    CoreState.MinChiSquare = 6.635;
    int runners = 0;
    std::vector<int> viewers;
    SetModalHook([&](QDialog& d) {
        if (auto* c = qobject_cast<TConnessioni*>(&d)) {
            EXPECT_EQ(c->windowTitle(), "Testo 300");
            EXPECT_EQ(c->ChiQ->text(), "     6.635");
            EXPECT_EQ(c->RigX->text(), QString::number(rows));
            EXPECT_EQ(c->ColX->text(), "1");
            c->ChiQ->setText("0");
            c->Elabora->click();
            c->Visualizza->click();
            c->Esci->click();
        } else if (auto* r = qobject_cast<TEsegue*>(&d)) {
            ++runners;
            EXPECT_EQ(r->Job(), kCategoryCountJob);
            r->Esegui->click();
        } else if (d.objectName() == "THelp") {
            viewers.push_back(CoreState.CommandCode);
        }
        return d.result();
    });
    TElaborazioni hub(nullptr);
    hub.VedeConnessioni->click();
    EXPECT_EQ(runners, 1);
    EXPECT_EQ(viewers, std::vector<int>{0});
    EXPECT_EQ(CoreState.MinChiSquare, 0);
    EXPECT_TRUE(messages.empty());

    // Every row listed at minimum 0: Pearson's chi-square over the four cells, phi and the
    // two percentages, against the figures of the report.
    const std::vector<std::string> lines = ReportLines(Report());
    ASSERT_GE(lines.size(), size_t(8 + rows));
    EXPECT_EQ(lines[2], std::string(49, '-'));
    EXPECT_EQ(lines[4], " " + grid.Labels[size_t(column)]);
    EXPECT_EQ(lines[6], "Testo 319");
    int listed = 0;
    for (size_t l = 8; l < lines.size(); ++l) {
        const std::string& s = lines[l];
        if (s == std::string(16, ' ') + "- - - - - - - - -") continue;
        ++listed;
        const int line = std::atoi(s.substr(17, 4).c_str());
        const int r = line - starts[0];
        ASSERT_TRUE(r >= 0 && r < rows) << s;
        const double a = both[size_t(r)], b = inColumn - a, c = inRow[size_t(r)] - a, d = total - a - b - c;
        const double cells[4][3] = {
            {a, a + c, a + b}, {b, b + d, a + b}, {c, a + c, c + d}, {d, b + d, c + d}};
        double chi = 0;
        for (const auto& cell : cells) {
            const double e = cell[1] * cell[2] / total;
            if (e > 0) chi += (cell[0] - e) * (cell[0] - e) / e;
        }
        const double sign = a < inColumn * inRow[size_t(r)] / total ? -1 : 1;
        EXPECT_NEAR(std::atof(s.substr(0, 8).c_str()), chi, 0.0051) << s;
        EXPECT_NEAR(std::atof(s.substr(8, 7).c_str()), sign * std::sqrt(chi / total), 0.00051) << s;
        EXPECT_NEAR(std::atof(s.substr(24, 6).c_str()), a / inColumn * 100, 0.0051) << s;
        EXPECT_NEAR(std::atof(s.substr(32, 6).c_str()), c / (total - inColumn) * 100, 0.0051) << s;
        EXPECT_EQ(s.substr(41), grid.Labels[size_t(line)]) << s;
    }
    EXPECT_EQ(listed, rows);
}

TEST_F(ConnectionFormsTest, ConnectionOptionsAndRefusals) {
    GenerateDichotomousGrid();
    for (int line = 0; line < 12; ++line) StandardColumnFlags[size_t(line)] = 1;
    StandardRowFlags[0] = StandardRowFlags[3999] = 1;
    CoreState.HideTrivialConnections = 1;
    CoreState.MinChiSquare = 3.841;
    std::vector<std::string> opened;
    std::vector<int> helpPages;
    SetModalHook([&](QDialog& d) {
        opened.push_back(d.objectName().toStdString());
        if (d.objectName() == "TRighe") StandardRowFlags[1] = StandardRowFlags[2] = 1;
        if (d.objectName() == "TColonne") StandardColumnFlags.fill(0);
        if (d.objectName() == "THelpRTF") helpPages.push_back(CoreState.CommandCode);
        return 0;
    });

    TConnessioni c(nullptr);
    EXPECT_EQ(c.Colonne->text(), "Testo 302");
    EXPECT_EQ(c.Colonne->toolTip(), "Testo 303");
    EXPECT_EQ(c.banali->text(), "Testo 309");
    EXPECT_EQ(c.ChiQ->toolTip(), "Testo 311");
    EXPECT_EQ(c.Label1->text(), "Testo 312");
    EXPECT_EQ(c.Esci->toolTip(), "Testo 316");
    EXPECT_TRUE(c.banali->isChecked());
    // Nine columns stay chosen; the rows past the grid are cleared.
    EXPECT_EQ(c.ColX->text(), "9");
    EXPECT_EQ(StandardColumnFlags[8], 1);
    EXPECT_EQ(StandardColumnFlags[9], 0);
    EXPECT_EQ(c.RigX->text(), "1");
    EXPECT_EQ(StandardRowFlags[3999], 0);

    c.Righe->click();
    EXPECT_EQ(c.RigX->text(), "3");
    c.Colonne->click();
    EXPECT_EQ(c.ColX->text(), "0");
    c.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{28});

    // A minimum that is not a number keeps the one in force.
    c.ChiQ->setText("molto");
    c.banali->setChecked(false);
    c.Esci->click();
    EXPECT_EQ(CoreState.MinChiSquare, 3.841);
    EXPECT_EQ(c.ChiQ->text(), "     3.841");
    EXPECT_EQ(CoreState.HideTrivialConnections, 0);
    c.ChiQ->setText("6,635");
    c.EsciClick();
    EXPECT_EQ(CoreState.MinChiSquare, 6.635);

    // No count table yet: a message, no viewer, and no old report passed off as new.
    opened.clear();
    c.Visualizza->click();
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(FileExists(CoreState.ProgramDir + "tabella.txt"));

    // A grid of 4000 lines is neither counted nor reported, but the options are stored.
    std::string grid;
    for (int i = 0; i < 4000; ++i) grid += "c*3=1,1;G0S0\r\n";
    WriteBytes(Archive("grl-sch.txt"), grid);
    c.ChiQ->setText("1");
    c.Elabora->click();
    c.Visualizza->click();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(CoreState.MinChiSquare, 1);
}

TEST_F(ConnectionFormsTest, QuantitativeTablesFromTheHubToTheReport) {
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    SelectFirstCards(150);
    const CategoryGrid grid = LoadCategoryGrid(Archive("grl-sch.txt"));
    const std::vector<int32_t> fields = LoadQuantitativeGrid(Archive("grq-sch.txt"));
    ASSERT_FALSE(fields.empty());
    const int field = fields[0];
    ASSERT_TRUE(FieldTypes[field] == 4 || FieldTypes[field] == 7);
    const int column = 1;  // the first category of the grid
    ASSERT_EQ(grid.FieldCount[column], 0);

    // Sum, count and squared deviations of the first variable, all cards and in the column.
    double sum[2] = {0, 0}, count[2] = {0, 0}, cards[2] = {0, 0};
    std::vector<double> values[2];
    for (int32_t card = 0; card < 150; ++card) {
        CoreState.CurrentCard = card;
        ReadCardValues();
        const bool inColumn = InCategory(grid, column);
        int64_t v = FieldTypes[field] == 7 ? GetCardNumber(field) : GetCardWord(field);
        const bool has = FieldTypes[field] == 7 ? v > -9999999 : v > -32000;
        for (int s = 0; s < 2; ++s) {
            if (s == 1 && !inColumn) continue;
            ++cards[s];
            if (!has) continue;
            sum[s] += double(v);
            ++count[s];
            values[s].push_back(double(v));
        }
    }
    CoreState.CurrentCard = CoreState.LastCard + 1;
    ASSERT_GT(count[1], 0);

    int runners = 0;
    std::vector<int> viewers;
    SetModalHook([&](QDialog& d) {
        if (auto* q = qobject_cast<TQuantitativeElab*>(&d)) {
            EXPECT_EQ(q->windowTitle(), "Testo 1170");
            EXPECT_EQ(q->RigX->text(), "0");
            q->Righe->click();
            EXPECT_EQ(q->RigX->text(), "1");
            q->SeleColonne->click();
            EXPECT_EQ(q->ColX->text(), "1");
            q->Elabora->click();
            q->Visualizza->click();
            q->Esci->click();
        } else if (auto* m = qobject_cast<TQuantModalita*>(&d)) {
            EXPECT_EQ(m->modalita->count(), int(fields.size()));
            m->modalitaClick(0);
            m->Esci->click();
        } else if (d.objectName() == "TColonne") {
            StandardColumnFlags[column - 1] = 1;
        } else if (auto* r = qobject_cast<TEsegue*>(&d)) {
            ++runners;
            EXPECT_EQ(r->Job(), kQuantitativeJob);
            r->Esegui->click();
        } else if (d.objectName() == "THelp") {
            viewers.push_back(CoreState.CommandCode);
        }
        return d.result();
    });
    TElaborazioni hub(nullptr);
    hub.Quantitative->click();
    EXPECT_EQ(runners, 1);
    EXPECT_EQ(viewers, std::vector<int>{0});
    EXPECT_TRUE(messages.empty());

    const std::vector<std::string> lines = ReportLines(Report());
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[4], "      2 - " + grid.Labels[column].substr(0, 30));
    auto figures = [&](size_t l) {
        std::vector<double> f;
        for (size_t at = 24; at + 11 <= lines[l].size(); at += 11)
            f.push_back(std::atof(lines[l].substr(at, 11).c_str()));
        return f;
    };
    EXPECT_EQ(lines[7].substr(24), "          1          2");
    for (int s = 0; s < 2; ++s) {
        const double mean = sum[s] / count[s];
        double squares = 0;
        for (double v : values[s]) squares += (v - mean) * (v - mean);
        EXPECT_EQ(figures(9)[size_t(s)], sum[s]);
        EXPECT_EQ(figures(10)[size_t(s)], count[s]);
        EXPECT_NEAR(figures(11)[size_t(s)], mean, 0.0051);
        EXPECT_NEAR(figures(12)[size_t(s)], sum[s] / cards[s], 0.0051);
        EXPECT_NEAR(figures(13)[size_t(s)], std::sqrt(squares / count[s]), 0.0051);
    }
}

TEST_F(ConnectionFormsTest, QuantitativeDialogWithoutFiguresSaysSo) {
    GenerateDichotomousGrid();
    GenerateQuantitativeGrid();
    std::vector<std::string> opened;
    std::vector<int> codes;
    SetModalHook([&](QDialog& d) {
        opened.push_back(d.objectName().toStdString());
        codes.push_back(CoreState.CommandCode);
        return 0;
    });
    TQuantitativeElab q(nullptr);
    EXPECT_EQ(q.Righe->text(), "Testo 1172");
    EXPECT_EQ(q.ColX->toolTip(), "Testo 1174");
    EXPECT_EQ(q.Help2->toolTip(), "Testo 1186");
    EXPECT_FALSE(q.QuadriSinottici->isVisibleTo(&q));

    QuantVarFlags[0] = 1;
    q.Visualizza->click();  // nothing counted
    NoProgress progress;
    ASSERT_EQ(RunQuantitativePasses(progress).Outcome, CountingOutcome::Done);
    QuantVarFlags[0] = 0;
    q.Visualizza->click();  // nothing chosen
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0], messages[1]);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(FileExists(CoreState.ProgramDir + "tabella.txt"));

    q.QuadriSinotticiClick();
    q.Help2->click();
    EXPECT_EQ(opened, (std::vector<std::string>{"THelp", "THelpRTF"}));
    EXPECT_EQ(codes, (std::vector<int>{0, 72}));
}

TEST_F(ConnectionFormsTest, QuantitativeVariablesSavedAndRestored) {
    WriteBytes(Archive("grq-sch.txt"), "*8*Eta\r\n*9*Figli\r\n*10*Reddito\r\n*11*Vani\r\n*12*Auto\r\n");
    QuantVarFlags[1] = 1;
    QuantVarFlags[7] = 1;  // past the list: neither shown nor saved
    TQuantModalita m(nullptr);
    EXPECT_EQ(m.windowTitle(), "Testo 1216");
    EXPECT_EQ(m.Salva->text(), "Testo 1226");
    EXPECT_EQ(m.Recupera->toolTip(), "Testo 1229");
    ASSERT_EQ(m.modalita->count(), 5);
    EXPECT_EQ(m.modalita->item(4)->text(), "Auto");
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "tresca.txt"), "Eta\r\nFigli\r\nReddito\r\nVani\r\nAuto\r\n");
    EXPECT_EQ(m.nRighe->text(), "1");
    EXPECT_TRUE(m.modalita->item(1)->isSelected());

    m.modalitaClick(0);
    m.modalitaClick(2);
    m.modalitaClick(4);
    m.modalitaClick(5);  // no such item
    EXPECT_EQ(m.nRighe->text(), "4");
    EXPECT_TRUE(m.modalita->item(4)->isSelected());

    std::string asked;
    SetFileDialogHook([&](const FileDialogRequest& r) {
        EXPECT_EQ(r.filter, "*.squ");
        EXPECT_EQ(r.directory, CoreState.ProgramDir);
        asked += r.kind == FileDialogKind::Save ? "save " : "open ";
        return CoreState.ProgramDir + "scelta.squ";
    });
    m.Salva->click();
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "scelta.squ"), test::Hex("00 00 02 00 04 00 04 00"));

    m.Disattiva->click();
    EXPECT_EQ(m.nRighe->text(), "0");
    m.Attiva->click();
    EXPECT_EQ(m.nRighe->text(), "5");
    EXPECT_EQ(QuantVarFlags[5], 0);

    // Restoring gives exactly the saved runs; runs past the list set nothing.
    WriteBytes(CoreState.ProgramDir + "scelta.squ", test::Hex("01 00 01 00 03 00 09 00 A0 0F FF FF"));
    m.Recupera->click();
    EXPECT_EQ(asked, "save open ");
    EXPECT_EQ(m.nRighe->text(), "3");
    std::string flags;
    for (int i = 0; i < 12; ++i) flags += char('0' + QuantVarFlags[size_t(i)]);
    EXPECT_EQ(flags, "010110010000");  // entry 7 was never part of the list
    EXPECT_FALSE(m.modalita->item(0)->isSelected());
    EXPECT_TRUE(m.modalita->item(3)->isSelected());

    std::vector<int> helpPages;
    SetModalHook([&](QDialog& d) {
        helpPages.push_back(CoreState.CommandCode);
        return d.result();
    });
    m.Help2->click();
    EXPECT_EQ(helpPages, std::vector<int>{74});
}

}  // namespace
}  // namespace qv
