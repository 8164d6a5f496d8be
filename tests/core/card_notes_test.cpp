#include "core/card_notes.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::ToHex;
using test::WriteBytes;

// One record of "not-sch.dat" as the file layout gives it: 100 text bytes padded with zeros,
// then the next record number, little-endian.
std::string Rec(const std::string& piece, uint32_t next) {
    std::string r = piece;
    r.resize(100, '\0');
    for (int i = 0; i < 4; ++i) r.push_back(char((next >> (8 * i)) & 0xFF));
    return r;
}
std::string Header(uint32_t free) {
    return Rec("", free);
}

const std::string A(100, 'a'), B(100, 'b'), C50(50, 'c');

// A card of 50 words (notes head in words 49 and 50) with one text field.
class CardNotesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.MakeDir("p");
        CoreState.ArchiveDir = dir.MakeDir("a");
        CoreState.CardTextBytes = 50;
        CoreState.CardWordCount = 50;
        CoreState.FieldCount = 1;
        FieldTypes[1] = -10;
        FieldTextOffsets[1] = 1;
    }
    std::string Notes() const { return CoreState.ArchiveDir + "not-sch.dat"; }
    std::string Staging() const { return CoreState.ProgramDir + "txt-tab2.imp"; }
    void Save(const std::string& text) {
        WriteBytes(Staging(), text);
        SaveCardNotes();
    }
    std::string Load() {
        LoadCardNotes();
        return ReadBytes(Staging());
    }
    TempDir dir;
};

