#include "core/card_notes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"
#include "support/io_faults.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

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
class CardNotesTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
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
    // Rewrites the card's chain in place.
    void Rewrite(const std::string& text) { SetNotesHead(WriteNotesChain(Notes(), GetNotesHead(), text)); }
    std::string Load() {
        LoadCardNotes();
        return ReadBytes(Staging());
    }
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
    Rewrite(X + Y20);  // 120 characters: two pieces, the second ends the chain
    EXPECT_EQ(GetNotesHead(), 3);
    EXPECT_EQ(ToHex(ReadBytes(Notes())), ToHex(Header(4) + Rec(Y20, 0) + Rec("altra", 0) + Rec(X, 1)));
    EXPECT_EQ(Load(), X + Y20);

    // Growing past the old chain takes free records at the end.
    Rewrite(X + X + X + Y20);
    EXPECT_EQ(ToHex(ReadBytes(Notes())),
              ToHex(Header(6) + Rec(X, 4) + Rec("altra", 0) + Rec(X, 1) + Rec(X, 5) + Rec(Y20, 0)));
    EXPECT_EQ(Load(), X + X + X + Y20);

    // Shortening to one piece leaves records 1, 4, 5 unused.
    Rewrite("z");
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
        Rewrite(c.saved);
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

TEST_F(CardNotesTest, NotesThatCannotFollowAReplacedFileKeepTheCardUnstored) {
    test::InstallNumberedTexts(2499);
    WriteBytes(CoreState.ArchiveDir + "alf-sch.dat", "");
    WriteBytes(CoreState.ArchiveDir + "num-sch.dat", "");
    WriteBytes(CoreState.ArchiveDir + "dli-sch.dat", std::string(4, '\xFF'));
    CoreState.LastCard = -1;
    CoreState.CurrentCard = 0;
    CoreState.WriteAccess = 1;
    CoreState.CardWindowMode = 1;
    Save("nota");
    // The notes file is replaced by something that takes no notes: the card is refused in words.
    RemoveFile(Notes());
    std::filesystem::create_directory(Notes());
    try {
        SaveCurrentCard();
        ADD_FAILURE() << "stored";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Message(), LoadText(2424));
    }
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "dli-sch.dat"), std::string(4, '\xFF'));
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "num-sch.dat"), "");
}

TEST_F(CardNotesTest, UnwritableNotesFileRaises) {
    CoreState.ArchiveDir = dir.Path() + "missing/";
    WriteBytes(Staging(), "testo");
    EXPECT_THROW(SaveCardNotes(), IoError);
    EXPECT_EQ(GetNotesHead(), 0);
}

TEST_F(CardNotesTest, AFailedCallLosesNoStoredCardOrNotes) {
    const std::string dirPath = CoreState.ArchiveDir;
    const std::string firstText = std::string("prima") + std::string(45, '\0');
    const std::string newText = std::string("s") + std::string(49, '\0');
    const std::string newNotes(150, 'n');
    const CardFiles files = CardFiles::InDirectory(dirPath, CurrentCardGeometry());
    // A new card with notes, then the first card edited with new notes; each also with the
    // notes file replaced (by a merge, say: same records, another file) between the notes and
    // the card, which must then carry its notes into the file that is there.
    for (const int round : {1, 0, 11, 10}) {
        const int32_t card = round % 10;
        const bool replaced = round >= 10;
        SCOPED_TRACE(round);
        const auto reset = [&] {
            std::string values(96, '\0');
            values += std::string("\0\0\0\x80", 4);  // notes head 1
            WriteBytes(dirPath + "alf-sch.dat", firstText);
            WriteBytes(dirPath + "num-sch.dat", values);
            WriteBytes(dirPath + "dli-sch.dat", std::string(4, '\0'));
            WriteBytes(Notes(), Header(2) + Rec("nota prima", 0));
            RemoveFile(dirPath + "sch-.jnl");  // a failed run's journal is the next opening's business
            CoreState.LastCard = 0;
            CoreState.CurrentCard = card;
            CoreState.WriteAccess = 1;
            CoreState.CardWindowMode = 1;
            ClearCardFields(1, 1);
            if (card == 0) {
                ReadCardText();
                ReadCardValues();
                std::fill(CurrentCardText.begin() + 1, CurrentCardText.begin() + 6, uint8_t(0));
            }
            CurrentCardText[1] = 's';
            WriteBytes(Staging(), newNotes);
        };
        const auto run = [&] {
            SaveCardNotes();
            if (replaced) {
                WriteBytes(Notes() + ".new", Header(2) + Rec("nota prima", 0));
                std::filesystem::rename(Notes() + ".new", Notes());
            }
            SaveCurrentCard();
        };
        const auto notesOf = [&](int32_t c) {
            uint16_t words[50];
            EXPECT_TRUE(files.ReadValues(c, words));
            return ReadNotesChain(Notes(), DecodeCardNumber(words[48], words[49]));
        };
        test::ForEachIoFault(reset, run, [&](const std::string& point) {
            // A short or interrupted call is no failure: the card is stored.
            const bool stored = point.ends_with("short") || point.ends_with("EINTR");
            uint8_t bytes[50];
            ASSERT_TRUE(files.ReadText(0, bytes));
            const std::string text(reinterpret_cast<char*>(bytes), 50);
            const int32_t last = files.ReadLastCard();
            if (card == 1) {
                EXPECT_EQ(text, firstText);
                EXPECT_EQ(notesOf(0), "nota prima");
                ASSERT_TRUE(last == 1 || (last == 0 && !stored)) << last;
                if (last == 1) {
                    EXPECT_EQ(notesOf(1), newNotes);
                }
            } else {
                // The card is old or new whole; its notes are the new ones whenever its text is.
                EXPECT_EQ(last, 0);
                EXPECT_TRUE(text == newText || (text == firstText && !stored));
                const std::string notes = notesOf(0);
                EXPECT_TRUE(notes == newNotes || (text == firstText && notes == "nota prima")) << notes;
            }
        });
    }
}

