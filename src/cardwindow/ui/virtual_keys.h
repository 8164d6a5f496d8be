#pragma once
#include <string>
#include <vector>

class QKeyEvent;

// The card window's keys are defined by Windows virtual-key codes; this is the one place where
// Qt keys become those codes.

namespace qv {

namespace vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Escape = 27;
constexpr int Prior = 33;  // PgUp
constexpr int Next = 34;   // PgDn
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Delete = 46;
constexpr int F1 = 112;
constexpr int F2 = 113;
constexpr int F3 = 114;
constexpr int F4 = 115;
constexpr int F5 = 116;
constexpr int F8 = 119;
}  // namespace vk

// The virtual-key code of a Qt key (Qt::Key value), with the keypad flag for the number pad; 0
// for a key the table does not know. Shifted symbols give the key they are typed on (US
// layout), as Windows reports the key and not the character.
int VirtualKeyCode(int qtKey, bool keypad = false);

// The characters a key press gives to the key-press handler (Windows-1252), in order: the
// event's text, except for keys that give no character on Windows (Delete, cursor and
// function keys). A character without a Windows-1252 byte is left out.
std::string KeyPressCharacters(const QKeyEvent& event);
// Whether a key press gives a character that has no Windows-1252 byte (and is left out).
bool KeyHasUnwritableCharacter(const QKeyEvent& event);

// What the card window's handlers receive for one Qt key event, in the order Windows sends it:
// a press gives the key-down (when the key has a code), then a key-press for each character it
// gives; auto-repeat presses repeat both. Only the final release gives the key-up.
enum class KeyMessageKind { Down, Press, Up };
struct KeyMessage {
    KeyMessageKind kind;
    int code;  // the virtual-key code, or for Press the character (Windows-1252, 0..255)
    bool operator==(const KeyMessage&) const = default;
};
std::vector<KeyMessage> WindowsKeyMessages(const QKeyEvent& event);

}  // namespace qv
