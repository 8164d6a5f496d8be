#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "cardwindow/name_index.h"

// Municipalities typed by name (card entry, search form, import). Names are compared on a key:
// Windows-1252 letters with their case and accents folded ("mondovi" is "Mondovì"), every run
// of blanks and apostrophes one blank, none at either end ("sant agata" is "Sant'Agata", "vo"
// is "Vo'"), cut to 30 characters. A name whose key equals the text's wins over names that
// merely begin with it; a text that leaves several municipalities is never decided here.

namespace qv {

// Windows-1252 letters with their case and accents folded: a-z upper case, an accented letter
// its plain upper-case letter; everything else as it is.
std::string FoldLetters(std::string_view text);
// The same into `folded`, whose room is reused from call to call.
void FoldLetters(std::string_view text, std::string& folded);
// The comparison key of a name or of a typed text.
std::string ComuneNameKey(std::string_view name);

// The names of codes 1..TerritoryCount from "cmn-zor2.dat" (program directory), read once and
// kept sorted by key, for a run that looks up many names. Raises the input/output error when
// the file cannot be read or holds fewer names than the territory has.
class ComuneNameTable {
  public:
    ComuneNameTable();
    // The index points into the table's own keys.
    ComuneNameTable(const ComuneNameTable&) = delete;
    ComuneNameTable& operator=(const ComuneNameTable&) = delete;
    ComuneNameTable(ComuneNameTable&&) = default;
    ComuneNameTable& operator=(ComuneNameTable&&) = default;

    // The codes the text stands for, ascending: those whose key equals the text's, else those
    // whose key begins with it. Empty for no match and for a text without a key (an emptied
    // field holds no municipality); more than one code is an ambiguous text.
    std::vector<int> Matches(std::string_view text) const;
    // The same into `found`, whose room is reused from call to call.
    void Matches(std::string_view text, std::vector<int>& found) const;
    // The name stored for a code; empty outside 1..TerritoryCount.
    std::string Name(int code) const;

  private:
    struct Entry {
        std::string key;
        int code;
    };
    std::vector<std::string> names_;  // code c at c - 1
    std::vector<Entry> sorted_;       // by key, then code; codes without a name left out
    NameIndex whole_;                 // by key: the code, or minus the place of the first (see there)
};

// One lookup with the table read for it (card entry).
std::vector<int> FindComuni(std::string_view text);

// The lines of the choice among several municipalities: each name with its province from
// "ini-prov.imp" in brackets ("Samone (Torino)"), in the order of `codes`.
std::vector<std::string> ComuneChoiceItems(const std::vector<int>& codes);

}  // namespace qv
