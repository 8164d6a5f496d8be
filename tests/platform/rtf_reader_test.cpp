#include "platform/rtf_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/html_text.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

// The output shapes, spelled out once so that the cases below read as text.
std::string P(std::string_view content, std::string_view extra = "") {
    return "<p style=\"margin-top:0;margin-bottom:0;white-space:pre-wrap" + std::string(extra) + "\">" +
           std::string(content) + "</p>";
}
const std::string kEmptyP = "<p style=\"-qt-paragraph-type:empty;margin-top:0;margin-bottom:0\"><br/></p>";
std::string S(std::string_view css, std::string_view text) {
    return "<span style=\"" + std::string(css) + "\">" + std::string(text) + "</span>";
}
const std::string kBold = "font-weight:700";

struct Case {
    const char* name;
    std::string rtf;
    std::string html;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class RtfCases : public ::testing::TestWithParam<Case> {};

TEST_P(RtfCases, Converts) {
    EXPECT_EQ(RtfToHtml(GetParam().rtf), GetParam().html) << GetParam().rtf;
}

std::string Deep(int depth) {
    return std::string(depth, '{') + "\\b x" + std::string(depth, '}') + "y";
}

INSTANTIATE_TEST_SUITE_P(
    Rtf, RtfCases,
    ::testing::Values(
        // Text and paragraphs
        Case{"Plain", "{\\rtf1\\ansi Hello\\par}", P("Hello")},
        Case{"LastParagraphWithoutPar", "{\\rtf1 Hello}", P("Hello")},
        Case{"EmptyDocument", "{\\rtf1\\ansi}", ""}, Case{"LineBreaksIgnored", "{a\r\nb\nc}", P("abc")},
        Case{"EmptyParagraphKept", "{a\\par\\par b}", P("a") + kEmptyP + P("b")},
        Case{"LineAndTab", "{a\\line b\\tab c\td}", P("a<br/>b\tc\td")},
        Case{"BackslashNewlineIsPar", "{a\\\nb}", P("a") + P("b")},
        Case{"PardResetsAlignment", "{\\qc T\\par\\pard L\\par}", P("T", ";text-align:center") + P("L")},
        Case{"AlignmentAtParEnd", "{T\\qr\\par}", P("T", ";text-align:right")},
        // Character formatting
        Case{"BoldDelimiterSpaceEaten", "{\\b bold\\b0  normal}", P(S(kBold, "bold") + " normal")},
        Case{"ZeroForms", "{\\i a\\i0 b\\ul c\\ulnone d\\ul e\\ul0 f}",
             P(S("font-style:italic", "a") + "b" + S("text-decoration:underline", "c") + "d" +
               S("text-decoration:underline", "e") + "f")},
        Case{"GroupRestoresStyle", "{a{\\b b}c}", P("a" + S(kBold, "b") + "c")},
        Case{"PlainResets", "{\\b\\i\\fs30 x\\plain y}",
             P(S("font-size:15pt;font-weight:700;font-style:italic", "x") + "y")},
        Case{"FontSizeHalfPoints", "{\\fs20 a\\fs21 b\\fs c}",
             P(S("font-size:10pt", "a") + S("font-size:10.5pt", "b") + "c")},
        Case{"Colours",
             "{{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}\\cf1 r\\cf2 n\\cf0 d\\cf9 x}",
             P(S("color:#ff0000", "r") + S("color:#000080", "n") + "dx")},
        Case{"Fonts",
             "{\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman{\\*\\panose 0202}Times New Roman;}}"
             "a\\f1 b\\f0 c}",
             P("a" + S("font-family:'Times New Roman'", "b") + "c", ";font-family:'Arial'")},
        Case{"FontTableWithoutEntryGroups", "{{\\fonttbl\\f0 Courier;\\f1 Symbol;}\\f1 s}",
             P(S("font-family:'Symbol'", "s"))},
        // Characters
        Case{"HexCp1252", "{\\'e0\\'E8 \\'80}", P("\xC3\xA0\xC3\xA8 \xE2\x82\xAC")},
        Case{"RawCp1252Byte", "{perch\xE9}", P("perch\xC3\xA9")},
        Case{"Escapes", "{a\\\\b\\{c\\}d}", P("a\\b{c}d")}, Case{"HtmlEscaped", "{<&>}", P("&lt;&amp;&gt;")},
        Case{"NonBreakingSpace", "{a\\~b}",
             P("a\xC2\xA0"
               "b")},
        Case{"OptionalHyphenHidden", "{ab\\-c}", P("abc")},
        Case{"Apostrophe", "{dell\\rquote archivio}",
             P("dell\xE2\x80\x99"
               "archivio")},
        Case{"MalformedHexShowsItsDigit", "{a\\'4", P("a4")},
        Case{"MalformedHexMidText", "{a\\'zzb}", P("azzb")},
        // \u and \uc
        Case{"UnicodeSkipsOneFallback", "{\\u8364?x}",
             P("\xE2\x82\xAC"
               "x")},
        Case{"UnicodeSkipsTwo", "{\\uc2\\u8364??x}",
             P("\xE2\x82\xAC"
               "x")},
        Case{"UnicodeNoFallback", "{\\uc0\\u8364 x}",
             P("\xE2\x82\xAC"
               "x")},
        Case{"UnicodeHexFallback", "{\\u233\\'e9x}",
             P("\xC3\xA9"
               "x")},
        Case{"UnicodeNegative", "{\\u-3?}", P("\xEF\xBF\xBD")},
        Case{"SurrogatePair", "{\\u-10179?\\u-8704?}", P("\xF0\x9F\x98\x80")},
        Case{"LoneHighSurrogate", "{\\u-10179?x}",
             P("\xEF\xBF\xBD"
               "x")},
        Case{"SkipStopsAtGroupEnd", "{{\\uc3\\u8364 a}b}",
             P("\xE2\x82\xAC"
               "b")},
        Case{"UcScopedToGroup", "{{\\uc0\\u8364}\\u8364?x}",
             P("\xE2\x82\xAC\xE2\x82\xAC"
               "x")},
        Case{"ControlWordCountsAsFallback", "{\\u8364\\'80x}",
             P("\xE2\x82\xAC"
               "x")},
        // Skipped destinations and binary data
        Case{"StarDestinations", "{{\\*\\generator Riched20;}{\\*\\unknown a{b}c}x}", P("x")},
        Case{"DocumentDestinations", "{{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}x}", P("x")},
        Case{"PictureHex", "{{\\pict\\wmetafile8 0a0b{}ff}y}", P("y")},
        Case{"BinSkipsBraces", "{{\\pict\\bin4 }{\\}x}y}", P("y")},
        Case{"BinOneByte", "{a\\bin1 }b}", P("ab")}, Case{"BinInText", "{a\\bin3 xyzb}", P("ab")},
        Case{"BinPastEnd", "{a\\bin99 xyz", P("a")}, Case{"BinNegative", "{a\\bin-5 b}", P("ab")},
        // Tolerance
        Case{"UnknownWordsIgnored", "{\\foo12 a\\bar-3 b\\zz c}", P("abc")},
        Case{"LongWordIgnored", "{\\" + std::string(40, 'q') + " x}", P("x")},
        Case{"StrayClosers", "}}a{b", P("ab")},
        Case{"ExtraClosersKeepOuterStyle", "{\\b a}}}c", P(S(kBold, "a") + "c")},
        Case{"Unterminated", "{\\rtf1 abc", P("abc")}, Case{"TrailingBackslash", "{a\\", P("a")},
        Case{"HugeParameter", "{\\fs99999999999999999999 a\\u99999999999?b}",
             P("a\xEF\xBF\xBD"
               "b")},
        Case{"NestingWithinLimit", Deep(100), P(S(kBold, "x") + "y")},
        Case{"NestingBeyondLimitSkipped", Deep(5000), P("y")},
        // Links between pages
        Case{"Hyperlink", "{vedi {\\field{\\*\\fldinst HYPERLINK \"help099.rtf\"}{\\fldrslt la pagina}}.}",
             P("vedi <a href=\"help099.rtf\">la pagina</a>.")},
        Case{"HyperlinkKeepsStyle", "{{\\field{\\*\\fldinst{HYPERLINK \"help099.rtf\"}}{\\fldrslt\\b x}}y}",
             P("<a href=\"help099.rtf\">" + S(kBold, "x") + "</a>y")},
        Case{"OtherFieldShowsItsResult", "{{\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}}", P("3")},
        Case{"UnsafeTargetDropped", "{{\\field{\\*\\fldinst HYPERLINK \"java script:<x>\"}{\\fldrslt x}}}",
             P("x")},
        Case{"InstructionInSkippedGroupStaysSkipped", "{{\\info{\\fldinst HYPERLINK \"x\"}}y}", P("y")}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// --- properties that must hold for any input ---

bool ValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = s[i];
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (int k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

// Tags properly nested (<p> holding <span>s and <a>s, <a> holding <span>s), and no markup character left
// unescaped in text.
bool WellFormed(std::string_view html) {
    std::vector<std::string> open;
    size_t i = 0;
    while (i < html.size()) {
        if (html[i] == '>') return false;
        if (html[i] != '<') {
            ++i;
            continue;
        }
        size_t end = html.find('>', i);
        if (end == std::string_view::npos) return false;
        std::string_view tag = html.substr(i + 1, end - i - 1);
        if (tag.starts_with("p ")) {
            if (!open.empty()) return false;
            open.push_back("p");
        } else if (tag.starts_with("a ")) {
            if (open.size() != 1) return false;
            open.push_back("a");
        } else if (tag.starts_with("span ")) {
            if (open.empty() || open.back() == "span") return false;
            open.push_back("span");
        } else if (tag == "/p" || tag == "/span" || tag == "/a") {
            if (open.empty() || open.back() != tag.substr(1)) return false;
            open.pop_back();
        } else if (tag != "br/") {
            return false;
        }
        i = end + 1;
    }
    return open.empty();
}

void CheckProperties(const std::string& rtf) {
    std::string html = RtfToHtml(rtf);
    ASSERT_TRUE(ValidUtf8(html)) << ::qv::test::ToHex(rtf);
    ASSERT_TRUE(WellFormed(html)) << ::qv::test::ToHex(rtf);
    // Output grows at most by a constant factor, which also bounds the work done.
    ASSERT_LE(html.size(), 200 * rtf.size() + 200) << ::qv::test::ToHex(rtf);
}

const std::vector<std::string> kPlainTokens = {
    "{",           "}",     "\\",          "\\par ", "\\pard",   "\\plain", "\\line",   "\\tab",
    "\\b",         "\\b0",  "\\i",         "\\ul",   "\\ulnone", "\\fs",    "\\cf",     "\\f",
    "\\u",         "\\u-",  "\\uc",        "\\bin",  "\\'",      "\\*",     "\\pict ",  "\\fonttbl",
    "\\colortbl ", "\\red", "\\deff",      ";",      " ",        "-",       "0",        "1",
    "9",           "65535", "99999999999", "e9",     "ab",       "<&>",     "\xE8",     std::string(1, '\0'),
    "\r\n",        "\\~",   "\\\\",        "\\{",    "\\}",      "\\qc",    "\\rquote", "\\info ",
    "\\'f",        "\t"};
// The fields of the links between help pages.
const std::vector<std::string> kFieldTokens = {"\\field", "\\fldinst ", "HYPERLINK ", "\"p\"", "\\fldrslt "};
const std::vector<std::string> kTokens = [] {
    std::vector<std::string> all = kPlainTokens;
    all.insert(all.end(), kFieldTokens.begin(), kFieldTokens.end());
    return all;
}();

TEST(RtfReaderFuzz, RandomTokenStreamsAndMutations) {
    std::mt19937 rng(20240611);
    auto pick = [&rng](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    const std::string seed =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red0\\green0\\blue128;}"
        "\\pard\\plain\\f0\\fs24\\b\\cf1 Titolo\\par\\plain\\fs20 Modalit\\'e0 {\\i corsivo} \\u8364? "
        "{\\pict\\bin3 {}\\}fine\\line riga\\tab x\\par}";
    auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < 3000; ++n) {
        std::string rtf;
        if (n % 3 == 0) {
            // Mutations of a valid page: byte flips, insertions, deletions.
            rtf = seed;
            int edits = 1 + int(pick(8));
            for (int e = 0; e < edits && !rtf.empty(); ++e) {
                size_t at = pick(rtf.size());
                switch (pick(3)) {
                    case 0:
                        rtf[at] = char(pick(256));
                        break;
                    case 1:
                        rtf.insert(at, kTokens[pick(kTokens.size())]);
                        break;
                    default:
                        rtf.erase(at, 1 + pick(4));
                }
            }
        } else if (n % 3 == 1) {
            int count = int(pick(120));
            for (int k = 0; k < count; ++k) rtf += kTokens[pick(kTokens.size())];
        } else {
            size_t len = pick(300);
            for (size_t k = 0; k < len; ++k) rtf.push_back(char(pick(256)));
        }
        ASSERT_NO_FATAL_FAILURE(CheckProperties(rtf));
    }
    // A hang guard, far above the real cost, not a speed measurement.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST(RtfReaderFuzz, PathologicalShapes) {
    const std::vector<std::string> inputs = {
        std::string(200000, '{'),
        std::string(200000, '}'),
        std::string(100000, '\\'),
        [] {
            std::string s;
            for (int k = 0; k < 50000; ++k) s += "{\\b a\\b0 b}";
            return s;
        }(),
        [] {
            std::string s = "{\\uc1000000000";
            for (int k = 0; k < 50000; ++k) s += "\\u8364";
            return s;
        }(),
        "{\\bin2147483647 " + std::string(1000, 'x'),
        "{\\fonttbl\\f0 " + std::string(100000, 'A') + ";}",
        [] {
            std::string s = "{\\colortbl ";
            for (int k = 0; k < 50000; ++k) s += "\\red1;";
            return s + "}";
        }(),
    };
    for (const std::string& rtf : inputs) ASSERT_NO_FATAL_FAILURE(CheckProperties(rtf));
}

// --- the shipped help pages ---

TEST(RtfHelpPages, EveryShippedPageReads) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(QV_SOURCE_DIR) / "data/progdir/help";
    std::vector<int> expected;
    for (int n = 1; n <= 16; ++n) expected.push_back(n);
    expected.push_back(47);
    expected.push_back(68);
    for (int page : expected) {
        char name[32];
        std::snprintf(name, sizeof name, "help%03d.rtf", page);
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    }
    int pages = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".rtf") continue;
        ++pages;
        SCOPED_TRACE(entry.path().filename().string());
        std::string rtf = ::qv::test::ReadBytes(entry.path().string());
        ASSERT_TRUE(rtf.starts_with("{\\rtf1"));
        // Accented letters are written as \'hh, so the files are plain 7-bit bytes.
        for (unsigned char c : rtf) ASSERT_LT(c, 0x80);
        std::string html = RtfToHtml(rtf);
        ASSERT_TRUE(WellFormed(html));
        ASSERT_TRUE(ValidUtf8(html));
        std::string text = test::VisibleText(html);
        EXPECT_GT(text.size(), 40u);
        // Anything RTF the reader did not understand would show as a backslash or a brace.
        EXPECT_EQ(text.find_first_of("\\{}"), std::string::npos) << text;
    }
    EXPECT_GE(pages, int(expected.size()));
}

}  // namespace
}  // namespace qv
