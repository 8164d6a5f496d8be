#include "cardwindow/shared_archive.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/io_faults.h"
#include "support/program_dir.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Cards of 50 text bytes and 50 words (one record each). The local archive holds cards 0..4;
// its notes: card 1 in record 1, card 3 in records 7 then 2, card 4 in record 5.
std::string CardText(char first, int card) {
    return std::string(50, char(first + card));
}

// Words 1..48 of card c are c * 100 + w; words 49 and 50 the notes head as stored: high half
// first, each half bit-reversed (a head below 65536 is 0 and its low half reversed).
std::string CardWords(int card, uint16_t reversedHead) {
    std::string out;
    for (int w = 1; w <= 48; ++w) AppendU16(out, uint16_t(card * 100 + w));
    AppendU16(out, 0);
    AppendU16(out, reversedHead);
    return out;
}

std::string NotesRecord(const std::string& text, int32_t next) {
    std::string out = text;
    out.resize(100, '\0');
    AppendI32(out, next);
    return out;
}

// Bit-reversed low halves of the heads used here.
constexpr uint16_t kHead1 = 0x8000, kHead3 = 0xC000, kHead4 = 0x2000, kHead5 = 0xA000, kHead7 = 0xE000;

class SharedArchive : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        local = dir.MakeDir("locale");
        shared = dir.MakeDir("comune");
        CoreState.ArchiveDir = local;
        CoreState.CardWordCount = 50;
        CoreState.CardTextBytes = 50;
        CoreState.FieldCount = 1;
        WriteBytes(local + "inf-serv.imp", shared.substr(0, shared.size() - 1) + "\\\r\n");
        const uint16_t heads[] = {0, kHead1, 0, kHead7, kHead5};
        std::string text, words;
        for (int c = 0; c <= 4; ++c) {
            text += CardText('a', c);
            words += CardWords(c, heads[c]);
        }
        WriteBytes(local + "alf-sch.dat", text);
        WriteBytes(local + "num-sch.dat", words);
        WriteBytes(local + "dli-sch.dat", Int32s({4}));
        WriteBytes(local + "not-sch.dat",
                   NotesRecord("", 8) + NotesRecord("uno", 0) + NotesRecord("tre-b", 0) +
                       NotesRecord("vecchio", 0) + NotesRecord("vecchio", 0) + NotesRecord("quattro", 0) +
                       NotesRecord("vecchio", 0) + NotesRecord(std::string(100, 't'), 2));
    }

    // The shared archive this one began as a copy of, holding this archive's cards 0..last
    // (card 0 with notes of its own in records 1 and 2), then `others` cards other stations
    // added (texts of 'A').
    void MakeShared(int32_t last, int others = 0) {
        std::string text, words;
        for (int c = 0; c <= last + others; ++c) {
            text += c <= last ? CardText('a', c) : CardText('A', c);
            words += CardWords(c <= last ? c : 50 + c, c == 0 ? kHead1 : 0);
        }
        WriteBytes(shared + "alf-sch.dat", text);
        WriteBytes(shared + "num-sch.dat", words);
        WriteBytes(shared + "dli-sch.dat", Int32s({last + others}));
        WriteBytes(shared + "not-sch.dat",
                   NotesRecord("", 3) + NotesRecord("comune", 2) + NotesRecord("due", 0));
    }
    // Another station stores a card of text `c` in the shared archive.
    void OtherStationAdds(char c) {
        CardRecords card{CardGeometry{50, 50}};
        std::vector<uint16_t> words(50, 7);
        words[48] = words[49] = 0;
        card.Add(reinterpret_cast<const uint8_t*>(std::string(50, c).data()), words.data());
        CardFiles::InDirectory(shared, card.geometry).AppendCards(card);
    }
    // Copied when the shared archive held cards 0..2 and X; then 3 and 4 were added here, Y
    // by another station.
    void CopiedThenAddedOnBothSides() {
        RemoveFile(local + "inv-serv.dat");
        MakeShared(2);
        OtherStationAdds('X');
        WriteBytes(local + "dli-sch.dat", Int32s({2}));
        SyncToServerArchive();
        WriteBytes(local + "dli-sch.dat", Int32s({4}));
        OtherStationAdds('Y');
    }
    // The first byte of each shared card's text, for the cards the shared index counts.
    std::string SharedCards() {
        const int32_t last =
            GetI32(reinterpret_cast<const uint8_t*>(ReadBytes(shared + "dli-sch.dat").data()));
        std::string firsts;
        for (int c = 0; c <= last; ++c) firsts += SharedCardText(c)[0];
        return firsts;
    }

    std::string SharedCardText(int card) {
        return ReadBytes(shared + "alf-sch.dat").substr(size_t(card) * 50, 50);
    }
    std::string SharedCardWords(int card) {
        return ReadBytes(shared + "num-sch.dat").substr(size_t(card) * 100, 100);
    }

    TempDir dir;
    std::string local, shared;
};

