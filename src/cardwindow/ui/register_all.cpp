#include "cardwindow/ui/register_all.h"

#include "elaborations/ui/tdoppie.h"

namespace qv {

void RegisterAllDialogs() {
    // Cross tables, with the row picker and the weights dialog they open.
    RegisterCrossTableDialogs();
}

}  // namespace qv
