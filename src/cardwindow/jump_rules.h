#pragma once

namespace qv {

// The jump rules of "sal-sch.imp", one a line "F=T=L,H>G": after the cursor leaves field F,
// when the 16-bit value of field T (0: F itself) lies in L..H, the cursor goes to field G.
// Applies every rule of CoreState.PreviousField in file order to CoreState.CurrentField (the
// last whose range holds decides; a target outside the card's fields is ignored). A missing
// file means no jump.
void ApplyJumpRules();

}  // namespace qv
