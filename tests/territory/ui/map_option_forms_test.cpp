#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "app/register_all.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "quick/ui/quick_commands.h"
#include "support/started_program.h"
#include "territory/map_options.h"
#include "territory/map_tables.h"
#include "territory/ui/print_settings_forms.h"
#include "territory/ui/territorial_filter_forms.h"
#include "territory/ui/topzioni2.h"
#include "territory/ui/tunita.h"

namespace qv {
namespace {

using namespace test;

class MapOptionFormsTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        std::filesystem::create_directories(MapState.TerritoryDir);
    }
    void TearDown() override {
        for (int c = 1; c <= 8; ++c) RegisterQuickCommand(QuickCommand(c), nullptr);
        StartedProgram::TearDown();
    }
    std::string Geo(const char* name) const { return MapState.TerritoryDir + name; }
    static std::vector<int> ActiveMap(int upTo) {
        std::vector<int> comuni;
        for (int i = 1; i <= upTo; ++i)
            if (MapActiveComuni[size_t(i - 1)]) comuni.push_back(i);
        return comuni;
    }
};

TEST_F(MapOptionFormsTest, OpensWithTheOptionsInForce) {
    MapClassThresholds.Limits[2] = 12.5;
    MapClassThresholds.Title = "Schede";
    MapState.ValueDecimals = 1;
    MapState.ClassBorders = 1;
    MapState.ZoomLevel = 3;
    WriteBytes(Geo("lst-sigl.txt"), "Province;prov\r\nRegioni;reg\r\n");
    MapState.SigleSet = 1;
    TOpzioni2 d(nullptr);
    EXPECT_EQ(d.titoloTxt->text(), "Schede");
    EXPECT_EQ(d.Classe[2]->text(), "12.5");
    EXPECT_EQ(d.Classe[0]->text(), "");
    EXPECT_TRUE(d.manuale->isChecked());
    EXPECT_TRUE(d.ConfiniClassi->isChecked());
    EXPECT_FALSE(d.nessuno->isChecked());
    for (QCheckBox* on : {d.titolo, d.Classi, d.Colora, d.bianco, d.incorniciaCartina, d.Automatico})
        EXPECT_TRUE(on->isChecked()) << on->objectName().toStdString();
    for (QCheckBox* off : {d.nomi, d.sigle, d.grass, d.grafici, d.valoriBarre})
        EXPECT_FALSE(off->isChecked()) << off->objectName().toStdString();
    EXPECT_EQ(d.ngrassetto->count(), 51);
    EXPECT_EQ(d.ngrassetto->currentText(), "2");
    EXPECT_EQ(d.listaSigle->currentText(), "Regioni");
    EXPECT_EQ(d.grassetto->currentText(), "Non Selezionato");
    EXPECT_EQ(d.unita->count(), 0);
    EXPECT_EQ(d.zoom->count(), 7);
    EXPECT_EQ(d.zoom->currentItem()->text(), "zoom 2");
    EXPECT_EQ(d.xxx1->text(), "640");
    EXPECT_EQ(d.yyy2->text(), "480");
    // A missing colour file is created with the defaults.
    EXPECT_EQ(ReadBytes(Geo("leg-colo.dat")).size(), 36u);
}

TEST_F(MapOptionFormsTest, TakingTheOptionsAndTheAnswers) {
    struct Case {
        void (TOpzioni2::*button)();
        int answer;
        bool taken;
    } cases[] = {{&TOpzioni2::EsciClick, 0, true},
                 {&TOpzioni2::EsciCartinaClick, 1, true},
                 {&TOpzioni2::ListaClick, 2, false},
                 {&TOpzioni2::GraduatoriaClick, 3, false},
                 {&TOpzioni2::AnnullaClick, 0, false}};
    for (const Case& c : cases) {
        LoadMapOptions(0, "");
        SetColourHook([](int) { return 0x112233; });
        TOpzioni2 d(nullptr);
        d.nomi->setChecked(true);
        d.confini->setChecked(true);
        d.varianza->setChecked(true);
        d.Classe[0]->setText("abc");
        d.Classe[2]->setText("12.50");
        d.titoloTxt->setText("Titolo");
        d.ngrassetto->setCurrentIndex(7);
        d.zoom->setCurrentRow(6);
        d.ColoreClick(1);
        (d.*c.button)();
        EXPECT_EQ(d.Answer(), c.answer);
        EXPECT_EQ(MapState.ShowNames, c.taken ? 1 : 0) << c.answer;
        EXPECT_EQ(MapState.UnitBorders, c.taken ? 1 : 0);
        EXPECT_EQ(MapState.ClassMode, c.taken ? 3 : 1);
        EXPECT_EQ(MapState.VariableBorderWidth, c.taken ? 7 : 2);
        EXPECT_EQ(MapState.ZoomLevel, c.taken ? 7 : 1);
        EXPECT_EQ(MapClassThresholds.Title, c.taken ? "Titolo" : "");
        EXPECT_EQ(MapClassThresholds.Limits[2], c.taken ? 12.5 : kClassLimitUnset);
        EXPECT_EQ(MapClassThresholds.Limits[0], kClassLimitUnset);
        // The colour is 0x00BBGGRR in memory; it reaches the file only with the options.
        EXPECT_EQ(LegendColours[1], 0x332211u);
        EXPECT_EQ(ReadBytes(Geo("leg-colo.dat")).substr(4, 4),
                  c.taken ? Hex("11 22 33 00") : Hex("88 FF FF 00"));
        std::filesystem::remove(Geo("leg-colo.dat"));
    }
}

