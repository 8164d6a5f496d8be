#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "selection/list_output.h"

// Print masks: a text that turns one card into text. Every character outside a placeholder is
// copied; "#field,width,text*" is a placeholder: a field's value by its type (field 0 the
// card's ordinal number, "N" its notes, "P" the character whose code is the width), cut and
// aligned to the width; the text part is the column heading of a tabular mask (one that begins
// with "#T"). Each archive's working mask is "mas-dat.txt".

namespace qv {

constexpr int kMaskTextLimit = 10000;
// A value never grows past this, whatever width the mask asks for.
constexpr int kMaskValueLimit = 201;
constexpr int kMaskHeadingWidth = 100;
// Card outputs under one heading of a tabular mask.
constexpr int kCardsPerHeading = 61;

class PrintMask {
  public:
    // LoadPrintMask: the working mask "mas-dat.txt" of the archive directory; a file that does
    // not open gives an empty mask. Restarts the count of card outputs.
    void Load();
    // The same rules for a mask text at hand: its first 10000 bytes, up to the first zero byte.
    void SetText(std::string_view text);
    const std::string& Text() const { return text_; }
    bool Tabular() const { return tabular_; }

    // FillPrintMask: reads card CoreState.CurrentCard from the card files into the card in hand,
    // then writes the mask for it.
    void FillPrintMask(ListOutputFile& out);
    // The mask for the card in hand as it is.
    void WriteCard(ListOutputFile& out) const;
    // WriteTabularHeading: a form feed when cards were written since the last heading, the
    // mask with every placeholder's text part (padded to 100 and cut to its width) and a line
    // break. Restarts the count of card outputs.
    void WriteTabularHeading(ListOutputFile& out);

    // The lists' heading rule, after each card output: the count goes up and at 61 a tabular
    // mask writes its heading again.
    void AfterCardOutput(ListOutputFile& out);
    int CardOutputs() const { return cardOutputs_; }

    // Releases the mask text (the end of a list).
    void Release();

  private:
    void Run(ListOutputFile& out, bool heading) const;
    std::string text_;
    bool tabular_ = false;
    int cardOutputs_ = 0;
};

// WriteMaskField: the text one placeholder writes for the card in hand (field part at most 10
// characters, width part at most 10). The notes ("N") are written by WriteCardNotesText.
std::string MaskFieldText(std::string_view fieldPart, std::string_view widthPart);
// WriteCardNotesText: the notes of the card in hand, empty when it has none.
std::string CardNotesText();
// A part read as a whole number from its leading digits (no digits: 0).
int64_t MaskNumber(std::string_view part);

// Copies between a user's mask file and the working mask, line by line: each line up to 2550
// characters (the rest dropped), every line ended with CR LF. Raise the input/output error when
// a file cannot be read or written.
void CopyMaskFile(const std::string& from, const std::string& to);
void CopyFileToWorkingMask(const std::string& from);
void CopyWorkingMaskToFile(const std::string& to);

// "Crea Maschera": rewrites the working mask from the archive's card definition "scheda.txt",
// one placeholder per field after the text lines that precede it. Answers false, touching
// nothing, when the definition does not open.
bool CreateMaskFromDefinition();

// A working mask that is missing or holds only blanks and line breaks: every list, label sheet
// or merged list made through it would come out empty.
bool WorkingMaskEmpty();

}  // namespace qv
