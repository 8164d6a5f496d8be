#pragma once
#include <cstdint>
#include <string>

#include "support/temp_dir.h"

// A small archive in a fresh directory (program and archive directory alike) for the print
// mask and list tests. Cards are 50 text bytes and 50 words; the notes head takes words 49-50.
//   1 text of 10 at byte 1     4 municipality, word 5    7 percentage, word 8
//   2 category, word 1,        5 16-bit number, word 6   8 32-bit number, words 9-10
//     labels celibe, sposato,  6 time-like, word 7       9 text of 5 at byte 11
//     vedovo (records 1..3)
//   3 date, words 2-4
// Municipalities: 1 ROMA, 2 MILANO, 3 ABANO TERME.
namespace qv::test {

class MaskArchive {
  public:
    MaskArchive();
    ~MaskArchive();
    const std::string& Dir() const { return dir_.Path(); }
    std::string operator/(const std::string& name) const { return dir_ / name; }

    // Empties the card in hand: blank text, empty numbers, no notes.
    void Blank();
    void Name(const std::string& text);   // field 1
    void Short(const std::string& text);  // field 9
    void Category(int code);              // field 2
    void Date(int day, int month, int year);
    void Comune(int code);       // field 4
    void Number(int16_t v);      // field 5
    void Time(int16_t v);        // field 6
    void Percentage(int16_t v);  // field 7
    void Number32(int32_t v);    // field 8
    void Notes(const std::string& text);
    // Writes the card in hand as card `card` and raises CoreState.LastCard to it.
    void Store(int32_t card);
    // Marks card `card` in the selection.
    static void Select(int32_t card);

  private:
    TempDir dir_;
};

}  // namespace qv::test
