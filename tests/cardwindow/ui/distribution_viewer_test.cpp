// The distribution view of the selection mode on the sample archive: a collective selection,
// then the report of a field shown in the text viewer.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/register_all.h"
#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/field_format.h"
#include "core/selection_files.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/thelp.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "platform/ui/dialogs.h"
#include "selection/collective_selection.h"
#include "support/card_window.h"
#include "support/program_dir.h"
#include "support/sample_fields.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;
constexpr int kStatisticsMark = 32;

class DistributionViewerTest : public ::testing::Test, public DialogScript {
  protected:
    void SetUp() override {
        StartProgram();
        RegisterAllDialogs();
        Install();
    }
    void TearDown() override { test::StopCardWindowProgram(); }
    // A first search with the split by sex; women only when `womenOnly`.
    static void Select(bool womenOnly) {
        ClearSearchCriteria();
        if (womenOnly) {
            FieldInCondition[kSex] = 1;
            CategoryWanted[size_t(FieldFirstCategory[kSex] + 1)] = 1;
        }
        for (int f : {kMarital, kComune}) FieldAttributes[size_t(f)] |= kStatisticsMark;
        CoreState.SplitField = kSex;
        CoreState.SplitCategoryCount = 2;
        NoProgress progress;
        RunCollectiveSelection(kFirstSearch, progress);
    }
    static std::string Trimmed(const std::string& s) {
        const size_t end = s.find_last_not_of(' ');
        return end == std::string::npos ? "" : s.substr(0, end + 1);
    }
    static long Column(const std::string& line, size_t at) { return std::stol(line.substr(at, 10)); }
    static double Percent(const std::string& line, size_t at) { return std::stod(line.substr(at, 10)); }

    ProgramRoot root;
};

TEST_F(DistributionViewerTest, CategoriesSplitBySexOverTheWholeArchive) {
    // Counted here card by card: [marital code][0 all, 1 men, 2 women].
    std::map<int, std::array<long, 3>> counts;
    std::array<long, 3> totals{};
    for (int32_t n = 0; n <= CoreState.LastCard; ++n) {
        CoreState.CurrentCard = n;
        ReadCardValues();
        const int sex = GetCardWord(kSex);
        const int marital = GetCardWord(kMarital);
        ++totals[0];
        if (sex == 1 || sex == 2) ++totals[size_t(sex)];
        if (marital < 1) continue;
        ++counts[marital][0];
        if (sex == 1 || sex == 2) ++counts[marital][size_t(sex)];
    }
    ASSERT_GE(counts.size(), 3u);
    Select(false);

    CoreState.CurrentField = kMarital;
    CoreState.CommandCode = 1;
    ASSERT_TRUE(OpenCardDialog(CardDialog::DistributionView, nullptr));
    EXPECT_EQ(viewed, std::vector<int>{0});
    ASSERT_EQ(viewerLines.size(), 1u);
    const std::vector<std::string>& lines = viewerLines[0];
    ASSERT_EQ(lines.size(), 2 + counts.size() + 3);
    EXPECT_EQ(Trimmed(lines[0]), std::string(60, ' ') + "Testo 33" + "   maschio   femmina");
    size_t row = 2;
    for (const auto& [code, count] : counts) {
        const std::string& line = lines[row++];
        EXPECT_EQ(Trimmed(line.substr(0, 60)), CategoryLabel(kMarital, code, CategoryOutOfRange::Empty));
        for (size_t t = 0; t < 3; ++t) {
            EXPECT_EQ(Column(line, 60 + 10 * t), count[t]) << line;
            EXPECT_NEAR(Percent(line, 90 + 10 * t), 100.0 * double(count[t]) / double(totals[t]), 0.005)
                << line;
        }
        EXPECT_EQ(line.substr(120), "%");
    }
    const std::string& sums = lines.back();
    for (size_t t = 0; t < 3; ++t) EXPECT_EQ(Column(sums, 60 + 10 * t), totals[t]);
}

TEST_F(DistributionViewerTest, MissingProvinceStartsOpenNoViewer) {
    Select(true);
    std::remove((root / "ini-prov.imp").c_str());
    CoreState.CurrentField = kComune;
    EXPECT_THROW(OpenCardDialog(CardDialog::DistributionView, nullptr), IoError);
    EXPECT_TRUE(viewed.empty());
}

}  // namespace
}  // namespace qv
