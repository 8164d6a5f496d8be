#pragma once
#include <string>

namespace qv {

// The municipality typed into a municipality field: the code whose name is the text, or else one
// whose name begins with it, found by halving over the alphabetical index "di-alfac.dat" with the
// names of "cmn-zor2.dat" (program directory). Letters a-z count as upper case and only the first
// 30 characters are compared; one trailing blank is ignored. Answers 0 when nothing matches and
// for an empty text (an emptied field holds no municipality). Raises the input/output error when
// either file cannot be opened or read.
int FindComuneByName(const std::string& text);

}  // namespace qv
