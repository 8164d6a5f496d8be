#include "cardwindow/archive_merge.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>
#include <vector>

#include "core/card_notes.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "support/io_faults.h"
#include "support/program_dir.h"
#include "support/recording_progress.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Cards of 50 text bytes and 50 words. The text part starts with `name`; the numeric part holds
// `code` in word 1 and the notes head `head` in words 49 and 50 as the bit-reversed halves.
std::string Text(const std::string& name) {
    std::string card(50, '\0');
    card.replace(0, name.size(), name);
    return card;
}
std::string Values(uint16_t code, const std::string& head = "00 00 00 00") {
    std::string card(100, '\0');
    PutU16(reinterpret_cast<uint8_t*>(card.data()), code);
    card.replace(96, 4, Hex(head));
    return card;
}

std::string Descriptor(int words, int text) {
    return "Nome Archivio....: \r\nNome indirizzario: x\r\nScheda.NUM.......: " + std::to_string(words) +
           " posizioni riservate\r\nScheda.ALF.......: " + std::to_string(text) +
           " posizioni riservate\r\nVar statistiche..: 0\r\n";
}

class ArchiveMerge : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = root.MakeDir("prog");
        test::InstallShippedTexts();  // the report's texts
        CoreState.ArchiveDir = root.MakeDir("current");
        CoreState.CardTextBytes = 50;
        CoreState.CardWordCount = 50;
        // The current archive holds two cards and notes of its own, all given up by the merge.
        Archive("current", {"Vecchia 1", "Vecchia 2"}, {Values(9, "00 00 00 80"), Values(9)});
        WriteNotesChain(Current("not-sch.dat"), 0, "nota vecchia");
        CoreState.LastCard = 1;
        CoreState.CurrentCard = 1;
        CoreState.WriteAccess = 1;
    }

    std::string Current(const std::string& name) const { return CoreState.ArchiveDir + name; }

    // The archive's own cards and notes, as SetUp and the fault loop's reset write them.
    void ExpectOwnCards() const {
        EXPECT_EQ(ReadBytes(Current("alf-sch.dat")), "Vecchia 1Vecchia 2");
        EXPECT_EQ(ToHex(ReadBytes(Current("num-sch.dat"))), ToHex(Values(9, "00 00 00 80") + Values(9)));
        EXPECT_EQ(ToHex(ReadBytes(Current("dli-sch.dat"))), "01 00 00 00");
        EXPECT_EQ(ReadNotesChain(Current("not-sch.dat"), 1), "nota vecchia");
    }

    // An archive directory with the given cards and a descriptor of its geometry.
    std::string Archive(const std::string& name, const std::vector<std::string>& texts,
                        const std::vector<std::string>& values, int words = 50, int textBytes = 50) {
        const std::string dir = root.MakeDir(name);
        std::string alf, num;
        for (const std::string& t : texts) alf += t;
        for (const std::string& v : values) num += v;
        WriteBytes(dir + "alf-sch.dat", alf);
        WriteBytes(dir + "num-sch.dat", num);
        WriteBytes(dir + "dli-sch.dat", Int32s({int32_t(texts.size()) - 1}));
        WriteBytes(dir + "morvidex.dat", Descriptor(words, textBytes));
        return dir;
    }

    void List(const std::string& text) { WriteBytes(Current("ap1-sch.txt"), text); }
    std::string Report() const { return ReadBytes(CoreState.ProgramDir + "tabella.txt"); }

    MergeCheck CheckAndMerge() {
        MergeCheck check = CheckMergeList();
        if (check.sound) MergeArchives(check.directories, progress);
        return check;
    }

    TempDir root;
    RecordingProgress progress;
};

