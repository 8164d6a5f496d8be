// Builds the sample archive "Pianalto" of the shipped program directory: compiles its card
// definition with the program's own compiler and stores a few hundred made-up residents through
// the program's own card store, so that the archive always matches the current code.
//
//   make_sample_archive SCHEDA.TXT ARCHIVE_DIR SCRATCH_PROGRAM_DIR [CMN-ZOR2.DAT]
//
// The compile run writes its error list and designer folder into the scratch program directory.
// When the municipality names are given, every code used on the cards must carry its name there.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/compile_run.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "platform/file_io.h"
#include "platform/io_error.h"

namespace {

using namespace qv;

constexpr int kCardCount = 420;
constexpr uint32_t kSeed = 19990521;

// Field numbers of the sample definition.
enum Field {
    kName = 1,
    kPhone,
    kSex,
    kBirth,
    kComune,
    kMarital,
    kStudy,
    kSpouseStudy,
    kHousehold,
    kIncome,
    kWork,
    kYearsHere,
    kTransport1,
    kTransport2,
    kTransport3,
    kLeaveTime,
    kHousingShare,
    kOpinion,
    kFieldCount = kOpinion
};

struct Comune {
    int code;          // position in the common territorial list
    const char* name;  // Windows-1252, as in "cmn-zor2.dat"
    int weight;
    const char* prefix;  // telephone district
};

const Comune kComuni[] = {
    {557, "Cuneo", 60, "0171"},        {484, "Alba", 40, "0173"},
    {510, "Bra", 35, "0172"},          {568, "Fossano", 30, "0172"},
    {682, "Saluzzo", 28, "0175"},      {694, "Savigliano", 25, "0172"},
    {609, "Mondov\xec", 25, "0174"},   {506, "Borgo San Dalmazzo", 14, "0171"},
    {515, "Busca", 12, "0171"},        {658, "Racconigi", 12, "0172"},
    {546, "Cherasco", 10, "0172"},     {561, "Dronero", 9, "0171"},
    {545, "Ceva", 7, "0174"},          {560, "Dogliani", 6, "0173"},
    {500, "Bene Vagienna", 5, "0172"}, {523, "Carr\xf9", 5, "0173"},
    {584, "La Morra", 4, "0173"},      {494, "Barolo", 3, "0173"},
    {268, "Torino", 10, "011"},        {733, "Asti", 5, "0141"},
};

const char* kSurnames[] = {
    "Rossi",   "Bianchi",  "Ferrero",    "Giordano", "Bruno",      "Gallo",   "Ghione",  "Olivero",
    "Barale",  "Dalmasso", "Viale",      "Bertola",  "Cavallo",    "Bonetto", "Revelli", "Tallone",
    "Garelli", "Rinaudo",  "Armando",    "Ribero",   "Costamagna", "Marengo", "Serra",   "Fissore",
    "Giraudo", "Mondino",  "Pellegrino", "Testa",    "Morra",      "Audisio", "Cravero", "Sacchetto"};
const char* kMaleNames[] = {"Giuseppe", "Giovanni", "Francesco",  "Luigi",  "Mario",   "Pietro",
                            "Carlo",    "Michele",  "Andrea",     "Marco",  "Paolo",   "Stefano",
                            "Luca",     "Matteo",   "Alessandro", "Davide", "Giorgio", "Lorenzo"};
const char* kFemaleNames[] = {"Maria",     "Anna",  "Giuseppina", "Teresa", "Lucia",    "Margherita",
                              "Rosa",      "Elena", "Paola",      "Laura",  "Giulia",   "Chiara",
                              "Francesca", "Sara",  "Silvia",     "Marta",  "Federica", "Alessia"};

// A fixed generator whose numbers do not depend on the standard library's distributions.
class Dice {
  public:
    explicit Dice(uint32_t seed) : engine_(seed) {}
    int Below(int n) { return int(engine_() % uint32_t(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(int(N))];
    }
    // An index into `weights` drawn in proportion to them.
    int Weighted(const std::vector<int>& weights) {
        int total = 0;
        for (int w : weights) total += w;
        int r = Below(total);
        for (size_t i = 0; i < weights.size(); ++i) {
            if (r < weights[i]) return int(i);
            r -= weights[i];
        }
        return int(weights.size()) - 1;
    }

  private:
    std::mt19937 engine_;
};

void PutText(int field, const std::string& text) {
    const int length = TypeOfField(field).TextWidth();
    const int offset = FieldTextOffsets[field];
    for (int i = 0; i < length && i < int(text.size()); ++i) CurrentCardText[offset + i] = uint8_t(text[i]);
}

void PutWord(int field, int value) {
    CurrentCardValues[FieldPositions[field]] = uint16_t(value);
}

const Comune& PickComune(Dice& dice) {
    std::vector<int> weights;
    for (const Comune& c : kComuni) weights.push_back(c.weight);
    return kComuni[dice.Weighted(weights)];
}

// One made-up resident, surveyed in the year 2006.
void FillCard(Dice& dice) {
    ClearCardFields(1, CoreState.FieldCount);
    const bool male = dice.Chance(48);
    const int birthYear = 2006 - dice.Weighted({0, 9, 14, 17, 17, 16, 14, 13}) * 10 - dice.Below(10);
    const int age = 2006 - birthYear;
    const Comune& comune = PickComune(dice);

    PutText(kName, std::string(dice.Pick(kSurnames)) + " " +
                       (male ? dice.Pick(kMaleNames) : dice.Pick(kFemaleNames)));
    if (dice.Chance(85)) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%06d", dice.Between(0, 999999));
        PutText(kPhone, std::string(comune.prefix) + " " + digits);
    }
    PutWord(kSex, male ? 1 : 2);
    const int birthWord = FieldPositions[kBirth];
    CurrentCardValues[birthWord] = uint16_t(dice.Between(1, 28));
    CurrentCardValues[birthWord + 1] = uint16_t(dice.Between(1, 12));
    CurrentCardValues[birthWord + 2] = uint16_t(birthYear - 1900);
    PutWord(kComune, comune.code);