TEST_F(SharedArchive, CopiesTheCardsAboveTheSharedLastCard) {
    MakeShared(2);
    const std::string before = ReadBytes(shared + "alf-sch.dat");
    ASSERT_TRUE(SharedArchiveConfigured());
    const SyncResult r = SyncToServerArchive();
    EXPECT_EQ(r.outcome, SyncOutcome::Copied);
    EXPECT_EQ(r.sharedLast, 2);
    EXPECT_EQ(r.localLast, 4);
    EXPECT_EQ(r.copied, 2);
    EXPECT_EQ(CoreState.OtherArchiveDir, shared);
    EXPECT_EQ(ReadBytes(shared + "dli-sch.dat"), Int32s({4}));
    EXPECT_EQ(ReadBytes(shared + "alf-sch.dat"), before + CardText('a', 3) + CardText('a', 4));
    EXPECT_EQ(SharedCardWords(2), CardWords(2, 0));
    // Card 3's two pieces go to the first free records 3 and 4, card 4's piece to record 5.
    EXPECT_EQ(ToHex(SharedCardWords(3)), ToHex(CardWords(3, kHead3)));
    EXPECT_EQ(ToHex(SharedCardWords(4)), ToHex(CardWords(4, kHead5)));
    EXPECT_EQ(
        ToHex(ReadBytes(shared + "not-sch.dat")),
        ToHex(NotesRecord("", 6) + NotesRecord("comune", 2) + NotesRecord("due", 0) +
              NotesRecord(std::string(100, 't'), 4) + NotesRecord("tre-b", 0) + NotesRecord("quattro", 0)));
}

TEST_F(SharedArchive, EmptySharedArchiveReceivesEveryCard) {
    WriteBytes(shared + "dli-sch.dat", Int32s({-1}));
    const SyncResult r = SyncToServerArchive();
    EXPECT_EQ(r.outcome, SyncOutcome::Copied);
    EXPECT_EQ(r.sharedLast, -1);
    EXPECT_EQ(ReadBytes(shared + "dli-sch.dat"), Int32s({4}));
    EXPECT_EQ(ReadBytes(shared + "alf-sch.dat"), ReadBytes(local + "alf-sch.dat"));
    // A new notes file: header, then card 1's piece, card 3's two, card 4's one.
    EXPECT_EQ(ToHex(ReadBytes(shared + "not-sch.dat")),
              ToHex(NotesRecord("", 5) + NotesRecord("uno", 0) + NotesRecord(std::string(100, 't'), 3) +
                    NotesRecord("tre-b", 0) + NotesRecord("quattro", 0)));
    const uint16_t heads[] = {0, kHead1, 0, 0x4000 /* 2 */, kHead4};
    for (int c = 0; c <= 4; ++c) EXPECT_EQ(ToHex(SharedCardWords(c)), ToHex(CardWords(c, heads[c]))) << c;
}

