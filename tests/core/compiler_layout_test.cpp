// Style and placement passes: letters, running styles, positions and page breaks.
#include "core/compiler_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler_fixture.h"
#include "core/compiler_fields.h"
#include "core/core_state.h"

namespace qv {
namespace {

using namespace test;

const std::string B20(20, ' ');

TextStyle Style(int font, int size, int weight, int italic, int underline, int combined, int r, int g,
                int b) {
    return TextStyle{font, size, weight, italic, underline, combined, r, g, b};
}

TEST(CompilerStyleLetters, LettersApplyToTheRunningStyle) {
    const TextStyle def = ResetTextStyle();
    const TextStyle red = Style(1, 15, 1, 0, 0, 0, 255, 0, 0);
    const TextStyle both = Style(1, 15, 1, 1, 1, 1, 0, 0, 0);
    struct Case {
        const char* line;
        TextStyle running;
        LetterKind kind;
        TextStyle expected;
        int alignment;  // from 1
    } cases[] = {
        {"*T", def, LetterKind::Text, def, 1},
        {"*T courier arial", def, LetterKind::Text, Style(3, 15, 1, 0, 0, 0, 0, 0, 0), 1},
        {"*T roman elvetico", def, LetterKind::Text, Style(5, 15, 1, 0, 0, 0, 0, 0, 0), 1},
        {"*T P G", def, LetterKind::Text, Style(1, 25, 1, 0, 0, 0, 0, 0, 0), 1},
        {"*T M", def, LetterKind::Text, Style(1, 15, 3, 0, 0, 0, 0, 0, 0), 1},
        {"*T M S", def, LetterKind::Text, def, 1},
        {"*T I_", def, LetterKind::Text, both, 1},
        {"*T I_", both, LetterKind::Text, Style(1, 15, 1, 0, 0, 1, 0, 0, 0), 1},
        {"*T I", def, LetterKind::Text, Style(1, 15, 1, 1, 0, 0, 0, 0, 0), 1},
        {"*T RV", def, LetterKind::Text, Style(1, 15, 1, 0, 0, 0, 255, 255, 0), 1},
        {"*T N", red, LetterKind::Text, def, 1},
        {"*T G", red, LetterKind::Text, Style(1, 25, 1, 0, 0, 0, 255, 0, 0), 1},
        {"*T B", red, LetterKind::Text, Style(1, 15, 1, 0, 0, 0, 0, 0, 255), 1},
        {"*T C", def, LetterKind::Text, def, 2},
        {"*T > C <", def, LetterKind::Text, def, 3},
        {"*C C5 G", def, LetterKind::Field, Style(1, 25, 1, 0, 0, 0, 0, 0, 0), 7},
        {"*C P", Style(1, 25, 1, 0, 0, 0, 0, 0, 0), LetterKind::Field, def, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        int alignment = c.kind == LetterKind::Field ? 7 : 1;
        EXPECT_EQ(ParseStyleLetters(c.running, c.line, c.kind, alignment), c.expected);
        EXPECT_EQ(alignment, c.alignment);
    }
}

class CompilerLayout : public test::CompilerFixture {
  protected:
    std::string Run(std::vector<std::string> lines) {
        WriteSource(CrLf(lines));
        CompileRun run;
        CompileCardLayout(run);
        return run.errorList.Text();
    }
};

TEST_F(CompilerLayout, PositionsAndPages) {
    const std::string def = "   1  15   1   0   0   0   0   0   0";
    const std::string big = "   1  25   1   0   0   0   0   0   0";
    struct Case {
        const char* name;
        std::vector<std::string> source;
        std::vector<std::string> layout;
        std::vector<std::string> placement;
    } cases[] = {
        {"title line only", {"*T G"}, {"#Pag 1"}, {}},
        {"letters accumulate per kind",
         {"T", "*T G", "a", "*T", "b"},
         {big, "#Pag 1", "   1   5  45   1" + B20 + "a", "   1   5  75   1" + B20 + "b"},
         {}},
        {"Y100 puts the block below line 100",
         {"T", "*T Y100", "a", "b"},
         {def, "#Pag 1", "   1   5 120   1" + B20 + "a", "   1   5 140   1" + B20 + "b"},
         {}},
        {"a page starts again at the top",
         {"T", "*T X20 C", "a", "b", "*P", "c"},
         {def, "#Pag 1", "   1  20  45   2" + B20 + "a", "   1  20  65   2" + B20 + "b", "#Pag",
          "   1  20  45   2" + B20 + "c"},
         {"#Pag"}},
        {"field before any text", {"T", "*C Q"}, {def, "#Pag 1"}, {"   1 100  40 400" + B20}},
        {"percentage sets the field size",
         {"T", "*C Q G", "*C P Y60 Z250"},
         {big, def, "#Pag 1"},
         {"   1 100  40 400" + B20, "   2 100  60 250" + B20}},
        {"empty lines after commands",
         {"T", "*T", "a", "", "b", "*C Q", "", "*P", "", "*C Q X7"},
         {def, "#Pag 1", "   1   5  45   1" + B20 + "a", "   1   5  65   1" + B20,
          "   1   5  85   1" + B20 + "b", "#Pag"},
         {"   1 100  85 400" + B20 + "b", "#Pag", "   1   7  40 400" + B20 + "b"}},
        {"hidden captions and categories are not shown",
         {"T", "before", "*T", "#Nascosto", "*X", "*C C1", "uno", "*T Y=", "dopo"},
         {def, "#Pag 1", "   1   5  60   1" + B20 + "-", "   1   5  45   1" + B20 + "dopo"},
         {"   1  25  60 395" + B20 + "-"}},
        {"five-digit values shift the line",
         {"T", "*T X12345", "a"},
         {def, "#Pag 1", "   112345  45   1" + B20 + "a"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run(c.source), "");
        EXPECT_EQ(Designed("inf-sch.dat"), CrLf(c.layout));
        EXPECT_EQ(Designed("dat-sch.dat"), CrLf(c.placement));
    }
}

TEST_F(CompilerLayout, TenthStyleIsDrawnInStyleOne) {
    std::vector<std::string> source = {"T"};
    const char* commands[] = {"*T",   "*T courier", "*T arial", "*T modern",  "*T roman",
                              "*T G", "*T modern",  "*T arial", "*T courier", "*T elvetico"};
    char text = 'a';
    for (const char* c : commands) {
        source.push_back(c);
        source.push_back(std::string(1, text++));
    }
    Run(source);
    const std::string layout = Designed("inf-sch.dat");
    const size_t pag = layout.find("#Pag 1\r\n");
    ASSERT_NE(pag, std::string::npos);
    EXPECT_EQ(pag, 9 * 38u);  // nine style lines of 36 characters and CR LF
    EXPECT_NE(layout.find("   9   5 245   1" + B20 + "i\r\n"), std::string::npos);
    EXPECT_NE(layout.find("   1   5 275   1" + B20 + "j\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qv
