// The shipped territorial base, built from the municipal boundaries: its geography read back
// file by file and through the map's own readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "support/temp_dir.h"
#include "territory/manual_selection.h"
#include "territory/map_tables.h"
#include "territory/shipped_base.h"
#include "territory/territorial_base.h"
#include "territory/territorial_filters.h"

namespace qv {
namespace {

using namespace test;

constexpr int kCodes = 8101;
constexpr int kListed = 7904;

struct Edge {
    int32_t x1, y1, x2, y2;
    auto operator<=>(const Edge&) const = default;
};

// The walked entries of an outline split into rings: each vertex with the neighbour stored with
// it, which names the comune across the edge ending there.
struct Walk {
    std::vector<std::vector<std::tuple<int32_t, int32_t, int32_t>>> rings;
    int end = 0;  // entry holding -30000, 0 when none within cap-5
};
Walk WalkOutline(const ShippedOutline& o) {
    Walk w;
    w.rings.emplace_back();
    for (int j = 1; j <= o.Cap - 5; ++j) {
        if (o.X[size_t(j)] == -30000) {
            w.end = j;
            break;
        }
        if (o.X[size_t(j)] == -10000)
            w.rings.emplace_back();
        else
            w.rings.back().emplace_back(o.X[size_t(j)], o.Y[size_t(j)], o.E[size_t(j)]);
    }
    return w;
}

// Even-odd rule over every ring, the one the drawing fills with.
bool Inside(const Walk& w, double x, double y) {
    bool in = false;
    for (const auto& ring : w.rings)
        for (size_t i = 1; i < ring.size(); ++i) {
            const auto [x1, y1, e1] = ring[i - 1];
            const auto [x2, y2, e2] = ring[i];
            if ((y1 <= y) != (y2 <= y) && x < x1 + (y - y1) * double(x2 - x1) / double(y2 - y1)) in = !in;
        }
    return in;
}

// Inside and on none of the edges: a label point on a border belongs to neither side.
bool StrictlyInside(const Walk& w, int32_t x, int32_t y) {
    for (const auto& ring : w.rings)
        for (size_t i = 1; i < ring.size(); ++i) {
            const auto [x1, y1, e1] = ring[i - 1];
            const auto [x2, y2, e2] = ring[i];
            if (int64_t(x2 - x1) * (y - y1) == int64_t(y2 - y1) * (x - x1) && std::min(x1, x2) <= x &&
                x <= std::max(x1, x2) && std::min(y1, y2) <= y && y <= std::max(y1, y2))
                return false;
        }
    return Inside(w, x, y);
}

class ShippedGeography : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { base = new ShippedBase; }
    static void TearDownTestSuite() { delete base; }
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.MakeDir("prog");
        MapState.TerritoryDir = test::ShippedBaseDir();
        MapState.ValueCount = MapState.ComuneCount = MapState.VariableLength = 8100;
        AllocateMapTables();
    }
    void TearDown() override { ReleaseMapTables(); }
    static const ShippedBase* base;
    test::TempDir dir;
};
const ShippedBase* ShippedGeography::base = nullptr;

TEST_F(ShippedGeography, NumberingKeepsTheProgramsCodes) {
    const std::string names = ReadBytes(test::ShippedBaseDir() + "cmn-zor2.dat");
    ASSERT_EQ(names.size(), size_t(kCodes) * 38);
    EXPECT_EQ(names.substr(0, kListed * 38),
              ReadBytes(std::string(QV_SOURCE_DIR) + "/data/progdir/cmn-zor2.dat").substr(0, kListed * 38));
    // A municipality formed since the list takes a free number; a merged one colours its successor.
    EXPECT_EQ(base->Code("Misiliscemi"), kListed + 1);
    const std::vector<int32_t> translation = ReadComuneTranslation();
    int outlines = 0;
    for (int k = 1; k <= kListed; ++k) {
        if (base->Outline(k).Empty()) continue;
        ++outlines;
        ASSERT_EQ(translation[size_t(k)], k);
    }
    EXPECT_GE(outlines, 7800);
    EXPECT_EQ(translation[size_t(base->Code("Monteciccardo"))], base->Code("Pesaro"));
    EXPECT_EQ(translation[size_t(base->Code("Bardello"))], base->Code("Bardello"));  // drawn nowhere
    EXPECT_TRUE(base->Outline(base->Code("Bardello")).Empty());
    EXPECT_EQ(translation[kCodes], -1);
}