TEST_F(ArchiveMerge, CardsOfTheListedArchivesFollowOneAnotherInListOrder) {
    const std::string a =
        Archive("a", {Text("A0"), Text("A1"), Text("A2")}, {Values(1), Values(2), Values(3)});
    const std::string b = Archive("b", {Text("B0"), Text("B1"), Text("B2"), Text("B3"), Text("B4")},
                                  {Values(4), Values(5), Values(6), Values(7), Values(8)});
    const std::string empty = Archive("vuoto", {}, {});
    // The first line lacks its final separator, the second is written the Windows way, a blank
    // line names nothing.
    std::string windowsB = b;
    windowsB.back() = '\\';
    List(a.substr(0, a.size() - 1) + "\r\n" + empty + "\r\n   \r\n" + windowsB + "\r\n");

    // Without the write password nothing is merged.
    WriteBytes(Current("inv-serv.dat"), "record of the copy to the shared archive");
    CoreState.WriteAccess = 0;
    const std::string before = ReadBytes(Current("alf-sch.dat")) + ReadBytes(Current("num-sch.dat"));
    EXPECT_EQ(MergeArchives({a, b}, progress), 0);
    EXPECT_EQ(ReadBytes(Current("alf-sch.dat")) + ReadBytes(Current("num-sch.dat")), before);
    EXPECT_TRUE(std::filesystem::exists(Current("inv-serv.dat")));
    CoreState.WriteAccess = 1;

    const MergeCheck check = CheckAndMerge();
    ASSERT_TRUE(check.sound) << Report();
    EXPECT_EQ(check.directories, (std::vector<std::string>{a, empty, b}));
    EXPECT_EQ(Report(), "");

    EXPECT_EQ(ReadBytes(Current("alf-sch.dat")), Text("A0") + Text("A1") + Text("A2") + Text("B0") +
                                                     Text("B1") + Text("B2") + Text("B3") + Text("B4"));
    EXPECT_EQ(ToHex(ReadBytes(Current("num-sch.dat"))), ToHex(Values(1) + Values(2) + Values(3) + Values(4) +
                                                              Values(5) + Values(6) + Values(7) + Values(8)));
    EXPECT_EQ(ToHex(ReadBytes(Current("dli-sch.dat"))), "07 00 00 00");
    EXPECT_EQ(CoreState.LastCard, 7);
    EXPECT_EQ(CoreState.CurrentCard, 1);
    EXPECT_EQ(CoreState.OtherArchiveDir, b);
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 2, 3, 0}));
    // The old cards' notes went with them, and so did the record of what the shared archive
    // received from them.
    EXPECT_FALSE(std::filesystem::exists(Current("not-sch.dat")));
    EXPECT_FALSE(std::filesystem::exists(Current("inv-serv.dat")));

    // An empty list leaves an archive without cards.
    List("");
    ASSERT_TRUE(CheckAndMerge().sound);
    EXPECT_EQ(ReadBytes(Current("alf-sch.dat")) + ReadBytes(Current("num-sch.dat")), "");
    EXPECT_EQ(ToHex(ReadBytes(Current("dli-sch.dat"))), "FF FF FF FF");
    EXPECT_EQ(CoreState.LastCard, -1);
}

TEST_F(ArchiveMerge, NotesAreChainedAnewInTheMergedArchive) {
    const std::string a = Archive("a", {Text("A0"), Text("A1")}, {Values(1), Values(2, "00 00 00 80")});
    WriteNotesChain(a + "not-sch.dat", 0, "telefonare la sera");
    // Card B0 points at record 2 of its own notes, where its chain starts; B1's head points at a
    // notes file that does not exist there.
    const std::string b = Archive("b", {Text("B0")}, {Values(3, "00 00 00 40")});
    WriteNotesChain(b + "not-sch.dat", 0, "prima");
    WriteNotesChain(b + "not-sch.dat", 0, std::string(120, 'x'));
    const std::string c = Archive("c", {Text("C0")}, {Values(4, "00 00 00 80")});
    List(a + "\r\n" + b + "\r\n" + c + "\r\n");

    ASSERT_TRUE(CheckAndMerge().sound) << Report();
    const std::string num = ReadBytes(Current("num-sch.dat"));
    ASSERT_EQ(num.size(), 400u);
    // Heads 1 and 2 of the new notes file; none for the cards whose notes are not found.
    EXPECT_EQ(ToHex(num.substr(96, 4)), "00 00 00 00");
    EXPECT_EQ(ToHex(num.substr(196, 4)), "00 00 00 80");
    EXPECT_EQ(ToHex(num.substr(296, 4)), "00 00 00 40");
    EXPECT_EQ(ToHex(num.substr(396, 4)), "00 00 00 00");
    EXPECT_EQ(ReadNotesChain(Current("not-sch.dat"), 1), "telefonare la sera");
    EXPECT_EQ(ReadNotesChain(Current("not-sch.dat"), 2), std::string(120, 'x'));
}

