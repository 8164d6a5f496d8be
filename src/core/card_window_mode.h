#pragma once

// The card window's modes, kept in CoreState.CardWindowMode. The numbers are the program's own:
// help page N explains mode N and text 33 + N names it in the window title, so they never change.
// Any other value is a mode the window knows nothing of: it paints and takes nothing.

namespace qv {

enum CardWindowModeCode : int {
    kEntryMode = 1,            // typing and changing cards
    kSearchMode = 2,           // search by example
    kAttributionMode = 3,      // the card typed is attributed to the selected cards
    kPointerMode = 4,          // the pointer's position on the page, no fields
    kTabStopMarkMode = 5,      // marks the tab stops (attribute bit 1)
    kQuickEntryMarkMode = 6,   // marks the quick-entry fields (bit 2)
    kZeroIsOneMarkMode = 7,    // marks the fields where zero is code 1 (bit 4)
    kCopyMarkMode = 8,         // marks the fields copied from another card (bit 8)
    kClearMarkMode = 9,        // marks the fields the clear command empties (bit 16)
    kUnusedMode10 = 10,        // has a title and a help page, shows no field
    kUnusedMode11 = 11,        // likewise
    kSelectionMode = 12,       // the search conditions of the selection
    kFieldNumberMode = 13,     // shows each field's number
    kListMode = 14,            // the list of the selected cards
    kRecordPositionMode = 15,  // shows each field's place in the card records
    kReorderMarkMode = 16,     // marks the coded fields to order alphabetically (bit 64)
    kLastMode = 17,            // the moving keys still act here; nothing is shown
};

// Modes 1 to 3, where values are typed into the fields.
constexpr bool IsTypingMode(int mode) {
    return mode >= kEntryMode && mode <= kAttributionMode;
}
// The modes that mark fields in their attribute word, or show a property of every field.
constexpr bool IsMarkingMode(int mode) {
    return (mode >= kTabStopMarkMode && mode <= kClearMarkMode) || mode == kFieldNumberMode ||
           mode == kRecordPositionMode || mode == kReorderMarkMode;
}
// The modes whose pages show the fields.
constexpr bool ModeShowsFields(int mode) {
    return IsTypingMode(mode) || (mode >= kTabStopMarkMode && mode <= kClearMarkMode) ||
           (mode >= kSelectionMode && mode <= kReorderMarkMode);
}
// Every numbered mode, 1 to 17.
constexpr bool IsNumberedMode(int mode) {
    return mode >= kEntryMode && mode <= kLastMode;
}

// The FieldAttributes bit that Enter toggles in a marking mode: 5 gives 1, 6 gives 2, 7 gives 4,
// 8 gives 8, 9 gives 16, 16 gives 64 (on coded fields only); 0 for a mode that marks nothing.
constexpr int MarkBitOfMode(int mode) {
    switch (mode) {
        case kTabStopMarkMode:
            return 1;
        case kQuickEntryMarkMode:
            return 2;
        case kZeroIsOneMarkMode:
            return 4;
        case kCopyMarkMode:
            return 8;
        case kClearMarkMode:
            return 16;
        case kReorderMarkMode:
            return 64;
        default:
            return 0;
    }
}

}  // namespace qv