// Every outline within its file's capacity, in the smallest file that holds it, closed rings,
// coordinates the rescale can scale, and a label point strictly inside the outline and its box.
TEST_F(ShippedGeography, OutlinesFitTheirFiles) {
    for (int k = 1; k <= ShippedBase::kComuni; ++k) {
        SCOPED_TRACE(k);
        const ShippedOutline& o = base->Outline(k);
        if (o.Empty()) continue;
        const Walk w = WalkOutline(o);
        ASSERT_GT(w.end, 0);
        ASSERT_EQ(o.X[size_t(o.Cap - 4)], -30000);
        if (o.File > 1) {
            ASSERT_GT(w.end, test::kShippedCaps[size_t(o.File - 2)] - 5);
        }
        for (int j = 1; j < w.end; ++j) ASSERT_TRUE(o.X[size_t(j)] >= 0 || o.X[size_t(j)] == -10000) << j;
        const test::ShippedBox& box = base->Box(k);
        for (const auto& ring : w.rings) {
            ASSERT_GE(ring.size(), 4u);
            ASSERT_EQ(std::get<0>(ring.front()), std::get<0>(ring.back()));
            ASSERT_EQ(std::get<1>(ring.front()), std::get<1>(ring.back()));
            for (const auto& [x, y, e] : ring) {
                ASSERT_TRUE(x >= box.X1 && x <= box.X2 && y >= box.Y1 && y <= box.Y2);
                ASSERT_GE(y, 0);
                ASSERT_TRUE(e >= -1 && e <= ShippedBase::kComuni) << e;
            }
        }
        EXPECT_EQ(o.X[size_t(o.Cap - 3)], o.LabelX());
        EXPECT_EQ(o.X[size_t(o.Cap - 2)], o.LabelY());
        EXPECT_TRUE(o.LabelX() >= box.X1 && o.LabelX() <= box.X2 && o.LabelY() >= box.Y1 &&
                    o.LabelY() <= box.Y2);
        EXPECT_TRUE(StrictlyInside(w, o.LabelX(), o.LabelY()));
    }
    EXPECT_GT(base->RecordsOfFile(2), 0u);
}

TEST_F(ShippedGeography, PlacesLieWhereTheyAre) {
    const BaseProjection projection;
    auto label = [&](const char* name) { return base->Outline(base->Code(name)); };
    EXPECT_LT(label("Milano").LabelY(), label("Roma").LabelY());
    EXPECT_GT(label("Bari").LabelX(), label("Napoli").LabelX());
    // Label points within the town's own territory: a few kilometres from its centre.
    struct Case {
        const char* name;
        double lon, lat, km;
    } cases[] = {{"Roma", 12.50, 41.90, 20},
                 {"Torino", 7.68, 45.07, 8},
                 {"Palermo", 13.36, 38.12, 10},
                 {"Trieste", 13.77, 45.65, 10},
                 {"Aosta", 7.32, 45.74, 6}};
    for (const Case& c : cases) {
        const ShippedOutline& o = label(c.name);
        const auto expected = projection.ToUnits(c.lon, c.lat);
        EXPECT_LT(std::hypot(o.LabelX() - expected[0], o.LabelY() - expected[1]), c.km * 11) << c.name;
    }
    // Italy fills the base map of 640 x 480 pixels at 32 units a pixel.
    int32_t maxX = 0, maxY = 0;
    for (int k = 1; k <= ShippedBase::kComuni; ++k)
        if (!base->Outline(k).Empty()) {
            maxX = std::max(maxX, base->Box(k).X2);
            maxY = std::max(maxY, base->Box(k).Y2);
        }
    EXPECT_LT(maxX, 640 * 32);
    EXPECT_LT(maxY, 480 * 32);
    EXPECT_GT(maxY, 440 * 32);
}