TEST_F(CardNotesTest, NewChainsInAMissingFile) {
    struct Case {
        const char* name;
        std::string text;
        std::string file;
    } cases[] = {
        {"250 characters", A + B + C50, Header(4) + Rec(A, 2) + Rec(B, 3) + Rec(C50, 0)},
        {"exactly 200 characters: a last piece of the zero byte alone", A + B,
         Header(4) + Rec(A, 2) + Rec(B, 3) + Rec("", 0)},
        {"one character", "x", Header(2) + Rec("x", 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(Notes().c_str());
        SetNotesHead(0);
        Save(c.text);
        EXPECT_EQ(GetNotesHead(), 1);
        EXPECT_EQ(ToHex(ReadBytes(Notes())), ToHex(c.file));
        EXPECT_EQ(Load(), c.text);
    }
}

TEST_F(CardNotesTest, EditingRewritesTheChainInItsOwnOrder) {
    // Card with notes in records 3 -> 1; record 2 belongs to another card.
    WriteBytes(Notes(), Header(4) + Rec(B, 0) + Rec("altra", 0) + Rec(A, 1));
    SetNotesHead(3);
    EXPECT_EQ(Load(), A + B);

    const std::string X(100, 'x'), Y20(20, 'y');
    Save(X + Y20);  // 120 characters: two pieces, the second ends the chain
    EXPECT_EQ(GetNotesHead(), 3);
    EXPECT_EQ(ToHex(ReadBytes(Notes())), ToHex(Header(4) + Rec(Y20, 0) + Rec("altra", 0) + Rec(X, 1)));
    EXPECT_EQ(Load(), X + Y20);

    // Growing past the old chain takes free records at the end.
    Save(X + X + X + Y20);
    EXPECT_EQ(ToHex(ReadBytes(Notes())),
              ToHex(Header(6) + Rec(X, 4) + Rec("altra", 0) + Rec(X, 1) + Rec(X, 5) + Rec(Y20, 0)));
    EXPECT_EQ(Load(), X + X + X + Y20);

    // Shortening to one piece leaves records 1, 4, 5 unused.
    Save("z");
    EXPECT_EQ(ToHex(ReadBytes(Notes())),
              ToHex(Header(6) + Rec(X, 4) + Rec("altra", 0) + Rec("z", 0) + Rec(X, 5) + Rec(Y20, 0)));
}

TEST_F(CardNotesTest, ClearingDropsTheHeadAndLeavesTheFile) {
    const std::string file = Header(4) + Rec(A, 2) + Rec(B, 3) + Rec(C50, 0);
    WriteBytes(Notes(), file);
    SetNotesHead(1);
    Save("");
    EXPECT_EQ(GetNotesHead(), 0);
    EXPECT_EQ(ReadBytes(Notes()), file);
    EXPECT_EQ(Load(), "");
    // A zero byte ends the text.
    SetNotesHead(1);
    Save(std::string("\0abc", 4));
    EXPECT_EQ(GetNotesHead(), 0);
}

TEST_F(CardNotesTest, DamagedChainsAndHeaders) {
    struct Case {
        const char* name;
        std::string file;
        int32_t head;
        std::string loaded;
        std::string saved;  // 250 characters saved on top
        int32_t newHead;
        std::string after;
    } cases[] = {
        {"chain looping back", Header(3) + Rec(A, 2) + Rec(B, 1), 1, A + B, A + B + C50, 1,
         Header(4) + Rec(A, 2) + Rec(B, 3) + Rec(C50, 0)},
        {"chain looping on itself", Header(2) + Rec(A, 1), 1, A, A + C50, 1,
         Header(3) + Rec(A, 2) + Rec(C50, 0)},
        {"link past the end", Header(2) + Rec(A, 99), 1, A, A + C50, 1, Header(3) + Rec(A, 2) + Rec(C50, 0)},
        {"negative link", Header(2) + Rec(A, 0xFFFFFFFF), 1, A, A + C50, 1,
         Header(3) + Rec(A, 2) + Rec(C50, 0)},
        {"head past the end: a new chain", Header(2) + Rec("altra", 0), 7, "", "n", 2,
         Header(3) + Rec("altra", 0) + Rec("n", 0)},
        {"header below the record count", Header(1) + Rec("altra", 0) + Rec("altra", 0), 0, "", "n", 3,
         Header(4) + Rec("altra", 0) + Rec("altra", 0) + Rec("n", 0)},
        {"header zero", Header(0) + Rec("altra", 0), 0, "", "n", 2,
         Header(3) + Rec("altra", 0) + Rec("n", 0)},
        {"header negative", Header(0xFFFFFFF6) + Rec("altra", 0), 0, "", "n", 2,
         Header(3) + Rec("altra", 0) + Rec("n", 0)},
        {"header far past the end", Header(1000000) + Rec("altra", 0), 0, "", "n", 2,
         Header(3) + Rec("altra", 0) + Rec("n", 0)},
        {"empty file", "", 0, "", "n", 1, Header(2) + Rec("n", 0)},
        {"piece without zero byte", Header(2) + Rec(A, 0), 1, A, "m", 1, Header(2) + Rec("m", 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(Notes(), c.file);
        SetNotesHead(c.head);
        EXPECT_EQ(Load(), c.loaded);
        Save(c.saved);
        EXPECT_EQ(GetNotesHead(), c.newHead);
        EXPECT_EQ(ToHex(ReadBytes(Notes())), ToHex(c.after));
    }
}

TEST_F(CardNotesTest, MissingFileLoadsEmptyAndLongTextIsCut) {
    SetNotesHead(5);
    EXPECT_EQ(Load(), "");
    SetNotesHead(0);
    Save(std::string(30050, 'q'));
    EXPECT_EQ(ReadBytes(Notes()).size(), 104u * 302);  // header, 300 full pieces, the zero byte
    EXPECT_EQ(Load(), std::string(30000, 'q'));
}

TEST_F(CardNotesTest, NotesOnABlankNewCardAreStoredWithIt) {
    WriteBytes(CoreState.ArchiveDir + "alf-sch.dat", "");
    WriteBytes(CoreState.ArchiveDir + "num-sch.dat", "");
    WriteBytes(CoreState.ArchiveDir + "dli-sch.dat", std::string("\xFF\xFF\xFF\xFF", 4));
    CoreState.LastCard = -1;
    CoreState.CurrentCard = 0;
    CoreState.WriteAccess = 1;
    CoreState.CardWindowMode = 1;
    ClearCardFields(1, 1);
    ASSERT_FALSE(CardHasData());

    Save("nota");
    SaveCurrentCard();
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "dli-sch.dat"), std::string(4, '\0'));
    // Words 49 and 50 hold 1 as two bit-reversed halves: 0x0000, 0x8000.
    const std::string values = ReadBytes(CoreState.ArchiveDir + "num-sch.dat");
    ASSERT_EQ(values.size(), 100u);
    EXPECT_EQ(ToHex(values.substr(96)), ToHex(std::string("\0\0\0\x80", 4)));
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "alf-sch.dat"), std::string(50, '\0'));
}

TEST_F(CardNotesTest, UnwritableNotesFileRaises) {
    CoreState.ArchiveDir = dir.Path() + "missing/";
    WriteBytes(Staging(), "testo");
    EXPECT_THROW(SaveCardNotes(), IoError);
    EXPECT_EQ(GetNotesHead(), 0);
}

}  // namespace
}  // namespace qv
