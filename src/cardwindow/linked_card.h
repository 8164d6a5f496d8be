#pragma once
#include <string>

namespace qv {

// "lnk-sch.dat" of the open archive: five lines, each a 10-character label and a value.
struct LinkedArchiveSettings {
    std::string dir;           // the linked archive's directory, ending with '/'
    int wordsPerCard = 0;      // its 16-bit words per card
    int textBytesPerCard = 0;  // its text bytes per card
    int textBytesToCopy = 0;
    int wordsToCopy = 0;
};
// Raises IoError when the file cannot be opened.
LinkedArchiveSettings ReadLinkedArchiveSettings();

// Fills the card in hand from the linked archive's card numbered by the card's first word
// (counting from 1): its first text bytes into the card's text from byte 1, its first words
// into the card's words from word 2. The card's notes head (its last two words) is never
// overwritten. Sets CoreState.OtherArchiveDir and CoreState.FirstCardWord. Raises IoError when
// a file cannot be opened; what was copied before stays.
void ImportLinkedCard();

}  // namespace qv