// A border shared by two municipalities is one list of vertices on both sides, each side naming
// the other as the neighbour of its edges.
TEST_F(ShippedGeography, NeighboursNameEachOther) {
    std::map<Edge, std::pair<int, int32_t>> edges;  // edge -> comune, neighbour across
    for (int k = 1; k <= ShippedBase::kComuni; ++k) {
        if (base->Outline(k).Empty()) continue;
        for (const auto& ring : WalkOutline(base->Outline(k)).rings)
            for (size_t i = 1; i < ring.size(); ++i)
                edges[{std::get<0>(ring[i - 1]), std::get<1>(ring[i - 1]), std::get<0>(ring[i]),
                       std::get<1>(ring[i])}] = {k, std::get<2>(ring[i])};
    }
    int shared = 0, mirrored = 0;
    for (const auto& [e, who] : edges) {
        if (who.second <= 0) continue;
        ++shared;
        const auto back = edges.find({e.x2, e.y2, e.x1, e.y1});
        if (back == edges.end()) continue;  // a few borders between two regional files
        ASSERT_EQ(back->second.first, who.second);
        ASSERT_EQ(back->second.second, who.first);
        ++mirrored;
    }
    EXPECT_GT(mirrored, shared * 99 / 100);

    const int torino = base->Code("Torino"), moncalieri = base->Code("Moncalieri");
    int common = 0;
    for (const auto& [e, who] : edges)
        if (who == std::pair<int, int32_t>{torino, moncalieri}) {
            ++common;
            EXPECT_EQ(edges.at({e.x2, e.y2, e.x1, e.y1}), (std::pair<int, int32_t>{moncalieri, torino}));
        }
    EXPECT_GT(common, 0);

    // Roma's hole (the Vatican) is joined to its outer ring by a slit whose two edges draw nothing;
    // the hole's own edges are the national border.
    const ShippedOutline& roma = base->Outline(base->Code("Roma"));
    const int slits = int(std::count(roma.E.begin(), roma.E.end(), -1));
    EXPECT_EQ(slits, 2);
}

// The distance selection measures kilometres on the ground.
TEST_F(ShippedGeography, DistanceAroundCuneo) {
    CoreState.ProgramDir = std::string(QV_SOURCE_DIR) + "/data/progdir/";
    TerritoryCount = kCodes;
    const int cuneo = base->Code("Cuneo");
    ApplyKmRadius(cuneo, 10);
    const BaseProjection projection;
    const std::vector<int32_t> translation = ReadComuneTranslation();
    auto where = [&](int code) {
        const ShippedOutline& o = base->Outline(translation[size_t(code)]);
        return projection.FromUnits(o.LabelX(), o.LabelY());
    };
    int near = 0;
    for (int j = 1; j <= kListed; ++j) {
        if (translation[size_t(j)] < 1 || base->Outline(translation[size_t(j)]).Empty()) continue;
        const double km = BaseProjection::GreatCircleKm(where(cuneo), where(j));
        const bool selected = TerritorySelection[size_t(j - 1)] != 0;
        EXPECT_TRUE(selected || km > 7) << j << " at " << km;
        EXPECT_TRUE(!selected || km <= 10.5) << j << " at " << km;
        near += km <= 7;
    }
    EXPECT_GE(near, 2);  // Cuneo and at least one neighbour
}