TEST_F(ArchiveMerge, AFaultyListIsReportedAndMergesNothing) {
    struct Case {
        const char* name;
        std::function<std::string()> listed;  // the list's one line, the directory made ready
        std::function<std::string(const std::string&)> report;
    } cases[] = {
        {"no card files", [&] { return root.MakeDir("nulla"); },
         [](const std::string& dir) { return "Manca " + dir + "\r\n"; }},
        {"the current archive", [&] { return CoreState.ArchiveDir; },
         [](const std::string& dir) { return "Archivio corrente nella lista: " + dir + "\r\n"; }},
        {"other geometry", [&] { return Archive("larga", {Text("L0") + Text("")}, {Values(1)}, 50, 100); },
         [](const std::string& dir) { return "Scheda di dimensioni diverse: " + dir + "\r\n"; }},
        {"no descriptor",
         [&] {
             const std::string dir = Archive("senza", {Text("S0")}, {Values(1)});
             std::filesystem::remove(dir + "morvidex.dat");
             return dir;
         },
         [](const std::string& dir) { return "Manca " + dir + "morvidex.dat\r\n"; }},
        {"index past the cards",
         [&] {
             const std::string dir = Archive("corta", {Text("C0"), Text("C1")}, {Values(1), Values(2)});
             WriteBytes(dir + "dli-sch.dat", Int32s({2}));
             return dir;
         },
         [](const std::string& dir) { return "Schede incomplete: " + dir + "\r\n"; }},
        {"no index",
         [&] {
             const std::string dir = Archive("senzaindice", {Text("I0")}, {Values(1)});
             std::filesystem::remove(dir + "dli-sch.dat");
             return dir;
         },
         [](const std::string& dir) { return "Manca " + dir + "dli-sch.dat\r\n"; }},
    };
    const std::string good = Archive("buono", {Text("G0")}, {Values(5)});
    const std::string alf = ReadBytes(Current("alf-sch.dat"));
    for (const Case& c : cases) {
        const std::string dir = c.listed();
        List(good + "\r\n" + dir + "\r\n");
        const MergeCheck check = CheckAndMerge();
        EXPECT_FALSE(check.sound) << c.name;
        EXPECT_EQ(Report(), c.report(dir)) << c.name;
        EXPECT_EQ(ReadBytes(Current("alf-sch.dat")), alf) << c.name;
        EXPECT_EQ(CoreState.LastCard, 1) << c.name;
    }

    std::filesystem::remove(Current("ap1-sch.txt"));
    EXPECT_FALSE(CheckMergeList().sound);
    EXPECT_EQ(Report(), "Manca la lista dei file da unire\r\n");
}

TEST_F(ArchiveMerge, AReadErrorInTheCheckIsToldAsOne) {
    // Never taken for a fault of the listed archive, nor for a shorter list.
    const std::string a = Archive("a", {Text("A0")}, {Values(1)});
    List(a + "\r\n");
    ResetIoFaultsForTest();
    ASSERT_TRUE(CheckMergeList().sound);
    const int reads = IoCallCountForTest(IoCall::Read);
    for (int n = 1; n <= reads; ++n) {
        SCOPED_TRACE(n);
        FailIoCallForTest(IoCall::Read, n, EIO);
        try {
            const MergeCheck check = CheckMergeList();
            ADD_FAILURE() << "not told; sound " << check.sound << ": " << Report();
        } catch (const IoError& e) {
            EXPECT_EQ(e.Code(), kReadPastEnd);
        }
        ResetIoFaultsForTest();
    }
}

TEST_F(ArchiveMerge, AListedArchiveShortOfCardsLeavesTheArchiveAsItWas) {
    const std::string a =
        Archive("a", {Text("A0"), Text("A1"), Text("A2")}, {Values(1), Values(2), Values(3)});
    const std::string b = Archive("b", {Text("B0"), Text("B1")}, {Values(4), Values(5)});
    List(a + "\r\n" + b + "\r\n");
    const MergeCheck check = CheckMergeList();
    ASSERT_TRUE(check.sound);
    const auto files = [&] {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(CoreState.ArchiveDir))
            names.insert(e.path().filename().string());
        return names;
    };
    const std::set<std::string> before = files();
    // The second archive loses a card between the check and the merge.
    WriteBytes(b + "num-sch.dat", Values(4));
    EXPECT_THROW(MergeArchives(check.directories, progress), IoError);
    ExpectOwnCards();
    EXPECT_EQ(CoreState.LastCard, 1);
    EXPECT_EQ(files(), before) << "no merged file left beside the archive's own";
}

