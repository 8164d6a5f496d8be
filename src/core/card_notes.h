#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The free-text notes of the cards: "not-sch.dat" in the archive directory, 104-byte records of
// a 100-byte text piece (ended by a zero byte when shorter) and the little-endian number of the
// next record of the chain (0 = last piece). Record 0 is the header: zero text and the first
// free record. A card's chain starts at its notes head (GetNotesHead, 0 = no notes).

namespace qv {

constexpr int kNotesRecordBytes = 104;
constexpr int kNotesPieceBytes = 100;
constexpr int kNotesTextLimit = 30000;

// The notes whose chain starts at `head` in the notes file at `path`: the pieces in chain order.
// Empty when head < 1 or there is no such file; any other failure to open or read raises the
// input/output error (a share that fails for a moment must not read as "no notes"). The walk stops at a
// record number that is not positive, lies past the end of the file or was already visited.
std::string ReadNotesChain(const std::string& path, int32_t head);

// Stores `text` (not empty, no zero byte, at most kNotesTextLimit bytes) as the chain that starts
// at `head`, creating the file with its header when it is missing. The old chain's records are
// rewritten in chain order; when it ends (or loops, or points outside the file) the remaining
// pieces go to free records at the end of the file. Answers the chain's head. Raises IoError.
// Free records are taken under the file's lock and the records are synced before the answer,
// so a card stored afterwards never points at notes another station took or that never landed.
int32_t WriteNotesChain(const std::string& path, int32_t head, std::string_view text);

// Appends a new chain for every non-empty text (cut to kNotesTextLimit) in one locked write and
// one sync, for the bulk jobs; the file and the heads are those of WriteNotesChain(path, 0, text)
// called text after text. Answers each text's head, 0 for an empty one; touches nothing when
// every text is empty.
std::vector<int32_t> AppendNotesChains(const std::string& path, const std::vector<std::string>& texts);

struct CardRecords;
// Copies the notes of a block of cards read from an archive whose notes file is `fromNotes`
// into new chains of `toNotes` (AppendNotesChains, one per few MB of text) and points the cards'
// notes heads at them, 0 for a card without notes.
void CopyNotesOfBlock(CardRecords& cards, const std::string& fromNotes, const std::string& toNotes);

// The card in hand: LoadCardNotes rewrites the viewer's staging file ("txt-tab2.imp") with its
// notes; SaveCardNotes stores the staging file's text as a new chain and sets its notes head (0
// for an empty text). The head reaches "num-sch.dat" when the card itself is stored, which
// switches the card from its old notes to the new ones in one step.
void LoadCardNotes();
void SaveCardNotes();
// Run under the index lock just before the card in hand is stored: notes SaveCardNotes wrote
// for it into a notes file replaced since (a merge, an import, a recoding) are written again
// into the current file and the card's head set to them; a head past the end of the notes file
// is not stored. Raises IoError, in words, when the notes cannot be written again: the card is
// then not stored.
void SettleCardNotes();
// The card in hand is stored with its notes.
void CardNotesStored();

}  // namespace qv
