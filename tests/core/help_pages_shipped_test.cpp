// Every help button must find its page among the shipped ones, and every page must read as plain text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/help_page.h"
#include "platform/cp1252.h"
#include "platform/rtf_reader.h"
#include "support/html_text.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

const fs::path kHelpDir = fs::path(QV_SOURCE_DIR) / "data/progdir/help";

// The pages the program opens, with the window whose help button opens each.
struct OpenedPage {
    int page;
    const char* window;
};

const OpenedPage kOpenedPages[] = {
    // The card window's "?" button opens the page of its mode (1 to 16).
    {1, "card window, entry"},
    {2, "card window, search"},
    {3, "card window, attribution"},
    {4, "card window, pointer"},
    {5, "card window, tab stops"},
    {6, "card window, quick entry"},
    {7, "card window, code 1 fields"},
    {8, "card window, mode 8"},
    {9, "card window, fields to clear"},
    {10, "card window, mode 10"},
    {11, "card window, mode 11"},
    {12, "card window, selection"},
    {13, "card window, field order"},
    {14, "card window, list"},
    {15, "card window, record positions"},
    {16, "card window, recoding"},
    {18, "Tafc"},
    {19, "TAfcModalita"},
    {20, "TApriRicerca"},
    {21, "TArchivio"},
    {23, "TAzzeraRicerca"},
    {24, "TCancella"},
    {25, "TColMaxSim"},
    {26, "TColonne"},
    {28, "TConnessioni"},
    {29, "TCopia"},
    {30, "about box"},
    {31, "main menu, features"},
    {32, "TEditS2, page size"},
    {33, "TDoppie"},
    {35, "TElaborazioni"},
    {36, "TElabVeloci"},
    {37, "TElabVelociAFC"},
    {38, "TElabVelociAggiungi"},
    {39, "TElabVelociDoppie"},
    {40, "TElabVelociGriglia"},
    {41, "TElabVelociLink"},
    {42, "TElabVelociListe"},
    {43, "TElabVelociPrepara"},
    {44, "TElabVelociReports"},
    {45, "TElabVelociSeleziona"},
    {46, "TElabVelociSemplici"},
    {47, "TEsegue"},
    {48, "TEsegueCollettiva"},
    {49, "TEsegueLista"},
    {50, "TEtichette"},
    {51, "TGriglie"},
    {52, "indicators"},
    {53, "TInputDati"},
    {55, "TListaMerge"},
    {56, "TListaModalita"},
    {57, "TListaTerritoriale"},
    {58, "TMaxSim"},
    {59, "TMerge"},
    {60, "TNoGriglia"},
    {61, "TNumeroScheda"},
    {63, "TOpzioniStampa"},
    {64, "TOpzioniStampaCartina"},
    {66, "TOrdinamento"},
    {67, "TOutTot"},
    {68, "TPassWord"},
    {69, "TPesi"},
    {70, "TQualitativi"},
    {71, "TQuantitativa"},
    {72, "TQuantitativeElab"},
    {73, "TQuantitativi"},
    {74, "TQuantModalita"},
    {75, "range check"},
    {76, "TRicData"},
    {77, "TRicercaSchede"},
    {78, "TRicModalita"},
    {79, "TRicodifica"},
    {80, "TRicQuantita"},
    {81, "TRighe"},
    {82, "TOpzioni2, rescale"},
    {83, "TSalvaRicerca"},
    {84, "TSceltaModalita"},
    {85, "TSelezionaMaschera"},
    {87, "TSemplici"},
    {88, "TStampe"},
    {89, "TUnita"},
    {90, "TVedeAFC"},
    {91, "TVedeCartina"},
    {92, "TVedeTabella"},
    {93, "TConfigura2, optimisations"},
    {94, "TConfigura2, settings"},
    {95, "TConfigura2, field positions"},
    {96, "TConfigura2"},
    {97, "TEditS2"},
    {98, "TEditS2, folder"},
    {99, "TEditS2, card source"},
    {100, "TEditS2, create and compile"},
    {101, "TEditS2, archive list"},
    {107, "TEmail"},
    {108, "TEmail, settings"},
    {109, "TEmail, message"},
    {110, "TEmail, sending"},
    {111, "TOpzioni2"},
    {112, "TOpzioni2, legend"},
    {113, "TOpzioni2, display"},
    {114, "TOpzioni2, territory"},
    {115, "TOpzioni2, zoom"},
    {116, "TOpzioni2, files"},
    {117, "TOpzioni2, print"},
};

fs::path PagePath(int page) {
    char name[32];
    std::snprintf(name, sizeof name, "help%03d.rtf", page);
    return kHelpDir / name;
}

// Every page a window opens is shipped; what every shipped page holds is checked with the RTF
// reader.
TEST(HelpPagesShipped, EveryOpenedPageIsShipped) {
    for (const auto& [page, window] : kOpenedPages)
        EXPECT_TRUE(fs::exists(PagePath(page))) << page << " " << window;
}

