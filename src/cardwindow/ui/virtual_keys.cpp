#include "cardwindow/ui/virtual_keys.h"

#include <QKeyEvent>
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/cp1252.h"

namespace qv {

namespace {

struct KeyEntry {
    int qtKey;
    int code;
};

// Keys whose code is not their own character.
constexpr KeyEntry kKeys[] = {
    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},
    {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
    {Qt::Key_Meta, 91},
    {Qt::Key_Menu, 93},
    {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145},
    // Symbols: the key of the US layout they are typed on.
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
    {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
};

// The number pad has codes of its own.
constexpr KeyEntry kKeypad[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},  {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Comma, 110}, {Qt::Key_Slash, 111},
};

int Find(const KeyEntry* first, const KeyEntry* last, int qtKey) {
    const KeyEntry* e = std::find_if(first, last, [qtKey](const KeyEntry& k) { return k.qtKey == qtKey; });
    return e == last ? 0 : e->code;
}

}  // namespace

int VirtualKeyCode(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 96 + (qtKey - Qt::Key_0);
        if (const int code = Find(std::begin(kKeypad), std::end(kKeypad), qtKey)) return code;
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    return Find(std::begin(kKeys), std::end(kKeys), qtKey);
}

std::string KeyPressCharacters(const QKeyEvent& event) {
    switch (VirtualKeyCode(event.key(), event.modifiers() & Qt::KeypadModifier)) {
        case 33:
        case 34:
        case 35:
        case 36:
        case 37:
        case 38:
        case 39:
        case 40:
        case 45:
        case 46:
            return {};
        default:
            break;
    }
    if (event.key() >= Qt::Key_F1 && event.key() <= Qt::Key_F35) return {};
    std::string chars;
    for (const char32_t cp : event.text().toUcs4()) {
        // X11 gives Delete the character 127, which Windows never sends. A character without a
        // Windows-1252 byte cannot be stored and is refused here rather than stored as "?".
        const int byte = UnicodeToCp1252(cp);
        if (byte >= 0 && byte != 0x7f) chars.push_back(char(byte));
    }
    return chars;
}

bool KeyHasUnwritableCharacter(const QKeyEvent& event) {
    if (event.type() != QEvent::KeyPress) return false;
    const auto cps = event.text().toUcs4();
    return std::any_of(cps.begin(), cps.end(), [](char32_t cp) { return UnicodeToCp1252(cp) < 0; });
}

std::vector<KeyMessage> WindowsKeyMessages(const QKeyEvent& event) {
    std::vector<KeyMessage> messages;
    const int code = VirtualKeyCode(event.key(), event.modifiers() & Qt::KeypadModifier);
    if (event.type() == QEvent::KeyPress) {
        if (code) messages.push_back({KeyMessageKind::Down, code});
        for (char c : KeyPressCharacters(event)) messages.push_back({KeyMessageKind::Press, int(uint8_t(c))});
    } else if (event.type() == QEvent::KeyRelease && !event.isAutoRepeat() && code) {
        messages.push_back({KeyMessageKind::Up, code});
    }
    return messages;
}

}  // namespace qv
