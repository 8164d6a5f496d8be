#include "cardwindow/ui/virtual_keys.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace qv {
namespace {

TEST(VirtualKeys, QtKeysToWindowsCodes) {
    const struct {
        Qt::Key key;
        bool keypad;
        int code;
    } cases[] = {
        {Qt::Key_Backspace, false, 8}, {Qt::Key_Tab, false, 9},          {Qt::Key_Backtab, false, 9},
        {Qt::Key_Return, false, 13},   {Qt::Key_Enter, true, 13},        {Qt::Key_Escape, false, 27},
        {Qt::Key_Space, false, 32},    {Qt::Key_PageUp, false, 33},      {Qt::Key_PageDown, false, 34},
        {Qt::Key_End, false, 35},      {Qt::Key_Home, false, 36},        {Qt::Key_Left, false, 37},
        {Qt::Key_Up, false, 38},       {Qt::Key_Right, false, 39},       {Qt::Key_Down, false, 40},
        {Qt::Key_Delete, false, 46},   {Qt::Key_0, false, 48},           {Qt::Key_9, false, 57},
        {Qt::Key_A, false, 65},        {Qt::Key_Z, false, 90},           {Qt::Key_F1, false, 112},
        {Qt::Key_F2, false, 113},      {Qt::Key_F3, false, 114},         {Qt::Key_F4, false, 115},
        {Qt::Key_F5, false, 116},      {Qt::Key_F8, false, 119},         {Qt::Key_F12, false, 123},
        {Qt::Key_0, true, 96},         {Qt::Key_7, true, 103},           {Qt::Key_Asterisk, true, 106},
        {Qt::Key_Plus, true, 107},     {Qt::Key_Minus, true, 109},       {Qt::Key_Period, true, 110},
        {Qt::Key_Slash, true, 111},    {Qt::Key_Exclam, false, 49},      {Qt::Key_ParenRight, false, 48},
        {Qt::Key_Minus, false, 189},   {Qt::Key_Underscore, false, 189}, {Qt::Key_Period, false, 190},
        {Qt::Key_Slash, false, 191},   {Qt::Key_Equal, false, 187},      {Qt::Key_Colon, false, 186},
        {Qt::Key_Agrave, false, 0},    {Qt::Key_unknown, false, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(VirtualKeyCode(c.key, c.keypad), c.code) << std::hex << c.key;
}

TEST(VirtualKeys, MessagesInWindowsOrder) {
    using K = KeyMessageKind;
    const struct {
        const char* what;
        QEvent::Type type;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        bool autoRepeat;
        std::vector<KeyMessage> messages;
    } cases[] = {
        {"a letter",
         QEvent::KeyPress,
         Qt::Key_A,
         Qt::NoModifier,
         "a",
         false,
         {{K::Down, 65}, {K::Press, 'a'}}},
        {"shifted",
         QEvent::KeyPress,
         Qt::Key_A,
         Qt::ShiftModifier,
         "A",
         false,
         {{K::Down, 65}, {K::Press, 'A'}}},
        {"a Windows-1252 letter",
         QEvent::KeyPress,
         Qt::Key_Egrave,
         Qt::NoModifier,
         QString(QChar(0xE8)),
         false,
         {{K::Press, 0xE8}}},
        {"the euro sign has a Windows-1252 byte",
         QEvent::KeyPress,
         Qt::Key_unknown,
         Qt::NoModifier,
         QString(QChar(0x20AC)),
         false,
         {{K::Press, 0x80}}},
        {"a letter without one is refused, not stored as \"?\"",
         QEvent::KeyPress,
         Qt::Key_unknown,
         Qt::NoModifier,
         QString(QChar(0x0142)),
         false,
         {}},
        {"enter",
         QEvent::KeyPress,
         Qt::Key_Return,
         Qt::NoModifier,
         "\r",
         false,
         {{K::Down, 13}, {K::Press, 13}}},
        {"tab", QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t", false, {{K::Down, 9}, {K::Press, 9}}},
        {"backspace",
         QEvent::KeyPress,
         Qt::Key_Backspace,
         Qt::NoModifier,
         "\b",
         false,
         {{K::Down, 8}, {K::Press, 8}}},
        {"delete gives no character",
         QEvent::KeyPress,
         Qt::Key_Delete,
         Qt::NoModifier,
         "\x7f",
         false,
         {{K::Down, 46}}},
        {"cursor keys give none", QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, "", false, {{K::Down, 37}}},
        {"function keys give none",
         QEvent::KeyPress,
         Qt::Key_F2,
         Qt::NoModifier,
         "",
         false,
         {{K::Down, 113}}},
        {"a repeated press repeats both",
         QEvent::KeyPress,
         Qt::Key_1,
         Qt::NoModifier,
         "1",
         true,
         {{K::Down, 49}, {K::Press, '1'}}},
        {"keypad digit",
         QEvent::KeyPress,
         Qt::Key_5,
         Qt::KeypadModifier,
         "5",
         false,
         {{K::Down, 101}, {K::Press, '5'}}},
        {"the final release", QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, "\t", false, {{K::Up, 9}}},
        {"a repeat's release gives nothing", QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, "\t", true, {}},
    };
    for (const auto& c : cases) {
        const QKeyEvent e(c.type, c.key, c.modifiers, c.text, c.autoRepeat);
        const std::vector<KeyMessage> got = WindowsKeyMessages(e);
        ASSERT_EQ(got.size(), c.messages.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(int(got[i].kind), int(c.messages[i].kind)) << c.what << " " << i;
            EXPECT_EQ(got[i].code, c.messages[i].code) << c.what << " " << i;
        }
    }
}

}  // namespace
}  // namespace qv
