#pragma once
#include <cstdint>
#include <functional>
#include <string>

// The commit of the card window: the text typed into the field under the cursor becomes the
// field's value in the card in hand (CurrentCardText / CurrentCardValues). Nothing reaches the
// card files here; the card is stored when it is left.

namespace qv {

// The moment a date or time field begun with a blank takes as its value.
struct EntryClock {
    int day = 1, month = 1, year = 2000;
    int hour = 0, minute = 0, second = 0;
};
EntryClock LocalEntryClock();

// The entry buffer's text up to its first zero byte, without the cursor mark at `cursor`.
std::string EntryTextWithoutMark(const std::string& buffer, int cursor);

// Readers of the typed text, one per field type. Each answers what the field stores.
struct CardDateWords {
    int16_t day = 0, month = 0, year = 0;  // year counted from 1900; all three 0 when invalid
    bool operator==(const CardDateWords&) const = default;
};
CardDateWords ReadCardDate(const std::string& text, const EntryClock& now);
int16_t ReadTimeValue(const std::string& text, const EntryClock& now);  // hours * 100 + minutes
int16_t ReadPercentage(const std::string& text);                        // hundredths, or -32000
int16_t ReadShortNumber(const std::string& text);                       // or -32000 (empty)
int32_t ReadLongNumber(const std::string& text);                        // or -9999999 (missing)

// The category of a coded field whose label is `name` (the last equal one, ignoring the case of
// a-z), else the last one whose label begins with it; 0 when none. Reads "mod-sch.dat".
int FindCategoryByName(int field, const std::string& name);

// The pickers the commit may need: the list of the field's categories for a number out of
// range, the category choice for a name that matches no label. The answer is the chosen
// category, 0 when none. The window opens the dialogs; without a picker nothing is chosen.
enum class CategoryPicker { List, Choice };
using PickCategory = std::function<int(CategoryPicker picker, int field)>;

struct CommitContext {
    std::string originalText;  // the field's text when the cursor came to it
    int mode = 1;              // CardWindowMode
    PickCategory pick;
    EntryClock now = LocalEntryClock();
};

// Commits `text` (the entry buffer without its mark) into field `field` of the card in hand.
// Typed values are read only in modes 1 to 3; in every mode a changed first word of a card with
// a linked archive brings in the linked card. Answers true when it did (the window then draws
// every field again). Raises IoError when a table it reads cannot be read.
bool CommitField(int field, const std::string& text, const CommitContext& context);

// CCClick's work on CoreState: in modes 1 to 3 the mark leaves CoreState.EntryBuffer (so the
// category choice finds the typed text there), then CommitField for CoreState.CurrentField.
bool CommitEntryBuffer(const PickCategory& pick);

}  // namespace qv
