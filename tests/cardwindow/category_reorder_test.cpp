#include "cardwindow/category_reorder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <optional>

#include "core/archive_definition.h"
#include "core/card_notes.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/field_layout.h"
#include "support/io_faults.h"
#include "support/program_dir.h"
#include "support/small_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(CategoryOrderTest, CaseFoldedOnThirtyCharactersStable) {
    const std::string thirty(30, 'k');
    struct Case {
        std::vector<std::string> labels;
        std::vector<int> order;
    } cases[] = {
        {{"beta", "Alfa", "alfa", "Zeta", "abete"}, {5, 2, 3, 1, 4}},
        {{"Zorro", "albero"}, {2, 1}},                     // a capital Z after a small a
        {{"\xe8lite", "Zeta", "[x", "_y"}, {2, 3, 4, 1}},  // other bytes by their code
        {{thirty + "b", thirty + "a"}, {1, 2}},            // equal on the first 30 characters
        {{"\xff"
          "b",
          "z",
          "\xff"
          "a"},
         {2, 3, 1}},                      // a leading 255 sorts last
        {{"ab", "a", "a b"}, {2, 3, 1}},  // a shorter text that begins another first
        {{}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(AlphabeticalCategoryOrder(c.labels), c.order) << c.labels.size();
}

TEST(CategoryOrderTest, DeclarationLine) {
    EXPECT_EQ(CategoryDeclarationLine(7, "verde"), "     007 verde");
    EXPECT_EQ(CategoryDeclarationLine(999, "x"), "     999 x");
    EXPECT_EQ(CategoryDeclarationLine(1234, "x"), "     <34 x");  // 12 hundreds: '0' + 12
    EXPECT_EQ(CategoryDeclarationLine(1, std::string(70, 'y')), "     001 " + std::string(60, 'y'));
}

// Fields: 1 text "Nome" (10 bytes), 2 "Colore" coded (word 1), 3 and 4 "Mezzi" with two
// answers (words 2, 3), 5 "Numero" (word 4), 6 "Secondo colore" sharing the list of field 2
// (word 5).
const std::string kTitle = "Prova di riordino " + std::string(70, '=');
const std::string kDeclarations =
    kTitle +
    "\r\n001A Nome\r\n     010\r\n"
    "0021 Colore\r\n     001 verde\r\n     002 Blu\r\n     003 azzurro\r\n     ///\r\n"
    "0032 Mezzi\r\n     001 treno\r\n     002 bi///ci\r\n     003 auto\r\n"
    "     004 Moto\r\n     ///\r\n"
    "005Q Numero\r\n"
    "0061 Secondo colore\r\n     001 002\r\n     ///\r\n";
const std::string kTitle80 = kTitle.substr(0, 80) + "\r\n";
const std::string kColoreOrdered =
    "0021 Colore\r\n     001 azzurro\r\n     002 Blu\r\n     003 verde\r\n     ///\r\n";
const std::string kColoreAsBefore =
    "0021 Colore\r\n     001 verde\r\n     002 Blu\r\n     003 azzurro\r\n     ///\r\n";
const std::string kMezziOrdered =
    "0032 Mezzi\r\n     001 auto\r\n     002 bi///ci\r\n     003 Moto\r\n     004 treno\r\n     ///\r\n";
const std::string kMezziAsBefore =
    "0032 Mezzi\r\n     001 treno\r\n     002 bi///ci\r\n     003 auto\r\n     004 Moto\r\n     ///\r\n";
const std::string kHead = "001A Nome\r\n     010\r\n";
const std::string kTail = "005Q Numero\r\n0061 Secondo colore\r\n     001 002\r\n     ///\r\n";

class CategoryReorderTest : public ::testing::Test {
  protected:
    void Prepare() {
        ResetProgramState();
        CoreState.ArchiveDir = dir.MakeDir("arch");
        CoreState.ProgramDir = dir.MakeDir("prog");
        for (const char* f : {"imp-sch.dat", "controll.txt"}) RemoveFile(dir.Path() + "arch/" + f);
        RemoveFile(CoreState.ProgramDir + "controll.txt");
        CoreState.CardWordCount = CoreState.CardTextBytes = 50;
        TerritoryCount = 20;
        WriteBytes(Archive("sig-sch.dat"), kDeclarations);
        std::string placement;
        for (int f = 1; f <= 6; ++f) placement += "   1  10" + std::to_string(100 + 20 * f) + " 300\r\n";
        WriteBytes(Archive("dat-sch.dat"), placement);
        BuildArchiveDefinition();
        ASSERT_EQ(CoreState.FieldCount, 6);
        ASSERT_EQ(FieldFirstLabel[6], FieldFirstLabel[2]);
        // Two cards named by the index are not in the files yet: they are left alone.
        test::StoreSmallCards(CoreState.ArchiveDir,
                              Cards({{1, 2, 1, 77, 3}, {4, 4, 3, 0, -2}, {2, 3, 5, 5, 1}}), 2);
    }
    static std::vector<SmallCard> Cards(std::vector<std::array<int, 5>> values) {
        std::vector<SmallCard> cards;
        for (const auto& v : values) {
            SmallCard c;
            c.Text(1, "nome");
            for (int w = 1; w <= 5; ++w) c.Word(w, v[size_t(w - 1)]);
            cards.push_back(c);
        }
        return cards;
    }
    std::string Archive(const char* name) const { return CoreState.ArchiveDir + name; }

    test::TempDir dir;
};

TEST_F(CategoryReorderTest, MarkedListsOrderedCardsRenumberedDefinitionRebuilt) {
    // Colore: verde, Blu, azzurro -> azzurro, Blu, verde: old 1, 2, 3 become 3, 2, 1.
    // Mezzi: treno, bi///ci, auto, Moto -> auto, bi///ci, Moto, treno: 1, 2, 3, 4 become 4, 2, 1, 3.
    const std::vector<std::array<int, 5>> colore = {{3, 2, 1, 77, 1}, {0, 4, 3, 0, 0}, {2, 3, 5, 5, 3}};
    const std::vector<std::array<int, 5>> mezzi = {{1, 2, 4, 77, 3}, {4, 3, 1, 0, -2}, {2, 1, 0, 5, 1}};
    const std::vector<std::array<int, 5>> both = {{3, 2, 4, 77, 1}, {0, 3, 1, 0, 0}, {2, 1, 0, 5, 3}};
    const std::string colorePermutation = "3\r\n2\r\n1\r\n";
    const std::string mezziPermutation = "3\r\n2\r\n4\r\n1\r\n";
    struct Case {
        const char* what;
        std::vector<int> marks;
        std::string declarations, permutation;
        std::vector<std::array<int, 5>> cards;
        std::vector<std::string> labels;
    } cases[] = {
        {"the list's own field",
         {2},
         kTitle80 + kHead + kColoreOrdered + kMezziAsBefore + kTail,
         colorePermutation,
         colore,
         {"azzurro", "Blu", "verde", "treno", "bi///ci", "auto", "Moto"}},
        {"a field sharing the list",
         {6},
         kTitle80 + kHead + kColoreOrdered + kMezziAsBefore + kTail,
         colorePermutation,
         colore,
         {"azzurro", "Blu", "verde", "treno", "bi///ci", "auto", "Moto"}},
        {"both fields of one list, ordered once",
         {2, 6},
         kTitle80 + kHead + kColoreOrdered + kMezziAsBefore + kTail,
         colorePermutation,
         colore,
         {"azzurro", "Blu", "verde", "treno", "bi///ci", "auto", "Moto"}},
        {"a multi-answer field and a label holding ///",
         {3},
         kTitle80 + kHead + kColoreAsBefore + kMezziOrdered + kTail,
         mezziPermutation,
         mezzi,
         {"verde", "Blu", "azzurro", "auto", "bi///ci", "Moto", "treno"}},
        {"two lists, the last one's permutation kept",
         {2, 3},
         kTitle80 + kHead + kColoreOrdered + kMezziOrdered + kTail,
         mezziPermutation,
         both,
         {"azzurro", "Blu", "verde", "auto", "bi///ci", "Moto", "treno"}},
        {"marks on a further answer and a number do nothing",
         {4, 5},
         kDeclarations,
         "",
         {{1, 2, 1, 77, 3}, {4, 4, 3, 0, -2}, {2, 3, 5, 5, 1}},
         {"verde", "Blu", "azzurro", "treno", "bi///ci", "auto", "Moto"}},
    };
    for (const Case& c : cases) {
        Prepare();
        for (int f : c.marks) FieldAttributes[f] = 64 | 1;
        CoreState.CurrentCard = 1;
        test::RecordingProgress progress;
        const ReorderRun run = ReorderMarkedCategories(progress);
        EXPECT_TRUE(run.tooLarge.empty());
        if (!c.permutation.empty()) {
            EXPECT_EQ(run.cards.Missing(), 2) << c.what;
        }
        EXPECT_EQ(ReadBytes(Archive("sig-sch.dat")), c.declarations) << c.what;
        if (c.permutation.empty())
            EXPECT_FALSE(FileExists(CoreState.ProgramDir + "controll.txt")) << c.what;
        else
            EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "controll.txt"), c.permutation) << c.what;
        EXPECT_EQ(ReadBytes(Archive("num-sch.dat")), test::SmallValuesFile(Cards(c.cards))) << c.what;
        std::string labels;
        for (const std::string& l : c.labels) labels += LabelRecords({l});
        EXPECT_EQ(ReadBytes(Archive("mod-sch.dat")), labels) << c.what;
        // The marks stay; the card in hand is card 1 as now stored.
        for (int f : c.marks) EXPECT_EQ(FieldAttributes[f], 64 | 1) << c.what;
        EXPECT_EQ(CoreState.CurrentCard, 1);
        EXPECT_EQ(CurrentCardValues[1], uint16_t(c.cards[1][0])) << c.what;
    }
}

