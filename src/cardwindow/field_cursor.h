#pragma once
#include <string>

// The card window's field cursor and entry buffer: how keys edit the text of the field under
// the cursor and move the cursor between fields and pages, and the marks the marking, selection
// and list modes set by key. State lives in CoreState; the window draws what changed.

namespace qv {

// Typing into the entry buffer (CoreState.EntryBuffer with the mark '>' at
// CoreState.EntryCursor; the buffer is the text up to its first zero).

// Position at which typing is cut for a field type, the mark counted: 12 for a date, 7 for
// 16-bit, time-like and percentage fields, 10 for a 32-bit number; 0 for no cut.
int EntryCutPosition(int fieldType);
// Whether the cursor mark still stands in the buffer (typing past the cut removes it).
bool EntryMarkShown(const std::string& buffer, int cursor);

// A character typed in front of the mark. The buffer keeps at most `limit` characters besides
// the mark (a full buffer drops the character), then the cut of the field type applies, which
// may take the mark away. A character typed with the mark gone is dropped. Answers whether a
// character was lost: the typed one, or one the cut took.
bool TypeEntryCharacter(std::string& buffer, int& cursor, char c, int limit, int cutPosition);
// A quick-entry field: the character replaces position 0, where the mark stands on arrival.
void TypeQuickEntryCharacter(std::string& buffer, int& cursor, char c);
// The editing keys; each answers whether the buffer or the cursor changed. Backspace with the
// mark gone takes back the last character and puts the mark after the text again.
bool EntryCursorLeft(std::string& buffer, int& cursor);
bool EntryCursorRight(std::string& buffer, int& cursor);
bool EntryBackspace(std::string& buffer, int& cursor);
bool EntryDelete(std::string& buffer, int& cursor);

// The same on CoreState for the field under the cursor. While CoreState.EntryReplaces is set
// the first character replaces the text of a field that is neither a text nor a quick-entry
// field; any character clears it. Answers whether a character was lost, as TypeEntryCharacter.
bool TypeIntoCurrentField(char c);
// The characters the entry buffer of a field holds at most, the mark not counted.
int EntryCharacterLimit(int field);

// Field cursor.

bool FieldOnPage(int field, int page);
// The lowest-numbered field of `page`, 0 when the page has none.
int FirstFieldOnPage(int page);
// The first tab stop after `field`, 0 when none.
int NextTabStop(int field);
// The highest-numbered field of the current page whose box holds the point (x, y), 0 when none.
int FieldAtPoint(int x, int y);
// The field whose condition dialog serves `field` in the selection mode: a further answer of a
// multi-answer category stands for the head of its group (the nearest category field before it).
int ConditionField(int field);

// A move of the cursor, applied to CoreState.CurrentField, PreviousField and CurrentPage.
struct CursorMove {
    bool done = false;         // false: the key does not apply here and nothing changed
    int fieldLeft = 0;         // the field the cursor left
    bool pageChanged = false;  // the page shown changed and must be painted again
};
CursorMove MoveCursorDown();
CursorMove MoveCursorUp();
CursorMove MovePageDown();
CursorMove MovePageUp();
CursorMove MoveCursorHome();
CursorMove MoveCursorEnd();
// To the next field (the last stays the last), then where the jump rules of the field left send
// it; the page follows the field.
CursorMove MoveToNextField();
// To the first tab stop after the current field, when there is one.
CursorMove MoveToNextTabStop();
// To a field of the current page (the mouse).
CursorMove MoveCursorTo(int field);

// Marks set by key in the marking, selection and list modes.
void ToggleFieldAttribute(int field, int bit);
// Mode 12: statistics gathered for a non-text field ("S"); answers whether it changed.
bool ToggleStatisticsMark(int field);
// Mode 12: the sense of a field in the condition ("=" / "#"); answers whether it changed.
bool ToggleConditionSense(int field);
// Mode 12: the statistics weight field ("Q"), a field of type 0, 4 or 7.
void ToggleStatisticsField(int field);
// Mode 14: the order field ("O") and the grouping fields ("L", types 0 and 3 only); the latter
// answers whether it changed.
void ToggleListOrderField(int field);
bool ToggleListGroupField(int field);

}  // namespace qv