    int marital = 1;
    if (age >= 25) marital = 1 + dice.Weighted({20, 60, 5, 6, age > 60 ? 25 : 3});
    PutWord(kMarital, marital);
    const std::vector<int> study =
        age > 60 ? std::vector<int>{6, 45, 28, 15, 6} : std::vector<int>{1, 6, 30, 43, 20};
    PutWord(kStudy, 1 + dice.Weighted(study));
    if (marital == 2) PutWord(kSpouseStudy, 1 + dice.Weighted(study));
    PutWord(kHousehold, marital == 2 ? dice.Between(2, 6) : dice.Between(1, 4));
    if (dice.Chance(80)) PutCardNumber(dice.Between(90, 900) * 100, kIncome);

    int work;
    if (age < 25)
        work = dice.Chance(70) ? 3 : 1 + dice.Weighted({60, 40});
    else if (age >= 65)
        work = dice.Chance(85) ? 5 : 1 + dice.Weighted({10, 0, 0, 70, 0, 20});
    else
        work = 1 + dice.Weighted({72, 8, 0, 12, 3, 5});
    PutWord(kWork, work);
    PutWord(kYearsHere, dice.Between(0, age));

    // Up to three different means of transport, in the order first named.
    const int means = 1 + dice.Weighted({50, 35, 15});
    int chosen[3] = {0, 0, 0};
    for (int i = 0; i < means; ++i) {
        int m;
        do {
            m = 1 + dice.Weighted({age < 18 || age > 85 ? 5 : 55, 15, 10, 10, 12, 4});
        } while (m == chosen[0] || m == chosen[1]);
        chosen[i] = m;
        PutWord(kTransport1 + i, m);
    }
    if (work == 1 || work == 3) PutWord(kLeaveTime, dice.Between(6, 9) * 100 + dice.Below(12) * 5);
    PutWord(kHousingShare, dice.Chance(90) ? dice.Between(500, 4500) : kEmptyWord);
    PutWord(kOpinion, 1 + dice.Weighted({8, 35, 33, 17, 7}));
}

bool NamesMatch(const std::string& namesFile) {
    const auto table = TryReadFile(namesFile);
    if (!table) return true;  // no table to check against
    bool ok = true;
    for (const Comune& c : kComuni) {
        const size_t at = size_t(c.code - 1) * 38;
        const std::string stored =
            at + 38 <= table->size() ? table->substr(at + 1, uint8_t((*table)[at])) : std::string();
        if (stored != c.name) {
            std::fprintf(stderr, "code %d is \"%s\" in %s, not \"%s\"\n", c.code, stored.c_str(),
                         namesFile.c_str(), c.name);
            ok = false;
        }
    }
    return ok;
}

class ToolHost : public CompileRunHost {
  public:
    bool ConfirmEraseCards() override { return true; }
    void ShowErrorList() override {
        const auto list = TryReadFile(DataFilePath(data_file::kReport));
        std::fprintf(stderr, "the sample definition does not compile:\n%s\n", list ? list->c_str() : "");
    }
    void ShowStatus(StatusBox, int) override {}
};

int Build(const std::string& source, std::string archiveDir, std::string scratchDir,
          const std::string& names) {
    namespace fs = std::filesystem;
    if (archiveDir.back() != '/') archiveDir += '/';
    if (scratchDir.back() != '/') scratchDir += '/';
    if (!NamesMatch(names)) return 1;
    fs::remove_all(archiveDir);
    fs::remove_all(scratchDir);
    fs::create_directories(archiveDir);
    fs::create_directories(scratchDir);
    fs::copy_file(source, archiveDir + "scheda.txt");

    ResetProgramState();
    CoreState.ProgramDir = scratchDir;
    CoreState.StationNumber = "000";
    CoreState.WriteAccess = 1;
    CoreState.PageWidth = 640;
    CoreState.PageHeight = 480;
    ToolHost host;
    const CompileRunResult result = RunCompile(archiveDir, true, host);
    if (!result.ran || result.errors) return 1;
    if (CoreState.ArchiveDir != archiveDir || CoreState.FieldCount != kFieldCount) {
        std::fprintf(stderr, "the sample archive did not open (%d fields)\n", CoreState.FieldCount);
        return 1;
    }

    Dice dice(kSeed);
    const CardFiles cards = CardFiles::Current();
    for (int i = 0; i < kCardCount; ++i) {
        FillCard(dice);
        CoreState.LastCard = cards.AppendCard(&CurrentCardText[1], &CurrentCardValues[1]);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SCHEDA.TXT ARCHIVE_DIR SCRATCH_PROGRAM_DIR [CMN-ZOR2.DAT]\n",
                     argv[0]);
        return 2;
    }
    try {
        return Build(argv[1], argv[2], argv[3], argc > 4 ? argv[4] : "");
    } catch (const qv::IoError& e) {
        std::fprintf(stderr, "input/output error %d: %s\n", e.Code(), e.Path().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
