#pragma once
#include <string>

// Jobs that change stored cards (attribution, indicators, recoding, merge, import) need the
// write password, as storing a card does.

namespace qv {

// Whether a job may change the archive's cards now.
bool CardChangesAllowed();
// What a command says when it is refused for want of the password.
std::string CardChangesRefusal();

}  // namespace qv
