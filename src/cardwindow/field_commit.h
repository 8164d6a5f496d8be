#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cardwindow/name_index.h"
#include "core/card_window_mode.h"
#include "core/typed_values.h"

// The commit of the card window: the text typed into the field under the cursor becomes the
// field's value in the card in hand (CurrentCardText / CurrentCardValues). Nothing reaches the
// card files here; the card is stored when it is left.

namespace qv {

// The entry buffer's text up to its first zero byte, without the cursor mark at `cursor`.
std::string EntryTextWithoutMark(const std::string& buffer, int cursor);

// Readers of the typed text, one per field type. Each answers what the field stores, or
// nullopt when the text is no value of the field (the field then keeps what it holds).
struct CardDateWords {
    int16_t day = 0, month = 0, year = 0;  // year counted from 1900; all three 0 when empty
    bool operator==(const CardDateWords&) const = default;
};
// Day, month and year separated by any non-digit; a year of one or two digits by FullYear. A
// day or month of 0 stands for one not known; otherwise the date must be in the calendar.
// A text begun with a blank is today; an empty text is the empty date.
std::optional<CardDateWords> ReadCardDate(const std::string& text, const EntryClock& now);
// Whether a day, month and year (full, 1987) make a date of the calendar, a day or month of 0
// standing for one not known.
bool DateExists(int day, int month, int year);
// Hours * 100 + minutes: "9:30", "930", "0930"; hours up to 24, minutes up to 59. A text begun
// with a blank is now; an empty text is empty (-32000).
std::optional<int16_t> ReadTimeValue(std::string_view text, const EntryClock& now);
// The lenient number readers of the text import: the leading run of digits and minus signs.
int16_t ReadShortNumber(std::string_view text);  // or -32000 (empty)
int32_t ReadLongNumber(std::string_view text);   // or -9999999 (missing)

// The categories of a coded field that `name` stands for, letters compared with their case and
// accents folded: the one whose label is `name` (the last of equal ones), else every one whose
// label begins with it; more than one is an ambiguous name. Reads "mod-sch.dat".
std::vector<int> FindCategoriesByName(int field, const std::string& name);

// A folded label and its category.
struct LabelEntry {
    std::string_view label;
    int category;
};

// The same over the whole of "mod-sch.dat" read once, for a run that looks up many names (the
// import). Raises the input/output error when the file cannot be read or a field's labels lie
// past its end.
class CategoryLabelTable {
  public:
    CategoryLabelTable();
    // The sorted labels point into the table's own.
    CategoryLabelTable(const CategoryLabelTable&) = delete;
    CategoryLabelTable& operator=(const CategoryLabelTable&) = delete;
    CategoryLabelTable(CategoryLabelTable&&) = default;
    CategoryLabelTable& operator=(CategoryLabelTable&&) = default;
    // The categories found, ascending; kept until the next Find.
    const std::vector<int>& Find(int field, std::string_view name);

  private:
    // One field's labels: sorted for the names that begin labels, hashed for whole labels.
    struct Prepared {
        std::vector<LabelEntry> sorted;
        NameIndex whole;
    };

    std::string path_;
    std::vector<std::string> labels_;  // by record, folded
    std::vector<Prepared> prepared_;   // by field, at its first name
    std::string key_;
    std::vector<int> found_;
};

// The pickers the commit may need: the list of the field's categories for a number out of
// range, the category choice for a name that matches no label. The answer is the chosen
// category, 0 when none. The window opens the dialogs; without a picker nothing is chosen.
enum class CategoryPicker { List, Choice };
using PickCategory = std::function<int(CategoryPicker picker, int field)>;
// The choice among the municipalities a typed name leaves (codes ascending): the chosen code,
// 0 when none (Esc), and the field keeps what it held.
using PickComune = std::function<int(const std::vector<int>& codes)>;
// The choice among the categories of `field` a typed name leaves (ascending): as PickComune.
using PickAmongCategories = std::function<int(int field, const std::vector<int>& categories)>;

struct CommitContext {
    std::string originalText;  // the field's text when the cursor came to it
    int mode = kEntryMode;     // CardWindowMode
    PickCategory pick;
    PickComune pickComune;
    PickAmongCategories pickAmong;
    EntryClock now = EntryClockNow();
};

// Why a typed text was not taken (the field keeps its value); the window says so.
enum class EntryRefusal {
    None,
    NotANumber,
    OutOfRange,
    NotADate,
    NotATime,
    NotAPercentage,
    NoComune,
    NoCategory
};

// The status line's whole message on a refusal: why, and for number and category fields the
// values the field takes. Empty for None.
std::string RefusalMessage(EntryRefusal refusal, int field);

struct CommitResult {
    bool linked = false;   // the linked card came in: every field must be drawn again
    bool changed = false;  // the card in hand changed
    EntryRefusal refusal = EntryRefusal::None;
};

// Commits `text` (the entry buffer without its mark) into field `field` of the card in hand.
// Typed values are read only in modes 1 to 3; in every mode a changed first word of a card with
// a linked archive brings in the linked card. Raises IoError when a table it reads cannot be
// read.
CommitResult CommitField(int field, const std::string& text, const CommitContext& context);

// CCClick's work on CoreState: in modes 1 to 3 the mark leaves CoreState.EntryBuffer (so the
// category choice finds the typed text there), then CommitField for CoreState.CurrentField.
CommitResult CommitEntryBuffer(const PickCategory& pick, const PickComune& pickComune = {},
                               const PickAmongCategories& pickAmong = {});

}  // namespace qv
