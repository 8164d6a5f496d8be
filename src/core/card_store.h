#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_io.h"

// The card store: an archive's cards live in two parallel files of fixed-size records, the text
// part in "alf-sch.dat" (50-byte records) and the numeric part in "num-sch.dat" (100-byte records,
// 50 little-endian words each), plus the last-card index "dli-sch.dat" (one signed 32-bit number,
// -1 = no cards). Card n of a card with R text records and W numeric records occupies records
// n*R .. n*R+R-1 and n*W .. n*W+W-1.

namespace qv {

constexpr int kCardTextRecordBytes = 50;
// The highest card number: the selection holds one bit for each of cards 0..524007.
constexpr int32_t kLastCardNumber = 524007;
constexpr int kCardValueRecordBytes = 100;
constexpr int kCardValueRecordWords = 50;

// Text bytes and 16-bit words per card (multiples of 50, at most 8000 and 4000).
struct CardGeometry {
    int textBytes = 0;
    int wordCount = 0;

    int TextRecords() const { return textBytes / kCardTextRecordBytes; }
    int ValueRecords() const { return wordCount / kCardValueRecordWords; }
};

// The open archive's geometry from CoreState, cut to whole records inside the card buffers.
CardGeometry CurrentCardGeometry();

// How many cards an archive holds. Stations raise the last-card index before they write the
// card's records, so an index past the end of the card files is a normal moment of a shared
// archive (or what a crash in between leaves); the program then works with the cards both
// files hold and leaves the missing ones alone.
struct CardCount {
    int32_t index = -1;         // the last-card index as stored, -1 when there is no index file
    int32_t last = -1;          // the last card both card files hold, never above `index`
    std::string shortFile;      // the card file that ends first, when `last` is below `index`
    bool damagedIndex = false;  // below -1, past the last card number or cut short (see CountCards)
    bool shortIndex = false;    // the index file holds fewer bytes than one number
    int64_t Missing() const { return int64_t(index) - last; }
};
// Refuses with words a card past kLastCardNumber: the archive is full.
[[noreturn]] void RefuseFullArchive(const std::string& indexPath);
// The message naming the short card file and its missing cards (numbered from 1 as shown);
// empty when no card is missing.
std::string MissingCardsText(const CardCount& count);
// The closing message of a pass over every card that met a short card file: it worked on the
// cards there are, and these are missing. Empty when no card is missing.
std::string ShortPassText(const CardCount& count);
// A block of whole cards as stored, for the bulk jobs: text records and numeric records (words
// little-endian), card after card.
struct CardRecords {
    explicit CardRecords(CardGeometry g) : geometry(g) {}

    CardGeometry geometry;
    int32_t count = 0;
    std::vector<uint8_t> text;
    std::vector<uint8_t> values;

    // Adds a card of geometry.textBytes bytes and geometry.wordCount words in host order.
    void Add(const uint8_t* cardText, const uint16_t* words);
    void Clear();
    // Cards in a full block: up to 4,096 cards or 4 MB.
    int32_t BlockCards() const;
};

// Record-level access to one archive's card files, for the open archive and for any other
// (linked, shared, merged archives, the designer's folder). No file stays open between calls;
// every failure raises IoError.
class CardFiles {
  public:
    CardFiles(std::string textPath, std::string valuesPath, std::string indexPath, CardGeometry geometry);
    // "alf-sch.dat", "num-sch.dat" and "dli-sch.dat" in `dir` (ending with '/').
    static CardFiles InDirectory(const std::string& dir, CardGeometry geometry);
    // The open archive's files (ids 4, 5, 8) with CurrentCardGeometry().
    static CardFiles Current();

    const std::string& TextPath() const { return textPath_; }
    const std::string& ValuesPath() const { return valuesPath_; }
    const std::string& IndexPath() const { return indexPath_; }
    const CardGeometry& Geometry() const { return geometry_; }

    // Reads card `card`'s text (geometry.textBytes bytes, card byte 1 at text[0]) or numbers
    // (geometry.wordCount words, word 1 at words[0]). Answers false, leaving the buffer
    // untouched, when the file ends before the card's last record.
    bool ReadText(int32_t card, uint8_t* text) const;
    bool ReadValues(int32_t card, uint16_t* words) const;

    // Writes the card's records in the existing file; with `createFile` the file is created
    // (emptied) first. A card past the end of the file extends it.
    void WriteText(int32_t card, const uint8_t* text, bool createFile = false) const;
    void WriteValues(int32_t card, const uint16_t* words, bool createFile = false) const;

    // Reads the numeric parts of cards first .. first+count-1 with one read into `words`
    // (count * wordCount words, card k's word w at (k - first) * wordCount + w - 1). A card the
    // file ends before reads as `emptyCard` (wordCount words; see EmptyCardValues). Answers the
    // number of cards found in the file.
    int32_t ReadValuesBlock(int32_t first, int32_t count, uint16_t* words,
                            std::span<const uint16_t> emptyCard) const;

    // The last-card index. ReadLastCard raises IoError when the file is missing or empty.
    int32_t ReadLastCard() const;
    // The index and the cards both files hold, measured now. A missing index counts as no cards;
    // an index below -1 (or cut short) raises IoError naming the index file, unless
    // `acceptDamaged`: then such an index, or one past kLastCardNumber, counts the cards the files
    // hold and is flagged. Every pass over the cards takes its last card from here, never from
    // the index alone.
    CardCount CountCards(bool acceptDamaged = false) const;
    // Writes the index in place and syncs it; the file is made only when there is none. Whoever
    // reads, raises and writes it holds FileLock(IndexPath()) meanwhile, so that two stations
    // never take one number.
    void WriteLastCard(int32_t last) const;

