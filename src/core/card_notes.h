#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The free-text notes of the cards: "not-sch.dat" in the archive directory, 104-byte records of
// a 100-byte text piece (ended by a zero byte when shorter) and the little-endian number of the
// next record of the chain (0 = last piece). Record 0 is the header: zero text and the first
// free record. A card's chain starts at its notes head (GetNotesHead, 0 = no notes).

namespace qv {

constexpr int kNotesRecordBytes = 104;
constexpr int kNotesPieceBytes = 100;
constexpr int kNotesTextLimit = 30000;

// The notes whose chain starts at `head` in the notes file at `path`: the pieces in chain order.
// Empty when head < 1 or the file does not open. The walk stops at a record number that is not
// positive, lies past the end of the file or was already visited.
std::string ReadNotesChain(const std::string& path, int32_t head);

// Stores `text` (not empty, no zero byte, at most kNotesTextLimit bytes) as the chain that starts
// at `head`, creating the file with its header when it is missing. The old chain's records are
// rewritten in chain order; when it ends (or loops, or points outside the file) the remaining
// pieces go to free records at the end of the file. Answers the chain's head. Raises IoError.
int32_t WriteNotesChain(const std::string& path, int32_t head, std::string_view text);

// The card in hand: LoadCardNotes rewrites the viewer's staging file ("txt-tab2.imp") with its
// notes; SaveCardNotes stores the staging file's text as its notes and sets its notes head (0
// for an empty text). The head reaches "num-sch.dat" when the card itself is stored.
void LoadCardNotes();
void SaveCardNotes();

}  // namespace qv
