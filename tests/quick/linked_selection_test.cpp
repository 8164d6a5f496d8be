#include "quick/linked_selection.h"

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "core/selection_files.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// A link line: a 37-character label, then the value.
std::string LinkLine(const std::string& value) {
    return std::string(37, '.') + value + "\r\n";
}
std::string LinkBlock(const std::string& position, const std::string& name) {
    return LinkLine(position) + LinkLine(name) + LinkLine("ENTI") + LinkLine("100") + LinkLine("50") +
           LinkLine("1-10") + LinkLine("11-20") + "******\r\n";
}

// Cards 0..6; the key file of link 1 was prepared when card 6 did not exist yet.
//   card  0  1  2  3   4      5  6
//   key   3  1  3  -1  32000  2  (none)
// Selected: 0, 1, 3, 4, 6 (byte 0 = 11011010).
class LinkedSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = CoreState.ArchiveDir = dir.Path();
        CoreState.StationNumber = "000";
        CoreState.LastCard = 6;
        WriteBytes(dir / "lnk-dat.1", Hex("03 00 01 00 03 00 FF FF 00 7D 02 00"));
        WriteBytes(dir / "ll-dat.1", "Ente A;x;\r\nEnte B;y;\r\nEnte C;z;\r\n");
        CardSelectionMask[0] = 0xDA;
        WriteBytes(dir / "Selezio.000", "Tutte le schede\r\n");
    }
    void TearDown() override { ResetProgramState(); }
    static std::string MaskHead() {
        return std::string(reinterpret_cast<const char*>(CardSelectionMask.data()), 2);
    }
    std::string Log() const { return ReadBytes(dir / "Selezio.000"); }
    TempDir dir;
};

TEST_F(LinkedSelectionTest, LinksAreListedAsThePreparationNumbersThem) {
    EXPECT_FALSE(ReadLinkNames());
    // The second block has no key position: it gets no files, so the third is link 2.
    WriteBytes(dir / "lnk-dat.imp", LinkBlock("7", "Enti") + LinkBlock(" ", "Scuole") +
                                        LinkBlock("9", "Comuni") + LinkLine("12") + LinkLine("Incompleto"));
    EXPECT_EQ(ReadLinkNames(), (std::vector<std::string>{"Enti", "Comuni"}));
}

TEST_F(LinkedSelectionTest, CollectsTheLinkedCardsOfTheSelection) {
    const LinkedCards linked = CollectLinkedCards(1);
    // Keys -1 and 32000 name no linked card; card 6 has no key at all.
    EXPECT_EQ(linked.Keys, (std::vector<int16_t>{1, 3}));
    EXPECT_EQ(linked.Lines, (std::vector<std::string>{"Ente A;x;", "Ente C;z;"}));
    EXPECT_EQ(linked.SelectedCards, 5);

    // A key beyond the name file is not listed.
    WriteBytes(dir / "ll-dat.1", "Ente A;x;\r\n");
    EXPECT_EQ(CollectLinkedCards(1).Keys, (std::vector<int16_t>{1}));

    CardSelectionMask[0] = 0x10;  // card 3 alone, key -1
    const LinkedCards none = CollectLinkedCards(1);
    EXPECT_TRUE(none.Lines.empty());
    EXPECT_EQ(none.SelectedCards, 1);

    EXPECT_THROW(CollectLinkedCards(2), IoError);
    RemoveFile(dir / "ll-dat.1");
    EXPECT_THROW(CollectLinkedCards(1), IoError);
}

TEST_F(LinkedSelectionTest, ClicksNarrowAndTheSnapshotBringsBackTheStart) {
    SaveSelectionSnapshot();
    EXPECT_EQ(ReadBytes(dir / "trx-dat.dat"), std::string("\xDA") + std::string(65500, '\0'));
    EXPECT_EQ(ReadBytes(dir / "txt-tre2.imp"), "Tutte le schede\r\n");

    struct Step {
        int key;
        const char* entry;
        std::string mask;
        std::string log;
    } steps[] = {
        // Cards 0 and 2 point to key 3; card 2 was not selected.
        {3, "Ente C;z;", Hex("80 00"), "Tutte le schede\r\nEnte C;z;\r\n"},
        // A second click narrows the narrowed selection.
        {1, "Ente A;x;", Hex("00 00"), "Tutte le schede\r\nEnte C;z;\r\nEnte A;x;\r\n"},
    };
    for (const Step& s : steps) {
        SelectByLinkedCard(1, s.key, s.entry);
        EXPECT_EQ(MaskHead(), s.mask) << s.entry;
        EXPECT_EQ(Log(), s.log) << s.entry;
    }

    RestoreSelectionSnapshot();
    EXPECT_EQ(MaskHead(), Hex("DA 00"));
    EXPECT_EQ(Log(), "Tutte le schede\r\n");

    // Card 4 holds 32000, which is no key: nothing is kept.
    SelectByLinkedCard(1, 32000, "Fuori");
    EXPECT_EQ(MaskHead(), Hex("00 00"));
}

TEST_F(LinkedSelectionTest, FailuresChangeNothing) {
    EXPECT_THROW(SelectByLinkedCard(2, 3, "Ente C;z;"), IoError);
    RemoveFile(dir / "Selezio.000");
    EXPECT_THROW(SelectByLinkedCard(1, 3, "Ente C;z;"), IoError);
    EXPECT_EQ(MaskHead(), Hex("DA 00"));

    // A missing log is kept as an empty one.
    SaveSelectionSnapshot();
    EXPECT_EQ(ReadBytes(dir / "txt-tre2.imp"), "");

    WriteBytes(dir / "Selezio.000", "Dopo\r\n");
    CardSelectionMask[0] = 0x01;
    WriteBytes(dir / "trx-dat.dat", std::string(100, '\xFF'));
    EXPECT_THROW(RestoreSelectionSnapshot(), IoError);
    RemoveFile(dir / "trx-dat.dat");
    EXPECT_THROW(RestoreSelectionSnapshot(), IoError);
    EXPECT_EQ(MaskHead(), Hex("01 00"));
    EXPECT_EQ(Log(), "Dopo\r\n");
}

}  // namespace
}  // namespace qv