    // Rewrites an existing card's text and numeric records as one step, under the index lock:
    // after a crash or a failure at any point the files hold the old card or the new one.
    // `underLock` runs under the lock before anything is written (and may change the card).
    void RewriteCard(int32_t card, const uint8_t* text, const uint16_t* words,
                     const std::function<void()>& underLock = {}) const;
    // Sets single words (1-based, {word, value}) of a stored card, under the index lock: the
    // card's numeric part is read anew and only these words change, so what another station
    // stored in the card's other fields since it was read stays. A word outside the card is
    // left out (a field without one); nothing is written when none is left. Raises IoError,
    // also when the card is not in the file or a job's commit is pending.
    void RewriteWords(int32_t card, std::initializer_list<std::pair<int, uint16_t>> words) const;

    // Stores a new card right after the last card of the index file, under the index lock: the
    // card's records are written and synced first, then the raised index. Answers the new
    // card's number. On failure the index is unchanged and IoError is raised; past
    // kLastCardNumber or while a job's commit is pending it says why in words.
    // `underLock` as for RewriteCard.
    int32_t AppendCard(const uint8_t* text, const uint16_t* words,
                       const std::function<void()>& underLock = {}) const;

    // The same for `count` cards at once (see CardRecords): one write and one sync per card
    // file, then the index raised once, all under the index lock and with the index read anew,
    // so cards another station added meanwhile are counted. Answers the first new number.
    // `underLock` runs under the lock before the cards are counted or written.
    int32_t AppendCards(const CardRecords& cards, const std::function<void()>& underLock = {}) const;

    // Writes cards first .. first+count-1 with one write and one sync per file, without
    // touching the index: for jobs that hold the index lock themselves. A missing card file is
    // an error, or with `createMissing` made (never one that exists: see Mode::OpenOrCreate).
    void WriteCards(int32_t first, const CardRecords& cards, bool createMissing = false) const;
    // Reads cards first .. first+count-1 with one read per file; raises code 100 when a file
    // ends before them.
    CardRecords ReadCards(int32_t first, int32_t count) const;

  private:
    std::string textPath_;
    std::string valuesPath_;
    std::string indexPath_;
    CardGeometry geometry_;
};

// Reads the numeric parts of many cards through one descriptor, opened at the first read and
// kept for the reader's life: the passes over the archive read a block after the other.
class CardValuesReader {
  public:
    explicit CardValuesReader(const CardFiles& files) : files_(files) {}
    // As CardFiles::ReadValuesBlock.
    int32_t Read(int32_t first, int32_t count, uint16_t* words, std::span<const uint16_t> emptyCard);

  private:
    const CardFiles& files_;
    RecordFile file_;
};

// The numeric part of an empty card of the open archive (wordCount words, word 1 first): 0,
// 33536 for fields of types 4 to 6, -9999999 for type 7; the notes head 0.
std::vector<uint16_t> EmptyCardValues(const CardGeometry& geometry);
// Words a field of type `type` takes in the numeric part: one for types 0, 1 and 3 to 6, three
// for a date (2), two for a 32-bit number (7); none for a text field.
int FieldWordCount(int type);

// 32-bit numbers in two words: high half first, each half with its bit order reversed. The
// swap is its own inverse: the bits of each byte reversed, then the two bytes of each half
// exchanged, on the whole 32 bits at once. Inline, since the counting passes decode them for
// every card.
inline uint32_t SwapCardNumberBits(uint32_t v) {
    v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
    v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
    v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
    return ((v >> 8) & 0x00FF00FFu) | ((v & 0x00FF00FFu) << 8);
}
inline void EncodeCardNumber(int32_t value, uint16_t& first, uint16_t& second) {
    const uint32_t u = SwapCardNumberBits(uint32_t(value));
    first = uint16_t(u >> 16);
    second = uint16_t(u & 0xFFFF);
}
inline int32_t DecodeCardNumber(uint16_t first, uint16_t second) {
    return int32_t(SwapCardNumberBits((uint32_t(first) << 16) | second));
}

// The card in hand (CurrentCardText, CurrentCardValues) and the open archive's card files.
// The number a new card of the open archive takes in the window: the card after
// CoreState.LastCard, never past the largest card number.
int32_t NewCardNumber();

void ReadCardText();
void ReadCardValues();
// The card in hand read again once a job is done: a failure is shown and the job still counts
// as done, since its files are in place.
void ReadCardInHandAfterJob();
void WriteCardText();
void WriteCardValues();
void CreateCardTextFile();
void CreateCardValuesFile();
void SaveCurrentCard();
void ClearCardFields(int first, int last);
// Whether some field holds a value, or the card has notes.
bool CardHasData();
bool CheckRequiredFields();

// Typed access to the fields of the card in hand. Words outside 1..CardWordCount are never
// touched: a read there gives 0 (16-bit) or -9999999 (32-bit). PutCardNumber answers the
// field's word position, 0 when nothing was stored.
int PutCardNumber(int32_t value, int field);
int32_t GetCardNumber(int field);
int16_t GetCardWord(int field);

// Head of the card's notes chain: the last two words of the numeric part, 0 = no notes. No field
// lies there (the compiler keeps them free), and nothing but these two reaches them.
constexpr int kNotesHeadWords = 2;
int32_t GetNotesHead();
void SetNotesHead(int32_t head);

// The mark bits of FieldAttributes.
bool IsTabStopField(int field);
bool IsQuickEntryField(int field);
bool IsPlusOneField(int field);
bool IsCopyField(int field);
bool IsClearField(int field);
bool IsStatisticsField(int field);
bool IsReorderField(int field);

}  // namespace qv
