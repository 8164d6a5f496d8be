#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"

namespace qv {
namespace {

std::vector<std::string> Lines(const std::string& bytes, size_t width = 255) {
    TextReader r(bytes);
    std::vector<std::string> out;
    while (!r.Eof()) out.push_back(r.ReadLine(width));
    return out;
}

using V = std::vector<std::string>;

TEST(TextReader, LineEndRules) {
    struct Case {
        const char* name;
        std::string bytes;
        V lines;
    } cases[] = {
        {"cr lf", "ab\r\ncd\r\n", {"ab", "cd"}},
        {"cr alone", "ab\rcd\r", {"ab", "cd"}},
        {"last line without end", "ab\r\ncd", {"ab", "cd"}},
        {"empty lines", "\r\n\r\nx\r\n", {"", "", "x"}},
        {"lone lf ordinary after a cr", "a\r\nb\nc\r\n", {"a", "b\nc"}},
        {"lf file ends every line at lf", "a\nb\nc", {"a", "b", "c"}},
        {"lf file still ends at cr", "a\nb\r\nc\n", {"a", "b", "c"}},
        {"byte 26 ends the file",
         "a\r\nb\x1A"
         "c\r\nd\r\n",
         {"a", "b"}},
        {"byte 26 first",
         "\x1A"
         "abc",
         {}},
        {"empty file", "", {}},
        {"windows-1252 bytes kept", "caf\xE9\r\n\x80\r\n", {"caf\xE9", "\x80"}},
        {"lf after byte 26 decides nothing", "ab\x1A\n", {"ab"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Lines(c.bytes), c.lines) << c.name;
}

TEST(TextReader, OverlongLinesAreCutAndTheRestSkipped) {
    std::string longLine(300, 'x');
    longLine[254] = 'A';
    longLine[255] = 'B';
    V lines = Lines(longLine + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 255u);
    EXPECT_EQ(lines[0].back(), 'A');
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(Lines("abcdef\r\ngh", 3), (V{"abc", "gh"}));
}

TEST(TextReader, ReadCharsStaysOnTheLine) {
    TextReader r(std::string("abcdef\r\nxyz\r\n"));
    EXPECT_EQ(r.ReadChars(2), "ab");
    EXPECT_EQ(r.ReadChars(2), "cd");
    r.SkipLine();
    EXPECT_EQ(r.ReadLine(), "xyz");
    EXPECT_TRUE(r.Eof());
}

TEST(TextReader, MissingFileCountsAsAbsent) {
    test::TempDir dir;
    TextReader r;
    EXPECT_FALSE(r.Open(dir / "missing.txt"));
    EXPECT_FALSE(TextReader::ReadLines(dir / "missing.txt").has_value());
}

TEST(TextBuilder, WritesCrLfLines) {
    test::TempDir dir;
    TextBuilder b;
    b.Line("Mancano").Line().Put("x").Line("y");
    b.Save(dir / "out.txt");
    EXPECT_EQ(test::ReadBytes(dir / "out.txt"), "Mancano\r\n\r\nxy\r\n");
}

}  // namespace
}  // namespace qv
