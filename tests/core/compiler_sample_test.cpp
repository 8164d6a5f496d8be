// The sample archive "Pianalto" as the build ships it in its program directory.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>

#include "core/archive_open.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "support/program_dir.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

const std::string kBuiltSample = std::string(QV_BINARY_DIR) + "/progdir/Pianalto/";
const std::string kComuniNames = std::string(QV_SOURCE_DIR) + "/data/progdir/cmn-zor2.dat";

class SampleArchive : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(kBuiltSample + "morvidex.dat"))
            << "build the target sample_archive";
        ResetProgramState();
        // A fresh program directory holding the shipped sample, and a last archive without a
        // descriptor: opening falls back to the sample.
        CoreState.ProgramDir = tmp.MakeDir("quorvanta.tv");
        std::filesystem::copy(kBuiltSample, CoreState.ProgramDir + "Pianalto");
        CoreState.StationNumber = "000";
        test::InstallShippedTexts();  // the fallback is told
        CoreState.ArchiveDir = tmp.MakeDir("gone");
        OpenArchive();
    }

    test::TempDir tmp;
};

TEST_F(SampleArchive, OpensWithEveryFieldKindOnTwoPages) {
    EXPECT_EQ(CoreState.ArchiveDir, CoreState.ProgramDir + "Pianalto/");
    EXPECT_EQ(ArchiveReadOnlyReason(), "");
    std::set<int> kinds;
    for (int f = 1; f <= CoreState.FieldCount; ++f) kinds.insert(FieldTypes[f] < 0 ? -1 : FieldTypes[f]);
    EXPECT_EQ(kinds, (std::set<int>{-1, 0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_GE(CoreState.PageCount, 2);
    EXPECT_GE(LayoutPage[CoreState.FieldCount], 2);
    std::set<std::array<int16_t, 9>> styles(CardTextStyles.begin() + 1, CardTextStyles.end());
    styles.erase(std::array<int16_t, 9>{257, 257, 257, 257, 257, 257, 257, 257, 257});
    EXPECT_GE(styles.size(), 2u);
    EXPECT_GE(CoreState.LastCard + 1, 200);
    EXPECT_LE(CoreState.LastCard + 1, 1000);
}

TEST_F(SampleArchive, CardsHoldPlausibleValues) {
    const auto names = TryReadFile(kComuniNames);
    ASSERT_TRUE(names) << kComuniNames;
    std::set<int> comuni;
    for (int32_t card = 0; card <= CoreState.LastCard; ++card) {
        CoreState.CurrentCard = card;
        ReadCardText();
        ReadCardValues();
        ASSERT_TRUE(CardHasData()) << card;
        EXPECT_NE(CurrentCardText[FieldTextOffsets[1]], 0) << card;  // everyone has a name
        for (int f = 1; f <= CoreState.FieldCount; ++f) {
            const int p = FieldPositions[f];
            const int type = FieldTypes[f];
            if (type == 0 || type == 1) {
                EXPECT_LE(CurrentCardValues[p], FieldLastLabel[f] - FieldFirstLabel[f] + 1)
                    << card << " " << f;
            } else if (type == 2) {
                EXPECT_TRUE(CurrentCardValues[p] >= 1 && CurrentCardValues[p] <= 31) << card;
                EXPECT_TRUE(CurrentCardValues[p + 1] >= 1 && CurrentCardValues[p + 1] <= 12) << card;
            } else if (type == 3) {
                comuni.insert(CurrentCardValues[p]);
            }
        }
    }
    EXPECT_GE(comuni.size(), 10u);
    for (int code : comuni) {
        ASSERT_TRUE(code >= 1 && code <= 8101) << code;
        const size_t at = size_t(code - 1) * 38;
        ASSERT_LE(at + 38, names->size());
        EXPECT_GT(uint8_t((*names)[at]), 0) << "code " << code << " has no name";
    }
}

}  // namespace
}  // namespace qv
