#pragma once
// The keys of the on-screen keyboard: where each sits in the keyboard window (dialog units), its
// control id, its label and what it does to the text it types into.
#include <QRect>
#include <array>
#include "text/tstring.h"

namespace vantor {

enum class KeyAction { Letter, Space, Backspace, Clear };

struct KeyboardKey {
    int id;
    KeyAction action;
    char16_t letter;        // the lower-case letter a letter key types
    const char16_t* label;  // the text on the key
    QRect rect_dlu;         // x, y, width, height in dialog units
};

inline constexpr int kKeyBackspace = 1003;
inline constexpr int kKeyClear = 1004;
inline constexpr int kKeySpace = 1034;

// The 26 letters in a grid of three columns, filled row by row in alphabetical order, then the
// backspace (the window's default button), "Space" and "清除所有".
const std::array<KeyboardKey, 29>& KeyboardKeys();

// The designed client size of the keyboard window, in dialog units.
inline constexpr QSize kKeyboardSizeDlu{149, 377};

// The text after pressing the key.
tstring ApplyKeyboardKey(const tstring& text, const KeyboardKey& key);

}  // namespace vantor
