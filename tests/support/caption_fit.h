#pragma once
#include <string>
#include <vector>

class QWidget;

namespace qv::test {

// What a person cannot read whole on `form` as it is laid out now, one entry per control
// ("Esci: caption 'Azzera ordine' needs 92 px, has 75"): a push button, check box, radio
// button or label whose caption is wider (or, wrapped, taller) than the room the style gives
// it, a combo box one of whose items does not fit its text field, and a check box without a
// caption. Every page of every tab widget is looked at in turn. Measured in each control's own
// font, so it holds for whatever font the platform gives.
std::vector<std::string> ClippedCaptions(QWidget& form);

}  // namespace qv::test