TEST_F(CategoryReorderTest, ADeclarationNotFoundChangesNoCard) {
    Prepare();
    // Declarations cut after "Colore": the marked "Mezzi" has no declaration to rewrite.
    const std::string cut = kTitle + "\r\n" + kHead + kColoreAsBefore;
    WriteBytes(Archive("sig-sch.dat"), cut);
    const std::string cards = ReadBytes(Archive("num-sch.dat"));
    FieldAttributes[3] = 64;
    test::RecordingProgress progress;
    EXPECT_THROW(ReorderMarkedCategories(progress), IoError);
    EXPECT_EQ(ReadBytes(Archive("sig-sch.dat")), cut);
    EXPECT_EQ(ReadBytes(Archive("num-sch.dat")), cards);
}

TEST_F(CategoryReorderTest, EndsWholeOrNotAtAllWhateverCallFails) {
    std::string oldFiles;
    const auto files = [&] {
        return ReadBytes(Archive("sig-sch.dat")) + ReadBytes(Archive("num-sch.dat")) +
               ReadBytes(Archive("mod-sch.dat"));
    };
    const auto reset = [&] {
        Prepare();
        WriteBytes(Archive("dli-sch.dat"), std::string("\x02\0\0\0", 4));  // the lock file
        FieldAttributes[2] = FieldAttributes[3] = 64;
        oldFiles = files();
    };
    test::RecordingProgress progress;
    reset();
    ReorderMarkedCategories(progress);
    const std::string newFiles = files();
    ASSERT_NE(newFiles, oldFiles);
    test::ForEachIoFault(
        reset, [&] { ReorderMarkedCategories(progress); },
        [&](const std::string&) {
            // What the next opening does first.
            if (RecoverArchive(CoreState.ArchiveDir)) {
                BuildArchiveDefinition();
                ClearArchiveCommits(CoreState.ArchiveDir);
            }
            const std::string now = files();
            EXPECT_TRUE(now == oldFiles || now == newFiles);
        });
}

