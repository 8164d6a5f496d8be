#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/card_store.h"
#include "platform/text_file.h"

// The card-definition compiler: what its passes share, and the field pass with the files written
// from its totals. The source is "scheda.txt" in CoreState.DesignerDir; every output lies there,
// except the error list "tabella.txt" in the program directory.

namespace qv {

// Characters of a source line the compiler reads.
constexpr int kSourceWidth = 255;

// Largest card: words (the last two hold the notes chain head) and text bytes.
constexpr int kCardWordLimit = 4000;
constexpr int kCardTextLimit = 8000;
constexpr int kMaxAnswers = 36;

// State of one compile run, shared by its passes.
struct CompileRun {
    TextBuilder errorList;  // becomes "tabella.txt"
    bool errorFlag = false;
    // The card would not hold the fields (by the limits above, or by the archive's geometry):
    // no descriptor is written and the definition is not rebuilt.
    bool cardOverflow = false;
    int numericTotal = 0;  // 16-bit words per card
    int textTotal = 0;     // text bytes per card
    int linesRead = 0;     // lines of the source read by the field pass

    // An error line: the line number in 5 columns, then `rest` as it is.
    void Error(int lineNumber, std::string_view rest);
    // An error line of the usual form: line number, text `textNumber` of the text table, a blank
    // and the source line.
    void TextError(int lineNumber, int textNumber, std::string_view sourceLine);
};

// What a "*C" line says about the field's kind. The type letter is the first capital letter from
// the third character on; the number after A or C is made of the digits that follow it up to the
// first "#", "," or capital letter (anything else in between is skipped). After the "," of a coded
// field come the columns: digits until a blank or a capital letter. Both passes read the line
// through this one parser, so they always agree on how many fields a declaration makes.
struct FieldTypeItem {
    char letter = 0;  // 0 when the line holds no capital letter
    int number = 0;   // 0 when no digit follows A or C
    int columns = 0;  // 0 when none given
};
FieldTypeItem ParseFieldType(std::string_view line);

// Answers of a coded field: the number given, 1 when missing or 0, and 1 when above 36 (an
// error the field pass reports). 0 for a field line that is not coded.
int AnswerCount(const FieldTypeItem& item);

// Count character of a coded field of n answers: "1".."9", "a".."z" for 10..35, "{" for 36.
char AnswerCountCharacter(int n);
// The fields a declaration line of "sig-sch.dat" makes, by its type character: "2".."9", "a".."z"
// and "{" their count of answers, anything else 1.
int FieldsOfTypeCharacter(char c);

// Non-negative integer with leading zeros to `digits` digits (more digits when it needs them).
std::string ZeroPadded(int64_t value, int digits);

// The field pass: "scheda.txt" to "sig-sch.dat", with the running totals and error lines in `run`.
// After the source, a card that the totals would overflow is reported.
void CompileFieldDeclarations(CompileRun& run);

// Reserved positions of the descriptor: (total div 50 + 2) x 50, at most `limit`.
int ReservedPositions(int total, int limit);

// The empty card files of a new archive: "dli-sch.dat" (-1, no card) first, so that a crash
// in between leaves an archive without cards, then "num-sch.dat" and "alf-sch.dat".
void CreateEmptyCardFiles();
// "morvidex.dat" with the reserved positions.
void WriteArchiveDescriptor(int numericReserved, int textReserved);
// "lst-fatt.imp": the field whose caption holds "Fattore  1" (the last such), or 0.
void WriteFactorList();

// A card size read from a descriptor as the archive is opened with it: 50..limit, raised to a
// multiple of 50. Every reader of a descriptor's card words and text bytes goes through here.
int CardSizeFromDescriptor(int value, int limit);

// The values of a descriptor "morvidex.dat" (two lines of names, then card words, card text
// bytes, split field and split category count), card sizes clamped as opening clamps them.
// Every reader of a descriptor goes through here.
struct DescriptorValues {
    int cardWords = 0, cardTextBytes = 0, splitField = 0, splitCategoryCount = 0;
    // Both card sizes were given; otherwise they are the smallest card, which is not the archive's.
    bool sized = false;
};
DescriptorValues ParseDescriptor(TextReader& reader);
// The descriptor at `path`; nullopt when there is none. One that cannot be read, or is larger
// than a descriptor can be (a few short lines), raises the input/output error.
std::optional<DescriptorValues> ReadDescriptor(const std::string& path);

}  // namespace qv