TEST_F(ShippedGeography, ProvincesAndRegionsAsUnitsWithNamesAndSigle) {
    const int torino = base->Code("Torino"), roma = base->Code("Roma");
    MapState.AggregationVariable = 1;
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    EXPECT_EQ(MapValueIndex[1], 1);          // Torino's first comune
    EXPECT_EQ(MapValueIndex[kListed], 103);  // the last province
    EXPECT_EQ(MapValueIndex[kListed + 2], 0);

    BuildUnitNames();
    const std::string units = ReadBytes(CoreState.ProgramDir + "tresca.txt");
    ASSERT_EQ(units.size(), 104u * 101);  // the next variable's header closes the list
    EXPECT_EQ(units.substr(0, 30), "Torino" + std::string(24, ' '));

    // One sigla per province, on a comune of that province: Torino's on Torino.
    const std::vector<SiglaEntry> sigle = LoadSigle();
    ASSERT_EQ(sigle.size(), 103u);
    for (size_t p = 0; p < sigle.size(); ++p) EXPECT_EQ(MapValueIndex[size_t(sigle[p].Comune)], int(p) + 1);
    EXPECT_EQ(sigle[0].Text, "TO");
    EXPECT_EQ(sigle[0].Comune, torino);
    EXPECT_EQ(sigle[102].Text, "VB");

    // Regions group whole provinces: Sappada stays with Belluno in Veneto.
    const std::vector<int32_t> province(MapValueIndex.begin(), MapValueIndex.begin() + kCodes);
    MapState.AggregationVariable = 2;
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    EXPECT_EQ(MapValueIndex[size_t(torino)], 1);
    EXPECT_EQ(MapValueIndex[size_t(roma)], 12);
    EXPECT_EQ(MapValueIndex[size_t(base->Code("Sappada"))], 5);
    std::map<int32_t, int32_t> regionOf;
    for (int k = 1; k < kCodes; ++k)
        if (province[size_t(k)] > 0) {
            const auto [at, added] = regionOf.emplace(province[size_t(k)], MapValueIndex[size_t(k)]);
            ASSERT_EQ(at->second, MapValueIndex[size_t(k)]) << "comune " << k;
        }

    // Both groupings are offered by the qualitative filter, each with its own categories.
    MapState.QualitativeVariable = 0;
    QualitativeLists lists = BuildQualitativeLists();
    EXPECT_EQ(lists.variables, (std::vector<std::string>{"Province", "Regioni"}));
    ASSERT_EQ(lists.categories.size(), 103u);
    EXPECT_EQ(lists.categories.back().substr(0, 14), "Verbano-Cusio-");
    MapState.QualitativeVariable = 1;
    lists = BuildQualitativeLists();
    ASSERT_EQ(lists.categories.size(), 20u);
    EXPECT_EQ(lists.categories[0].substr(0, 8), "Piemonte");

    MapState.AggregationVariable = 0;
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    for (int k = 1; k <= kListed; ++k) ASSERT_EQ(MapValueIndex[size_t(k)], k);
}

// Installing the base at start-up: only when missing, and a newer shipped base replaces an
// installed one, every file of it, only while every installed file is still the shipped one.
TEST(ShippedBaseInstall, NeverOverwritesWhatTheUserChanged) {
    const std::string script = std::string(QV_SOURCE_DIR) + "/scripts/install_base.sh";
    struct Case {
        const char* name;
        void (*change)(const std::string& base);
        bool replaced;
    } cases[] = {
        {"untouched", [](const std::string&) {}, true},
        {"rescaled outlines", [](const std::string& b) { test::WriteBytes(b + "1-zor.dat", "rescaled"); },
         false},
        {"text heights set by the user",
         [](const std::string& b) { test::WriteBytes(b + "car-tres.dat", "h"); }, false},
        {"a base put there by hand", [](const std::string& b) { std::remove((b + "geolar.sha256").c_str()); },
         false},
        {"a base shipped before the list was kept",
         [](const std::string& b) {
             std::remove((b + "geolar.sha256").c_str());
             const std::string sums =
                 "cd " + b + " && sha256sum 1-zor.dat car-tres.dat kel-trad.dat > ../earlier-bases.sha256";
             ASSERT_EQ(std::system(sums.c_str()), 0);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string older = dir.MakeDir("older"), newer = dir.MakeDir("newer");
        for (const char* name : {"1-zor.dat", "car-tres.dat", "kel-trad.dat"}) {
            test::WriteBytes(older + name, std::string("old ") + name);
            test::WriteBytes(newer + name, std::string("new ") + name);
        }
        const std::string base = dir / "geolar/";
        auto install = [&](const std::string& from) {
            return std::system(("bash " + script + " " + from + " " + base).c_str());
        };
        ASSERT_EQ(install(older), 0);
        ASSERT_EQ(ReadBytes(base + "kel-trad.dat"), "old kel-trad.dat");
        ASSERT_EQ(install(older), 0);  // the same base again changes nothing
        test::WriteBytes(base + "dli-poli.dat", "label points of the window");
        c.change(base);
        const std::string before = ReadBytes(base + "1-zor.dat") + ReadBytes(base + "car-tres.dat");
        ASSERT_EQ(install(newer), 0);
        const std::string after = ReadBytes(base + "1-zor.dat") + ReadBytes(base + "car-tres.dat");
        EXPECT_EQ(after, c.replaced ? "new 1-zor.datnew car-tres.dat" : before);
        EXPECT_EQ(ReadBytes(base + "kel-trad.dat"), c.replaced ? "new kel-trad.dat" : "old kel-trad.dat");
        EXPECT_EQ(std::filesystem::exists(base + "dli-poli.dat"), !c.replaced);
    }
}

}  // namespace
}  // namespace qv