TEST_F(ArchiveMerge, AFailedCallLeavesTheArchiveWholeAsItWasOrWholeMerged) {
    const std::string a =
        Archive("a", {Text("A0"), Text("A1"), Text("A2")}, {Values(1), Values(2, "00 00 00 80"), Values(3)});
    WriteNotesChain(a + "not-sch.dat", 0, "nota di A1");
    const std::string b = Archive("b", {Text("B0"), Text("B1")}, {Values(4), Values(5)});
    struct Case {
        std::vector<std::string> dirs;
        std::string text, values, notes;
    } cases[] = {
        {{a, b},
         Text("A0") + Text("A1") + Text("A2") + Text("B0") + Text("B1"),
         Values(1) + Values(2, "00 00 00 80") + Values(3) + Values(4) + Values(5),
         "nota di A1"},
        // No notes among the merged cards: the archive's old notes file goes with its cards.
        {{b}, Text("B0") + Text("B1"), Values(4) + Values(5), ""},
    };
    const auto reset = [&] {
        Archive("current", {"Vecchia 1", "Vecchia 2"}, {Values(9, "00 00 00 80"), Values(9)});
        RemoveFile(Current("not-sch.dat"));
        WriteNotesChain(Current("not-sch.dat"), 0, "nota vecchia");
        WriteBytes(Current("inv-serv.dat"), "record of the copy to the shared archive");
        CoreState.LastCard = 1;
        SetArchiveReadOnly(std::string());
        CoreState.WriteAccess = 1;
    };
    int readOnly = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dirs.size());
        const int32_t last = int32_t(c.text.size() / 50) - 1;
        bool failed = false;
        std::string told;
        const auto run = [&] {
            failed = false;
            told.clear();
            try {
                MergeArchives(c.dirs, progress);
            } catch (const IoError& e) {
                failed = true;
                told = e.Message();
                throw;
            }
        };
        // After the next opening: whole as it was after a failure, whole merged otherwise; a
        // failure that could not be put back either may be settled either way.
        const auto check = [&](const std::string&) {
            RecoverArchive(CoreState.ArchiveDir);
            if (failed && (told != LoadText(2123) || ReadBytes(Current("alf-sch.dat")) != c.text)) {
                ExpectOwnCards();
                EXPECT_TRUE(std::filesystem::exists(Current("inv-serv.dat")));
                if (!told.empty() && told != LoadText(2123)) {
                    EXPECT_EQ(told, LoadText(2122));  // failed while the files were being replaced
                }
                return;
            }
            EXPECT_EQ(ReadBytes(Current("alf-sch.dat")), c.text);
            EXPECT_EQ(ToHex(ReadBytes(Current("num-sch.dat"))), ToHex(c.values));
            EXPECT_EQ(ToHex(ReadBytes(Current("dli-sch.dat"))), ToHex(Int32s({last})));
            EXPECT_FALSE(std::filesystem::exists(Current("inv-serv.dat")));
            if (!failed) {
                EXPECT_EQ(CoreState.LastCard, last);
            }
            if (c.notes.empty()) {
                EXPECT_FALSE(std::filesystem::exists(Current("not-sch.dat")));
            } else {
                EXPECT_EQ(ReadNotesChain(Current("not-sch.dat"), 1), c.notes);
            }
        };
        test::ForEachIoFault(reset, run, check);
        // Every rename or removal from the nth on fails, as on a disk that went away: what cannot
        // be put back leaves the session read-only until the next opening settles it.
        for (IoCall call : {IoCall::Rename, IoCall::Unlink})
            for (int n = 1; n <= 6; ++n) {
                SCOPED_TRACE(n);
                reset();
                FailIoCallForTest(call, -n, EIO);
                try {
                    run();
                } catch (const IoError&) {
                }
                ResetIoFaultsForTest();
                if (told == LoadText(2123)) {
                    ++readOnly;
                    EXPECT_EQ(ArchiveReadOnlyReason(), told);
                }
                check("");
            }
    }
    EXPECT_GT(readOnly, 0);
}

}  // namespace
}  // namespace qv
