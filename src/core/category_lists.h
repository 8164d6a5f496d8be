#pragma once
#include <string>
#include <vector>

// The category lists of coded fields as the pickers show and change them: the list written to
// the staging text "tresca.txt", the copy for the user, a category's own help text, and the
// adding and replacing of a category in the field declarations "sig-sch.dat", after which the
// archive definition is rebuilt.

namespace qv {

// Writes field `field`'s categories into "tresca.txt", one a line: the number right-aligned in
// four characters, ". " and the label. A label record the file lacks gives no line. Raises
// IoError when "mod-sch.dat" cannot be opened or "tresca.txt" written.
void WriteCategoryList(int field);
// The same with the bare labels; answers the number of labels read.
int WriteCategoryLabels(int field);
// The lines of "tresca.txt" (the list box's items); none when it cannot be read.
std::vector<std::string> StagedListItems();
// Copies "tresca.txt" into "mod-list.txt" (program directory), at most 100 characters a line.
void CopyCategoryListFile();
// Writes "tabella.txt" with the help text of `category` of field `field`: the help file is named
// by line `field` of "lst-help.txt"; its sections begin with a "*" line whose first four
// following characters carry the section's category number in their digits. Without a help file
// the report is empty.
void WriteCategoryHelp(int field, int category);

// The field that declares the list `field` shows: the lowest-numbered first answer of a coded
// field with the same labels; -1 when there is none.
int ListFirstField(int field);

// The label a typed text gives: at most 200 characters, control characters as blanks.
std::string NewCategoryLabel(const std::string& typed);
// Whether a label can be stored: a label that reads as a whole number would be taken for a
// reference to another field's list.
bool IsStorableLabel(const std::string& label);

// The walks over the declarations text. `done` is false when the list was not found, and the
// text is then unchanged.
struct DeclarationEdit {
    std::string text;
    bool done = false;
};
// Inserts category `count` + 1 after the `count`th category line of the list declared with
// field `firstField`.
DeclarationEdit InsertCategoryLine(const std::string& declarations, int firstField, int count,
                                   const std::string& label);
// Puts `label` in place of category `category` of that list, keeping its number.
DeclarationEdit ReplaceCategoryLine(const std::string& declarations, int firstField, int category,
                                    const std::string& label);

// The two edits on the archive: the declarations are written to "bak-sch.dat", then over
// "sig-sch.dat", and the archive definition is rebuilt. Each answers false, writing nothing,
// when the list is not found or the label cannot be stored. Raises IoError on a file failure.
bool AddCategoryToDeclarations(int firstField, int count, const std::string& label);
bool ReplaceCategoryInDeclarations(int firstField, int category, const std::string& label);

}  // namespace qv