TEST_F(CardNotesTest, TwoProcessesStoringCardsWithNotesNeverCrossThem) {
    const CardFiles files = CardFiles::InDirectory(CoreState.ArchiveDir, CurrentCardGeometry());
    WriteBytes(files.TextPath(), "");
    WriteBytes(files.ValuesPath(), "");
    WriteBytes(files.IndexPath(), std::string(4, '\xFF'));
    constexpr int kCards = 200;
    // Each card's text names it; its notes repeat the name, long enough for a chain of pieces.
    const auto name = [](int process, int i) {
        return "p" + std::to_string(process) + "-" + std::to_string(i);
    };
    const auto notesOf = [](const std::string& card) {
        std::string notes;
        while (notes.size() < 230) notes += card + " ";
        return notes;
    };
    pid_t children[2];
    for (int process = 0; process < 2; ++process) {
        children[process] = ::fork();
        ASSERT_GE(children[process], 0);
        if (children[process] != 0) continue;
        int status = 0;
        try {
            for (int i = 0; i < kCards; ++i) {
                uint8_t text[50] = {};
                uint16_t words[50] = {};
                const std::string card = name(process, i);
                std::copy(card.begin(), card.end(), text);
                EncodeCardNumber(WriteNotesChain(Notes(), 0, notesOf(card)), words[48], words[49]);
                files.AppendCard(text, words);
            }
        } catch (...) {
            status = 1;
        }
        ::_exit(status);
    }
    for (pid_t child : children) {
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ASSERT_EQ(files.ReadLastCard(), 2 * kCards - 1);
    std::set<std::string> seen;
    for (int32_t c = 0; c < 2 * kCards; ++c) {
        uint8_t text[50];
        uint16_t words[50];
        ASSERT_TRUE(files.ReadText(c, text) && files.ReadValues(c, words));
        const std::string card(reinterpret_cast<char*>(text));
        EXPECT_EQ(ReadNotesChain(Notes(), DecodeCardNumber(words[48], words[49])), notesOf(card)) << card;
        seen.insert(card);
    }
    EXPECT_EQ(seen.size(), size_t(2 * kCards));
}

TEST_F(CardNotesTest, NewNotesOfAStoredCardGoToANewChain) {
    WriteBytes(Notes(), Header(2) + Rec("vecchia", 0));
    SetNotesHead(1);
    Save("nuova");
    // The stored card still points at its old notes until it is stored itself.
    EXPECT_EQ(GetNotesHead(), 2);
    EXPECT_EQ(ToHex(ReadBytes(Notes())), ToHex(Header(3) + Rec("vecchia", 0) + Rec("nuova", 0)));
}

// A card of the crash test: its text, words 1-3 and notes all carry a tag and a version.
struct VersionedCard {
    uint32_t tag = 0;
    int version = 0;
    std::string Text() const { return "t" + std::to_string(tag) + "v" + std::to_string(version); }
    std::string NotesText() const {
        std::string notes;
        while (notes.size() < 150) notes += "n" + std::to_string(tag) + "v" + std::to_string(version) + " ";
        return notes;
    }
};

TEST_F(CardNotesTest, KilledWhileStoringAndEditingLosesNothingAcknowledged) {
    // A kill inside a commit is rolled back by the recovery, which says so in its texts.
    test::InstallNumberedTexts(2499);
    CoreState.StationNumber = "001";
    const std::string archive = CoreState.ArchiveDir;
    const CardFiles files = CardFiles::InDirectory(archive, CurrentCardGeometry());
    WriteBytes(files.TextPath(), "");
    WriteBytes(files.ValuesPath(), "");
    WriteBytes(files.IndexPath(), std::string(4, '\xFF'));
    const std::string log = dir / "acknowledged.log";
    const auto store = [&](int32_t card, const VersionedCard& v) {
        uint8_t text[50] = {};
        uint16_t words[50] = {};
        const std::string t = v.Text();
        std::copy(t.begin(), t.end(), text);
        words[0] = uint16_t(v.tag >> 16), words[1] = uint16_t(v.tag), words[2] = uint16_t(v.version);
        EncodeCardNumber(WriteNotesChain(Notes(), 0, v.NotesText()), words[48], words[49]);
        if (card < 0) return files.AppendCard(text, words);
        files.RewriteCard(card, text, words);
        return card;
    };
    // Reads a card back; nullopt when its text, numbers or notes disagree (a torn card).
    const auto load = [&](int32_t card) -> std::optional<VersionedCard> {
        uint8_t text[50];
        uint16_t words[50];
        if (!files.ReadText(card, text) || !files.ReadValues(card, words)) return std::nullopt;
        const VersionedCard v{uint32_t(words[0]) << 16 | words[1], words[2]};
        if (std::string(reinterpret_cast<char*>(text), strnlen(reinterpret_cast<char*>(text), 50)) !=
                v.Text() ||
            ReadNotesChain(Notes(), DecodeCardNumber(words[48], words[49])) != v.NotesText())
            return std::nullopt;
        return v;
    };
    std::mt19937 rng(20261207);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int out = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
            std::mt19937 r(uint32_t(::getpid()));
            try {
                const auto acknowledge = [&](int32_t card, const VersionedCard& v) {
                    const std::string line = std::to_string(card) + " " + std::to_string(v.tag) + " " +
                                             std::to_string(v.version) + "\n";
                    if (::write(out, line.data(), line.size()) != ssize_t(line.size())) ::_exit(2);
                };
                for (;;) {
                    const int32_t last = files.ReadLastCard();
                    if (r() % 5 == 0) {
                        // A block of new cards, as the bulk jobs store them.
                        std::vector<VersionedCard> cards(1 + r() % 40);
                        std::vector<std::string> notes;
                        for (VersionedCard& v : cards) notes.push_back((v = {uint32_t(r()), 0}).NotesText());
                        const std::vector<int32_t> heads = AppendNotesChains(Notes(), notes);
                        CardRecords block(files.Geometry());
                        for (size_t k = 0; k < cards.size(); ++k) {
                            uint8_t text[50] = {};
                            uint16_t words[50] = {};
                            const std::string t = cards[k].Text();
                            std::copy(t.begin(), t.end(), text);
                            words[0] = uint16_t(cards[k].tag >> 16), words[1] = uint16_t(cards[k].tag);
                            EncodeCardNumber(heads[k], words[48], words[49]);
                            block.Add(text, words);
                        }
                        const int32_t first = files.AppendCards(block);
                        for (size_t k = 0; k < cards.size(); ++k) acknowledge(first + int32_t(k), cards[k]);
                        continue;
                    }
                    int32_t card = last < 0 || r() % 3 == 0 ? -1 : int32_t(r() % uint32_t(last + 1));
                    VersionedCard v{uint32_t(r()), 0};
                    if (card >= 0) {
                        if (const auto old = load(card)) v = {old->tag, old->version + 1};
                    }
                    acknowledge(store(card, v), v);
                }
            } catch (...) {
                ::_exit(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + rng() % 55));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
        RecoverArchive(archive);  // what the next opening does first

        std::map<int32_t, VersionedCard> acknowledged;
        TextReader in(ReadBytes(log));
        while (!in.Eof()) {
            std::istringstream line(in.ReadLine(std::string::npos));
            int32_t card;
            VersionedCard v;
            if (line >> card >> v.tag >> v.version) acknowledged[card] = v;
        }
        const int32_t last = files.ReadLastCard();
        for (int32_t card = 0; card <= last; ++card) {
            const std::optional<VersionedCard> v = load(card);
            ASSERT_TRUE(v) << "round " << round << ": card " << card << " torn";
            const auto acked = acknowledged.find(card);
            if (acked == acknowledged.end()) continue;
            // Edits under way at a kill may have landed whole without being acknowledged, so a
            // card may be versions ahead; never behind.
            EXPECT_EQ(v->tag, acked->second.tag) << card;
            EXPECT_GE(v->version, acked->second.version) << "round " << round << ", card " << card;
        }
        if (!acknowledged.empty()) {
            EXPECT_GE(last, acknowledged.rbegin()->first);
        }
    }
    int leftovers = 0;
    for (const auto& e : std::filesystem::directory_iterator(archive))
        leftovers += e.path().filename().string().find(".tmp001_") != std::string::npos;
    EXPECT_EQ(leftovers, 0);
}

}  // namespace
}  // namespace qv
