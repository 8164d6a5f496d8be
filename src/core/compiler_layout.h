#pragma once
#include <cstdint>
#include <string_view>

#include "core/compiler_fields.h"

// The two layout passes of the card-definition compiler: the style pass collects the text styles
// and the placement pass gives every static text line and every field its page, position and
// style. They write "inf-sch.dat" and "dat-sch.dat" in CoreState.DesignerDir.

namespace qv {

// The look of a text or a field, in the order of its nine integers in "inf-sch.dat".
struct TextStyle {
    int32_t font = 1;    // 1 elvetico, 2 courier, 3 arial, 4 modern, 5 roman
    int32_t size = 15;   // 15 or 25
    int32_t weight = 1;  // 1 or 3
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t combined = 0;  // toggled whenever italic and underline end up both set
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;

    bool operator==(const TextStyle&) const = default;
};

// The default style: font 1, size 15, weight 1, no flags, black.
TextStyle ResetTextStyle();

enum class LetterKind { Text = 1, Field = 2 };

// Applies the style words and letters of a command line (searched from its third character on)
// to `running`. On text lines the alignment letters set `alignment` (1 left, 2 centred, 3 right).
TextStyle ParseStyleLetters(TextStyle running, std::string_view line, LetterKind kind, int& alignment);

// Both layout passes; error lines go to `run`. Reads CoreState.PageWidth for coded fields.
void CompileCardLayout(CompileRun& run);

}  // namespace qv