TEST_F(MapOptionFormsTest, OptionFilesAndBaseOptions) {
    LoadMapOptions(0, "");
    answer = root.Root() + "mie.opz";
    TOpzioni2 d(nullptr);
    d.LeggeBaseClick();
    EXPECT_EQ(d.Ok4->text(), "Testo 1901");
    d.sigle->setChecked(true);
    d.SalvaClick();
    EXPECT_EQ(d.Ok2->text(), "Ok");
    EXPECT_EQ(ReadBytes(answer).size(), 23u);
    EXPECT_EQ(ReadBytes(answer)[5], 1);  // option byte 6: sigle
    d.SalvaBaseClick();
    EXPECT_EQ(ReadBytes(root / "dm1-glar.dat"), Hex("80 02 00 00 E0 01 00 00"));
    MapState.ShowSigle = 0;
    d.LeggeBaseClick();
    EXPECT_EQ(d.Ok4->text(), "Ok");
    EXPECT_TRUE(d.sigle->isChecked());
    d.sigle->setChecked(false);
    d.RecuperaClick();
    EXPECT_EQ(d.Ok3->text(), "Ok");
    EXPECT_TRUE(d.sigle->isChecked());
}

TEST_F(MapOptionFormsTest, TerritoryTab) {
    MapActiveComuni.fill(0);
    MapState.ValueCount = 10;
    // Archive codes 1..5 are map comuni 2, 1, 3, none, 5.
    WriteBytes(Geo("kel-trad.dat"), Hex("02 00 01 00 03 00 FF FF 05 00"));
    MapActiveComuni[1] = 1;  // comune 2, code 1
    TOpzioni2 d(nullptr);
    int opened = 0;
    On<TUnita>([&](TUnita& u) {
        ++opened;
        // The map's selection is shown; code 3 is added.
        EXPECT_EQ(CoreState.CardWindowMode, 4);
        EXPECT_TRUE(TerritorySelection[0]);
        EXPECT_FALSE(TerritorySelection[2]);
        u.Comuni->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        u.ComuniClick();
        u.EsciClick();
    });
    d.SeleManualeClick();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(ActiveMap(12), (std::vector<int>{2, 3}));
    EXPECT_EQ(CoreState.CardWindowMode, 4);

    d.AttivaTuttoClick();
    EXPECT_EQ(d.Ok->text(), "Testo 1900");
    EXPECT_EQ(ActiveMap(12).size(), 11u);  // entries 0..ValueCount
}

