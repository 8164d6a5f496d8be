#pragma once
#include <functional>

class QWidget;

namespace qv {

// The card window's own steps that the archive commands run around their dialogs. Each may be
// left empty.
struct CardWindowSteps {
    std::function<void()> storeCard;           // commit the field typed, store the card (CinsClick)
    std::function<void()> applyArchive;        // list item, page size and logo of the open archive
    std::function<void()> centre;              // centre the window on the desktop
    std::function<void()> repaint;             // full repaint; CommandCode holds 1
    std::function<void()> disableArchiveList;  // the list command's menu item
};

// Menu "Lista archivi": the list of archives, which may change the current archive. Answers
// whether it did.
bool OpenArchiveList(QWidget* owner, const CardWindowSteps& steps);

// Menu "Apri archivio": an archive chosen by its descriptor "morvidex.dat" in a file dialog.
// Answers whether an archive was opened (the same one counts: it is saved and opened anew).
bool OpenArchiveFromFile(QWidget* owner, const CardWindowSteps& steps);

// Menu "Edit e creazione": the archive designer. The card window is left in search mode, or in
// the pointer-position mode the designer may choose. Answers whether the current archive changed.
bool OpenDesigner(QWidget* owner, const CardWindowSteps& steps);

}  // namespace qv