TEST_F(SharedArchive, EqualOrMoreCardsCopyNothing) {
    // The same cards, or more that other stations added: none of this station's is new.
    for (int others : {0, 2}) {
        MakeShared(4, others);
        const std::string text = ReadBytes(shared + "alf-sch.dat"), words = ReadBytes(shared + "num-sch.dat"),
                          notes = ReadBytes(shared + "not-sch.dat");
        const SyncResult r = SyncToServerArchive();
        EXPECT_EQ(r.outcome, SyncOutcome::NothingToCopy);
        EXPECT_EQ(r.sharedLast, 4 + others);
        EXPECT_EQ(r.localLast, 4);
        EXPECT_EQ(ReadBytes(shared + "dli-sch.dat"), Int32s({4 + others}));
        EXPECT_EQ(ReadBytes(shared + "alf-sch.dat"), text);
        EXPECT_EQ(ReadBytes(shared + "num-sch.dat"), words);
        EXPECT_EQ(ReadBytes(shared + "not-sch.dat"), notes);
    }
}

TEST_F(SharedArchive, CardsAddedOnBothSidesArriveOnceAfterTheOthers) {
    // Copied when both held cards 0..2; then two cards come from other stations, two from here.
    WriteBytes(local + "dli-sch.dat", Int32s({2}));
    MakeShared(2);
    EXPECT_EQ(SyncToServerArchive().outcome, SyncOutcome::NothingToCopy);
    WriteBytes(local + "dli-sch.dat", Int32s({4}));
    OtherStationAdds('X');
    OtherStationAdds('Y');
    struct Step {
        const char* what;
        bool edit;    // the card handed over last was edited here first
        bool forget;  // a replacing import voided the record first
        SyncOutcome outcome;
        int32_t copied, inQuestion;
        std::string cards;  // first text byte of every shared card after the step
    } steps[] = {
        {"both sides added", false, false, SyncOutcome::Copied, 2, 0, "abcXYde"},
        {"edited here", true, false, SyncOutcome::NothingToCopy, 0, 0, "abcXYde"},
        // Without the record, local card 4 is not shared card 4: cards 3 and 4 are in question.
        {"record voided", false, true, SyncOutcome::CannotTell, 0, 2, "abcXYde"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.edit)
            WriteBytes(local + "alf-sch.dat",
                       ReadBytes(local + "alf-sch.dat").substr(0, 4 * 50) + CardText('E', 0));
        if (step.forget) {
            CrashSafeArchiveReplacement job(local);
            ForgetSharedCopy(job);
            job.Commit();
        }
        const std::string notes = ReadBytes(shared + "not-sch.dat");
        const SyncResult r = SyncToServerArchive();
        EXPECT_EQ(r.outcome, step.outcome);
        EXPECT_EQ(r.copied, step.copied);
        EXPECT_EQ(r.inQuestion, step.inQuestion);
        EXPECT_EQ(SharedCards(), step.cards);
        // Notes are only ever appended: unchanged notes mean nothing was written.
        if (r.copied == 0) {
            EXPECT_EQ(ReadBytes(shared + "not-sch.dat"), notes);
        }
    }
    EXPECT_EQ(ToHex(SharedCardWords(6)), ToHex(CardWords(4, kHead5)));
    EXPECT_FALSE(FileExists(local + "inv-serv.dat"));
}

TEST_F(SharedArchive, NoSharedIndexTouchesNothing) {
    EXPECT_EQ(SyncToServerArchive().outcome, SyncOutcome::NoSharedArchive);
    EXPECT_FALSE(FileExists(shared + "dli-sch.dat"));
    EXPECT_FALSE(FileExists(shared + "alf-sch.dat"));
    EXPECT_FALSE(FileExists(shared + "not-sch.dat"));
    // An empty first line names no directory.
    WriteBytes(local + "inf-serv.imp", "\r\n");
    EXPECT_EQ(SyncToServerArchive().outcome, SyncOutcome::NoSharedArchive);
    // A link that fails to open is no missing one: leaving would skip the copy without a word.
    FailIoCallForTest(IoCall::Open, 1, EIO);
    EXPECT_THROW(SharedArchiveConfigured(), IoError);
    ResetIoFaultsForTest();
    RemoveFile(local + "inf-serv.imp");
    EXPECT_FALSE(SharedArchiveConfigured());
    EXPECT_THROW(SyncToServerArchive(), IoError);
}

