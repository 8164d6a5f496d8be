#pragma once
#include <string>

namespace qv {

// What the card window writes in the box of `field` in card-window mode `mode`: the value in the
// entry, search and attribution modes (1 to 3), the field's mark in the marking, selection and
// list modes, a single blank otherwise.
std::string CardFieldText(int field, int mode);

// Characters the entry buffer may hold besides the cursor mark for `field`: a text field's
// length, so that what is typed is what is stored; 199 for the other fields.
int EntryTextLimit(int field);

}  // namespace qv
