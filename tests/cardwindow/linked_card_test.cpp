#include "cardwindow/linked_card.h"

#include <gtest/gtest.h>

#include "cardwindow/field_commit.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

constexpr uint16_t kSentinel = 7;

// The linked archive holds three cards of 100 text bytes and 100 words: every text byte of
// card k is the digit k, word w (from 0) of card k is k * 1000 + w.
class LinkedCard : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        linkedDir = dir.MakeDir("linked");
        CoreState.ArchiveDir = dir.Path();
        test::LayOutFields({{0, 1}, {4, 2}});
        FieldLastLabel[1] = 4;
        std::string text, words;
        for (int k = 1; k <= 3; ++k) {
            text += std::string(100, char('0' + k));
            for (int w = 0; w < 100; ++w) AppendU16(words, uint16_t(k * 1000 + w));
        }
        WriteBytes(linkedDir + "alf-sch.dat", text);
        WriteBytes(linkedDir + "num-sch.dat", words);
        WriteLink(20, 5);
        CurrentCardText.fill('#');
        CurrentCardValues.fill(kSentinel);
    }
    void WriteLink(int textBytes, int wordCount) {
        WriteBytes(dir / "lnk-sch.dat",
                   "Archivio: " + linkedDir + "\r\nParole:   100\r\nTesto:    100\r\nCopiaTes: " +
                       std::to_string(textBytes) + "\r\nCopiaNum: " + std::to_string(wordCount) + "\r\n");
    }
    std::string Text(int from, int count) {
        return std::string(reinterpret_cast<const char*>(&CurrentCardText[from]), count);
    }
    TempDir dir;
    std::string linkedDir;
};

TEST_F(LinkedCard, CopiesTheGivenBytesAndWords) {
    CurrentCardValues[1] = 2;
    ImportLinkedCard();
    EXPECT_EQ(Text(1, 21), std::string(20, '2') + "#");
    EXPECT_EQ(CurrentCardValues[1], 2);  // the first word stays: the linked card's goes to word 2
    for (int w = 2; w <= 6; ++w) EXPECT_EQ(CurrentCardValues[w], 2000 + w - 2) << w;
    EXPECT_EQ(CurrentCardValues[7], kSentinel);
    EXPECT_EQ(CoreState.OtherArchiveDir, linkedDir);
    EXPECT_EQ(CoreState.FirstCardWord, 2);
}

TEST_F(LinkedCard, CountsStopAtTheCardAndItsNotesHead) {
    WriteLink(80, 60);
    CurrentCardValues[1] = 1;
    ImportLinkedCard();
    EXPECT_EQ(Text(1, 50), std::string(50, '1'));
    EXPECT_EQ(CurrentCardText[51], '#');
    EXPECT_EQ(CurrentCardValues[48], 1000 + 46);
    // Words 49 and 50 hold this card's notes head in this archive.
    EXPECT_EQ(CurrentCardValues[49], kSentinel);
    EXPECT_EQ(CurrentCardValues[50], kSentinel);
}

TEST_F(LinkedCard, CardsOutsideTheLinkedArchive) {
    // Past the end of the linked files nothing is copied.
    CurrentCardValues[1] = 4;
    ImportLinkedCard();
    EXPECT_EQ(Text(1, 2), "##");
    EXPECT_EQ(CurrentCardValues[2], kSentinel);
    EXPECT_EQ(CoreState.FirstCardWord, 4);
    // Card 0 and negative numbers name no card.
    for (uint16_t first : {uint16_t(0), uint16_t(0xFFFF)}) {
        CurrentCardValues[1] = first;
        ImportLinkedCard();
        EXPECT_EQ(Text(1, 2), "##");
        EXPECT_EQ(CoreState.FirstCardWord, first);
    }
    // A linked card cut short: the words it has.
    std::string words;
    for (int w = 0; w < 203; ++w) AppendU16(words, uint16_t(w));
    WriteBytes(linkedDir + "num-sch.dat", words);
    CurrentCardValues[1] = 3;
    ImportLinkedCard();
    EXPECT_EQ(CurrentCardValues[2], 200);
    EXPECT_EQ(CurrentCardValues[4], 202);
    EXPECT_EQ(CurrentCardValues[5], kSentinel);
}

TEST_F(LinkedCard, MissingFilesRaiseAndKeepWhatWasCopied) {
    CurrentCardValues[1] = 2;
    RemoveFile(linkedDir + "num-sch.dat");
    EXPECT_THROW(ImportLinkedCard(), IoError);
    EXPECT_EQ(Text(1, 2), "22");
    EXPECT_EQ(CurrentCardValues[2], kSentinel);
    RemoveFile(dir / "lnk-sch.dat");
    EXPECT_THROW(ImportLinkedCard(), IoError);
}

TEST_F(LinkedCard, ChangingFieldOneBringsTheLinkedCard) {
    CoreState.HasLinkedArchives = 1;
    CoreState.FirstCardWord = 0;
    CommitContext context;
    context.mode = 1;
    EXPECT_TRUE(CommitField(1, "2", context).linked);
    EXPECT_EQ(CurrentCardValues[1], 2);
    EXPECT_EQ(CurrentCardValues[2], 2000);
    EXPECT_EQ(Text(1, 1), "2");
    // The same first word again: nothing is brought in.
    CurrentCardValues[2] = kSentinel;
    EXPECT_FALSE(CommitField(1, "2", context).linked);
    EXPECT_EQ(CurrentCardValues[2], kSentinel);
    // Another field does not bring it in either, in any mode; field 1 does in every mode.
    CurrentCardValues[1] = 3;
    EXPECT_FALSE(CommitField(2, "5", context).linked);
    context.mode = 12;
    EXPECT_TRUE(CommitField(1, "", context).linked);
    EXPECT_EQ(CurrentCardValues[2], 3000);
    // Without a linked archive nothing happens.
    CoreState.HasLinkedArchives = 0;
    CurrentCardValues[1] = 1;
    EXPECT_FALSE(CommitField(1, "", context).linked);
}

}  // namespace
}  // namespace qv