TEST_F(SharedArchive, BrokenNotesChainsEndWhereTheyBreak) {
    // Card 3's chain loops from record 7 to itself; card 4's head lies past the file.
    std::string notes = ReadBytes(local + "not-sch.dat");
    notes.replace(7 * 104, 104, NotesRecord("giro", 7));
    WriteBytes(local + "not-sch.dat", notes);
    std::string words = ReadBytes(local + "num-sch.dat");
    words.replace(4 * 100, 100, CardWords(4, 0x1000 /* 8 */));
    WriteBytes(local + "num-sch.dat", words);
    MakeShared(2);
    SyncToServerArchive();
    EXPECT_EQ(ToHex(SharedCardWords(3)), ToHex(CardWords(3, kHead3)));
    EXPECT_EQ(ToHex(SharedCardWords(4)), ToHex(CardWords(4, 0)));
    EXPECT_EQ(ReadBytes(shared + "not-sch.dat").substr(0, 104), NotesRecord("", 4));
    EXPECT_EQ(ReadBytes(shared + "not-sch.dat").substr(3 * 104), NotesRecord("giro", 0));
    // Without a local notes file no head points anywhere.
    RemoveFile(local + "not-sch.dat");
    WriteBytes(shared + "dli-sch.dat", Int32s({2}));
    SyncToServerArchive();
    EXPECT_EQ(ToHex(SharedCardWords(3)), ToHex(CardWords(3, 0)));
}

TEST_F(SharedArchive, DamagedLocalFilesLeaveTheSharedIndex) {
    MakeShared(2);
    WriteBytes(local + "alf-sch.dat", ReadBytes(local + "alf-sch.dat").substr(0, 4 * 50));
    EXPECT_THROW(SyncToServerArchive(), IoError);
    EXPECT_EQ(ReadBytes(shared + "dli-sch.dat"), Int32s({2}));
}

TEST_F(SharedArchive, AFailedCopyIsNeverLostNorDoubled) {
    // The copy fails at each point and is run again. With a record: cards 3 and 4 are new here,
    // X and Y from other stations, and another station stores Z before the second run. Without
    // one (the first copy of an archive begun as the shared one's copy) the comparison reads
    // cards, and a read error there is told as such, not as "cannot tell".
    struct Start {
        const char* what;
        bool recorded;
        std::string sharedBefore, sharedAfter;
    } starts[] = {{"record", true, "abcXY", "abcXYde"}, {"no record", false, "abc", "abcde"}};
    for (const Start& start : starts) {
        SCOPED_TRACE(start.what);
        std::string text, words, notes;
        const auto reset = [&] {
            if (start.recorded) {
                CopiedThenAddedOnBothSides();
            } else {
                RemoveFile(local + "inv-serv.dat");
                MakeShared(2);
            }
            text = ReadBytes(shared + "alf-sch.dat");
            words = ReadBytes(shared + "num-sch.dat");
            notes = ReadBytes(shared + "not-sch.dat");
        };
        test::ForEachIoFault(
            reset, [] { SyncToServerArchive(); },
            [&](const std::string&) {
                // The shared cards and notes stay; the index counts all or none of the copy.
                EXPECT_EQ(ReadBytes(shared + "alf-sch.dat").substr(0, text.size()), text);
                EXPECT_EQ(ReadBytes(shared + "num-sch.dat").substr(0, words.size()), words);
                EXPECT_EQ(ReadBytes(shared + "not-sch.dat").substr(104, 2 * 104), notes.substr(104, 2 * 104));
                const std::string before = SharedCards();
                EXPECT_TRUE(before == start.sharedBefore || before == start.sharedAfter) << before;
                std::string after = start.sharedAfter;
                if (start.recorded) {
                    OtherStationAdds('Z');
                    after = before == start.sharedBefore ? "abcXYZde" : "abcXYdeZ";
                }
                EXPECT_NE(SyncToServerArchive().outcome, SyncOutcome::CannotTell);
                EXPECT_EQ(SharedCards(), after);
                EXPECT_EQ(SyncToServerArchive().outcome, SyncOutcome::NothingToCopy);
            });
    }
}