// The step after a failure: the job fails at each point and says so; this session and a second
// process then store cards with notes; at the next opening every card acknowledged is there
// and the job's files are whole old (as a job reported undone must be) or whole new.
TEST_F(CategoryReorderTest, NothingStoredAfterAFailedJobIsLost) {
    std::string oldDeclarations, newDeclarations, oldValues, newValues, told;
    const auto reset = [&] {
        Prepare();
        RemoveFile(Archive("not-sch.dat"));
        FieldAttributes[2] = FieldAttributes[3] = 64;
    };
    const auto values = [&] { return ReadBytes(Archive("num-sch.dat")).substr(0, 3 * 100); };
    test::RecordingProgress progress;
    reset();
    test::InstallShippedTexts();  // the refusals and the job's outcome are told in words
    oldDeclarations = ReadBytes(Archive("sig-sch.dat"));
    oldValues = values();
    ReorderMarkedCategories(progress);
    newDeclarations = ReadBytes(Archive("sig-sch.dat"));
    newValues = values();
    // A card named by its text and holding notes that repeat it; nullopt when refused.
    const auto store = [&](const std::string& name) -> std::optional<int32_t> {
        try {
            SmallCard card;
            card.Text(1, name);
            EncodeCardNumber(WriteNotesChain(Archive("not-sch.dat"), 0, name + " note"), card.words[48],
                             card.words[49]);
            return CardFiles::Current().AppendCard(card.text.data(), card.words.data());
        } catch (const IoError& e) {
            EXPECT_FALSE(e.Message().empty()) << "a refusal says why";
            return std::nullopt;
        }
    };
    const auto run = [&] {
        try {
            ReorderMarkedCategories(progress);
        } catch (const IoError& e) {
            told = e.Message();
            throw;
        }
    };
    const auto afterward = [&](const std::string&) {
        std::map<int32_t, std::string> acknowledged;
        for (const char* name : {"s1", "s2"})
            if (const auto card = store(name)) acknowledged[*card] = name;
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int32_t card : {store("p1").value_or(-1), store("p2").value_or(-1)})
                if (::write(pipeEnds[1], &card, sizeof card) != sizeof card) ::_exit(2);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        int32_t card = -1;
        for (const char* name : {"p1", "p2"})
            if (::read(pipeEnds[0], &card, sizeof card) == sizeof card && card >= 0)
                acknowledged[card] = name;
        ::close(pipeEnds[0]);
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

        // The next opening.
        if (RecoverArchive(CoreState.ArchiveDir)) {
            BuildArchiveDefinition();
            ClearArchiveCommits(CoreState.ArchiveDir);
        }
        const std::string declarations = ReadBytes(Archive("sig-sch.dat"));
        EXPECT_TRUE(declarations == oldDeclarations || declarations == newDeclarations);
        EXPECT_EQ(values(), declarations == oldDeclarations ? oldValues : newValues);
        if (told == LoadText(2122)) {
            EXPECT_EQ(declarations, oldDeclarations);
        }
        told.clear();
        const CardFiles files = CardFiles::Current();
        for (const auto& [number, name] : acknowledged) {
            SmallCard card;
            ASSERT_TRUE(files.ReadText(number, card.text.data()) &&
                        files.ReadValues(number, card.words.data()));
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(card.text.data())), name);
            EXPECT_EQ(
                ReadNotesChain(Archive("not-sch.dat"), DecodeCardNumber(card.words[48], card.words[49])),
                name + " note");
        }
        EXPECT_GE(files.ReadLastCard(), acknowledged.empty() ? -1 : acknowledged.rbegin()->first);
    };
    test::ForEachIoFault(reset, run, afterward);
    // Every rename from the nth on fails: the job can be neither done nor undone, so the session
    // turns read-only and no store goes through until the next opening settles the job.
    int readOnly = 0;
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        reset();
        SetArchiveReadOnly(std::string());
        FailIoCallForTest(IoCall::Rename, -n, EIO);
        EXPECT_THROW(run(), IoError);
        ResetIoFaultsForTest();
        if (told == LoadText(2123)) {
            ++readOnly;
            EXPECT_EQ(ArchiveReadOnlyReason(), told);
        }
        afterward("");
    }
    EXPECT_GT(readOnly, 0);
}

TEST_F(CategoryReorderTest, TheNumberOfANonCodedDeclarationIsNotRewritten) {
    Prepare();
    // Field 2 is now declared as a number: its number lands on a declaration without categories.
    std::string changed = kDeclarations;
    changed.replace(changed.find("0021 Colore"), 11, "002Q Colore");
    WriteBytes(Archive("sig-sch.dat"), changed);
    FieldAttributes[2] = 64;
    test::RecordingProgress progress;
    EXPECT_THROW(ReplaceDeclaredCategories(2, {"     001 x"}), IoError);
    EXPECT_EQ(ReadBytes(Archive("sig-sch.dat")), changed);
}

}  // namespace
}  // namespace qv
