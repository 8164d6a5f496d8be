// Checks the shipped text table "sigle.imp" against the captions, hints and messages whose wording is
// fixed (tests/fixtures/quoted_texts.tsv: number, a tab, the text in UTF-8).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cp1252.h"
#include "platform/text_file.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

const std::string kSigle = QV_SOURCE_DIR "/data/progdir/sigle.imp";
const std::string kQuoted = QV_SOURCE_DIR "/tests/fixtures/quoted_texts.tsv";

struct QuotedText {
    int number = 0;
    std::string utf8;
};

std::vector<QuotedText> ReadQuotedTexts() {
    std::ifstream in(kQuoted, std::ios::binary);
    EXPECT_TRUE(in) << kQuoted;
    std::vector<QuotedText> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        size_t tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << line;
        if (tab == std::string::npos) continue;
        out.push_back({std::stoi(line.substr(0, tab)), line.substr(tab + 1)});
    }
    return out;
}

std::vector<std::string> SigleLines() {
    auto lines = TextReader::ReadLines(kSigle, 255);
    EXPECT_TRUE(lines.has_value()) << kSigle;
    return lines.value_or(std::vector<std::string>{});
}

TEST(TextTableData, EveryQuotedTextStandsOnItsLine) {
    std::vector<QuotedText> quoted = ReadQuotedTexts();
    std::vector<std::string> lines = SigleLines();
    ASSERT_GT(quoted.size(), 200u);
    std::set<int> seen;
    for (const QuotedText& q : quoted) {
        EXPECT_TRUE(seen.insert(q.number).second) << "text " << q.number << " listed twice";
        ASSERT_GE(q.number, 1);
        ASSERT_LE(static_cast<size_t>(q.number), lines.size()) << "text " << q.number << " missing";
        std::string expected = Utf8ToCp1252(q.utf8);
        // '?' stands for a character without a Windows-1252 byte: none may be lost on the way.
        EXPECT_EQ(std::count(expected.begin(), expected.end(), '?'),
                  std::count(q.utf8.begin(), q.utf8.end(), '?'))
            << "text " << q.number;
        EXPECT_EQ(lines[q.number - 1], expected) << "text " << q.number;
    }
}

TEST(TextTableData, AccentedTextsAreWindows1252Bytes) {
    std::vector<std::string> lines = SigleLines();
    ASSERT_GE(lines.size(), 1261u);
    // "più" in the search options: u with grave accent is byte F9, one byte.
    EXPECT_EQ(lines[1261 - 1], "sequenziale di una o pi\xF9 condizioni");
}

TEST(TextTableData, FileIsCrLfLinesThatFitARecord) {
    std::string bytes = test::ReadBytes(kSigle);
    ASSERT_FALSE(bytes.empty());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "last line without line end";
    EXPECT_EQ(bytes.find('\x1A'), std::string::npos) << "byte 26 would end the table early";
    size_t start = 0;
    int lineNo = 0;
    while (start < bytes.size()) {
        ++lineNo;
        size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "line " << lineNo << " does not end with CR LF";
        std::string_view line(bytes.data() + start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string_view::npos) << "stray CR or LF in line " << lineNo;
        EXPECT_LE(line.size(), 255u) << "line " << lineNo << " longer than a record";
        start = end + 2;
    }
    EXPECT_EQ(static_cast<size_t>(lineNo), SigleLines().size());
}

TEST(TextTableData, MainMenuAndModeTitlesAreFilled) {
    std::vector<std::string> lines = SigleLines();
    std::vector<int> used;
    for (int n = 1; n <= 27; ++n)
        if (n != 23) used.push_back(n);  // the menu captions (23 belongs to no item)
    for (int n : {59, 60}) used.push_back(n);
    for (int mode = 1; mode <= 16; ++mode) used.push_back(33 + mode);
    for (int n : used) {
        ASSERT_LE(static_cast<size_t>(n), lines.size());
        EXPECT_FALSE(lines[n - 1].empty()) << "text " << n;
    }
}

// The program's own texts (1501-2499) are numbered by constants in the code. A block of the table
// that slid by a line (as a merge of the long empty runs can make it) leaves a named text empty
// and a written text unnamed; both are caught here.
TEST(TextTableData, OwnTextsStandOnTheNumbersTheCodeNames) {
    const std::vector<std::string> lines = SigleLines();
    ASSERT_EQ(lines.size(), 2499u);
    std::set<int> named;  // numbers of the range on a constant's line
    std::set<int> mentioned;
    const std::regex number(R"(\b(1[5-9]|2[0-4])[0-9][0-9]\b)");
    const std::set<std::string> notTexts = {
        "kLastOwnText", "kRecodingMaxOld", "kRecodingTableSize", "kMaxReorderCategories",
        "kWantedSlots", "kTimeLimit",      "kBlockCards"};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(QV_SOURCE_DIR "/src")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            const bool constant = line.find("constexpr") != std::string::npos &&
                                  std::none_of(notTexts.begin(), notTexts.end(), [&](const std::string& n) {
                                      return line.find(n) != std::string::npos;
                                  });
            for (std::sregex_iterator it(line.begin(), line.end(), number), end; it != end; ++it) {
                const int n = std::stoi(it->str());
                mentioned.insert(n);
                if (constant) named.insert(n);
            }
        }
    }
    for (int n : named) EXPECT_FALSE(lines[size_t(n) - 1].empty()) << "text " << n << " is named but empty";
    for (int n = 1501; n <= 2499; ++n)
        if (!lines[size_t(n) - 1].empty()) {
            EXPECT_TRUE(mentioned.count(n)) << "text " << n << " is written but unnamed";
        }
}

TEST(TextTableData, SecondaryTableShipsEmpty) {
    std::ifstream in(QV_SOURCE_DIR "/data/progdir/sig-dat.imp", std::ios::binary);
    ASSERT_TRUE(in) << "start-up requires sig-dat.imp";
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
}

}  // namespace
}  // namespace qv