TEST_F(SharedArchive, AJobPendingThereHandsNothingOver) {
    // Another station's job on the shared archive is killed in the middle of its commit; the
    // shared archive's next opening finishes it or rolls it back, so nothing may be copied in
    // between. The refusal is told in words, and the cards go over once the job is settled.
    CoreState.ProgramDir = dir.MakeDir("prog");
    InstallShippedTexts();
    MakeShared(2);
    const pid_t child = ::fork();
    if (child == 0) {
        CoreState.StationNumber = "002";
        FileLock lock(shared + "dli-sch.dat");
        CrashSafeArchiveReplacement job(shared);
        job.StageCopy(shared + "alf-sch.dat");
        job.SetLastCard(shared + "dli-sch.dat", 2);
        job.Commit([] { ::raise(SIGKILL); });
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    const std::string cards = ReadBytes(shared + "alf-sch.dat") + ReadBytes(shared + "dli-sch.dat");
    try {
        SyncToServerArchive();
        ADD_FAILURE() << "copied";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Message(), LoadText(2121));
    }
    EXPECT_EQ(ReadBytes(shared + "alf-sch.dat") + ReadBytes(shared + "dli-sch.dat"), cards);
    EXPECT_FALSE(FileExists(local + "inv-serv.dat"));
    if (RecoverArchive(shared)) ClearArchiveCommits(shared);
    EXPECT_EQ(SyncToServerArchive().copied, 2);
    EXPECT_EQ(SharedCards(), "abcde");
}

TEST_F(SharedArchive, KilledWhileCopyingNeverDoublesACard) {
    // A copy killed at moments spread over its run; another station stores Z; the copy again.
    CopiedThenAddedOnBothSides();
    const auto start = std::chrono::steady_clock::now();
    SyncToServerArchive();
    const auto run = std::chrono::steady_clock::now() - start;
    // Each kill a little later than the one before, until some fell on each side of the
    // raised shared index.
    std::set<std::string> seen;
    for (int round = 0; round < 200 && (round < 24 || seen.size() < 2); ++round) {
        SCOPED_TRACE(round);
        CopiedThenAddedOnBothSides();
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                SyncToServerArchive();
            } catch (...) {
            }
            ::_exit(0);
        }
        std::this_thread::sleep_for(run * round / 12);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string before = SharedCards();
        seen.insert(before);
        OtherStationAdds('Z');
        SyncToServerArchive();
        EXPECT_EQ(SharedCards(), before == "abcXY" ? "abcXYZde" : "abcXYdeZ") << before;
    }
    EXPECT_EQ(seen, (std::set<std::string>{"abcXY", "abcXYde"}));
}

TEST_F(SharedArchive, WaitsForTheSharedIndexLock) {
    MakeShared(2);
    std::atomic<bool> done{false};
    std::thread copy;
    {
        FileLock lock(shared + "dli-sch.dat");
        ASSERT_TRUE(lock.Locked());
        copy = std::thread([&] {
            SyncToServerArchive();
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_FALSE(done);
        EXPECT_EQ(ReadBytes(shared + "dli-sch.dat"), Int32s({2}));
    }
    copy.join();
    EXPECT_EQ(ReadBytes(shared + "dli-sch.dat"), Int32s({4}));
}

}  // namespace
}  // namespace qv