// Every link between pages leads to a shipped page, and the designer's pages lead to the page
// that explains the card-definition language.
TEST(HelpPagesShipped, LinksLeadToShippedPages) {
    const std::regex href("<a href=\"([^\"]*)\"");
    std::set<int> linkingTo99;
    for (const auto& entry : fs::directory_iterator(kHelpDir)) {
        const std::string html = RtfToHtml(test::ReadBytes(entry.path().string()));
        for (std::sregex_iterator it(html.begin(), html.end(), href), end; it != end; ++it) {
            const int page = HelpPageOfLink((*it)[1].str());
            EXPECT_TRUE(page > 0 && fs::exists(PagePath(page)))
                << entry.path().filename() << " -> " << (*it)[1];
            if (page == 99) linkingTo99.insert(std::stoi(entry.path().filename().string().substr(4, 3)));
        }
    }
    EXPECT_EQ(linkingTo99, (std::set<int>{32, 97, 98, 100, 101}));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The designer's page on the card definition names every error the compiler can list, shows
// an example of every field type, and takes its examples from the sample archive's definition.
TEST(HelpPagesShipped, DefinitionLanguagePageCoversTheCompiler) {
    const std::string html = RtfToHtml(test::ReadBytes(PagePath(99).string()));
    const std::string text = test::VisibleText(html);
    const std::vector<std::string> table = Lines(test::ReadBytes(QV_SOURCE_DIR "/data/progdir/sigle.imp"));
    std::vector<std::string> errors = {"coordianta X non inserita", "coordianta Y non inserita"};
    for (int n = 454; n <= 467; ++n) {
        std::string message = Cp1252ToUtf8(table.at(n - 1));
        // The list prints them as ", text -> line": the words between are what a person reads.
        const size_t start = message.find_first_not_of(", ");
        const size_t stop = message.find_first_of("(>\"");
        message = message.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
        while (!message.empty() && (message.back() == ' ' || message.back() == '-' || message.back() == ':'))
            message.pop_back();
        errors.push_back(message);
    }
    for (const std::string& e : errors) EXPECT_NE(text.find(e), std::string::npos) << "error text: " << e;
    for (const char* example :
         {"*C A40", "*C C1", "*C C3,3", "*C D ", "*C L ", "*C O ", "*C P ", "*C Q ", "*C F ", "*C T ",
          "*C C1 #1", "*P", "Y=", "#Titolo", "elvetico", "courier", "arial", "modern", "roman"})
        EXPECT_NE(text.find(example), std::string::npos) << example;

    const std::vector<std::string> sample =
        Lines(test::ReadBytes(QV_SOURCE_DIR "/data/progdir/Pianalto/scheda.txt"));
    const std::regex example(
        R"(<p style="[^"]*"><span style="font-family:'Courier New'[^"]*">([^<]*)</span></p>)");
    int examples = 0;
    for (std::sregex_iterator it(html.begin(), html.end(), example), end; it != end; ++it, ++examples) {
        std::string line = (*it)[1].str();
        for (const auto& [entity, c] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}})
            for (size_t at; (at = line.find(entity)) != std::string::npos;)
                line.replace(at, std::strlen(entity), c);
        if (line == "...") continue;
        EXPECT_NE(std::find(sample.begin(), sample.end(), line), sample.end())
            << "not in the sample: " << line;
    }
    EXPECT_GT(examples, 20);
}

// Pages and captions that describe a folder or a menu say what the program does today.
TEST(HelpPagesShipped, PagesAndTextsSayWhatTheProgramDoesToday) {
    const auto page = [](int n) {
        return test::VisibleText(RtfToHtml(test::ReadBytes(PagePath(n).string())));
    };
    const std::vector<std::string> table = Lines(test::ReadBytes(QV_SOURCE_DIR "/data/progdir/sigle.imp"));
    const struct {
        std::string text;
        const char* present;
        const char* absent;
    } cases[] = {
        {page(98), "/home/utente/archivi/nuovo/", "36 caratteri"},
        {page(108), "menu principale Elaborazioni, voce Invio posta elettronica (E-mail)", "C:\\"},
        {Cp1252ToUtf8(table.at(403 - 1)), "/home/utente/archivi/nuovo/", "C:\\"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(c.text.find(c.present), std::string::npos) << c.text;
        EXPECT_EQ(c.text.find(c.absent), std::string::npos) << c.text;
    }
}

// A help button added later with a literal page number must come with its page.
TEST(HelpPagesShipped, EveryLiteralPageInTheSourcesIsListed) {
    std::set<int> listed;
    for (const auto& entry : kOpenedPages) listed.insert(entry.page);

    // kHelpPage = 79, kListHelpPage = 56, helpPage_ = 81, kHelpGeneral = 107, kZoomHelp = 115,
    // ShowHelpPage(this, 93), OpenHelpPage(this, 71).
    const std::regex named(
        R"(\b(?:\w*HelpPage|helpPage_|kHelp(?:General|Settings|Message|Sending)|k\w+Help)\s*=\s*(\d+)\b)");
    const std::regex called(R"((?:Show|Open)HelpPage\(\s*this\s*,\s*(\d+)\s*\))");
    int found = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(QV_SOURCE_DIR) / "src")) {
        if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
        std::ifstream in(entry.path());
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string source = buffer.str();
        for (const std::regex* pattern : {&named, &called}) {
            for (std::sregex_iterator it(source.begin(), source.end(), *pattern), end; it != end; ++it) {
                const int page = std::stoi((*it)[1].str());
                if (page < 1 || page > 999) continue;
                ++found;
                EXPECT_TRUE(listed.count(page)) << entry.path().filename() << ": page " << page;
            }
        }
    }
    EXPECT_GT(found, 60);
}

}  // namespace
}  // namespace qv