TEST_F(MapOptionFormsTest, QuantitativeFilterNeedsTheMapCounts) {
    MapState.ValueCount = 4;
    const std::vector<int32_t> counts = {0, 3, 0, 8, 1};
    struct Case {
        std::span<const int32_t> counts;
        const char *low, *high, *status;
        std::vector<int> active;
    } cases[] = {
        {counts, "2", "", "Ok", {1, 3}},
        {counts, "", "", "?", {1, 2, 3, 4}},
        {{}, "2", "", "?", {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        MapActiveComuni.fill(1);
        TQuantitativi q(nullptr, c.counts);
        EXPECT_EQ(q.windowTitle(), "Testo 1200");
        q.da->setText(c.low);
        q.a->setText(c.high);
        q.AndRicClick();
        EXPECT_EQ(q.Ok->text(), c.status);
        EXPECT_EQ(ActiveMap(4), c.active);
    }
    // From the options dialog the filter counts the open map's cards.
    AllocateMapTables();
    MapCardCounts[3] = 6;
    MapActiveComuni.fill(1);
    On<TQuantitativi>([](TQuantitativi& q) {
        q.da->setText("5");
        q.AndRicClick();
    });
    TOpzioni2 o(nullptr);
    o.QuantitativiClick();
    ReleaseMapTables();
    EXPECT_EQ(ActiveMap(4), std::vector<int>{3});
}

TEST_F(MapOptionFormsTest, QualitativeFilter) {
    MapState.ValueCount = 3;
    MapState.VariableLength = 50;
    WriteBytes(Geo("sig-zor2.txt"),
               "titolo\r\n001q Colore\r\n00001 rosso\r\n00002 verde\r\n002q Forma\r\n00001 tondo\r\n");
    std::string matrix;
    for (int i = 0; i < 50; ++i) AppendI32(matrix, 0);
    for (int32_t v : {334, 335, 334}) AppendI32(matrix, v);
    for (int i = 3; i < 50; ++i) AppendI32(matrix, 0);
    WriteBytes(Geo("ter-zor.dat"), matrix);
    MapState.QualitativeVariable = 1;
    TQualitativi q(nullptr);
    EXPECT_EQ(q.Variabili->currentText(), "Forma");
    EXPECT_EQ(q.Modalita->count(), 1);
    q.Variabili->setCurrentIndex(0);
    EXPECT_EQ(MapState.QualitativeVariable, 0);
    ASSERT_EQ(q.Modalita->count(), 2);
    EXPECT_EQ(ReadBytes(root / "modalita.txt"), "rosso\r\nverde\r\n");
    q.Modalita->item(1)->setSelected(true);
    MapActiveComuni.fill(0);
    q.OrRicClick();
    EXPECT_EQ(q.Status->text(), "Ok - OR");
    EXPECT_EQ(ActiveMap(3), std::vector<int>{2});
}

TEST_F(MapOptionFormsTest, RescaleRefusesAZeroSize) {
    TOpzioni2 d(nullptr);
    d.xxx1->setText("0");
    d.EsegueClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(MapState.PixelWidth, 640);
}

TEST_F(MapOptionFormsTest, PrintScaleDialog) {
    TOpzioniStampaCartina p(nullptr);
    EXPECT_EQ(p.x->text(), "100");
    EXPECT_EQ(p.y->text(), "100");
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    p.reject();  // closed otherwise: nothing printed, nothing stored
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_FALSE(std::filesystem::exists(Geo("inf-stam.txt")));
    TOpzioniStampaCartina q(nullptr);
    q.x->setText("80");
    q.y->setText("120");
    q.ContinuaClick();
    EXPECT_EQ(CoreState.ProceedFlag, 1);
    EXPECT_EQ(ReadBytes(Geo("inf-stam.txt")), "80\r\n120\r\n");
    TOpzioniStampaCartina r(nullptr);
    EXPECT_EQ(r.y->text(), "120");
    EXPECT_EQ(CoreState.ProceedFlag, 0);
}

TEST_F(MapOptionFormsTest, FontHeightsAndComment) {
    TStampe s(nullptr);
    for (QComboBox* c : {s.Sigle, s.Comuni, s.Valori, s.Legenda, s.Sigle2, s.Comuni2, s.Valori2, s.Legenda2})
        EXPECT_EQ(c->currentText(), "9");
    s.Help2Click();
    EXPECT_EQ(CoreState.CommandCode, 0);
    s.Comuni2->setCurrentIndex(11);
    s.EsciClick();
    EXPECT_EQ(ReadBytes(root / "car-cart.dat"), Hex("08 00 00 00 08 00 00 00 08 00 00 00 08 00 00 00 08 00 "
                                                    "00 00 0B 00 00 00 08 00 00 00 08 00 00 00"));

    TCommentoStampa c(nullptr);
    c.testo->setPlainText(QStringLiteral("prima riga\nseconda \u00e8"));
    QTest::keyClick(c.testo, Qt::Key_Escape);
    EXPECT_EQ(ReadBytes(root / "commento.txt"), "prima riga\r\nseconda \xe8\r\n");
    TCommentoStampa again(nullptr);
    EXPECT_EQ(again.testo->toPlainText(), QStringLiteral("prima riga\nseconda \u00e8"));
}

TEST_F(MapOptionFormsTest, QuickHubOpensTheMapOptions) {
    RegisterAllDialogs();
    onShow = [](QDialog& d) {
        if (auto* o = dynamic_cast<TOpzioni2*>(&d)) o->EsciCartinaClick();
    };
    EXPECT_TRUE(OpenQuickCommand(QuickCommand::MapOptions, nullptr));
    EXPECT_EQ(shown, std::vector<std::string>{"TOpzioni2"});
    EXPECT_EQ(CoreState.CommandCode, 1);
}

}  // namespace
}  // namespace qv
