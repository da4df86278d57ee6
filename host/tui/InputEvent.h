#pragma once
// One input from the terminal, already decoded from its escape sequence.

namespace host::tui {

enum class Key {
    Char,  // a printable character: ch
    Tab,
    BackTab,
    Enter,
    Escape,
    Backspace,
    Delete,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    CtrlPageUp,
    CtrlPageDown,
    ClearField,  // Ctrl-U
    Function,    // F1 to F12: number
    Alt,         // Alt with a character: ch
    Mouse,       // a mouse action at (x, y)
    Resize,      // the terminal changed its size
    Terminate,   // a signal asks the program to end: number
};

enum class MouseAction { Press, WheelUp, WheelDown };

struct InputEvent {
    Key key = Key::Char;
    char32_t ch = 0;
    int number = 0;
    int x = 0;
    int y = 0;
    MouseAction mouse = MouseAction::Press;

    static InputEvent Of(Key key) { return {key}; }
    static InputEvent Character(char32_t c) { return {Key::Char, c}; }
    static InputEvent FunctionKey(int n) { return {Key::Function, 0, n}; }
    static InputEvent AltKey(char32_t c) { return {Key::Alt, c}; }
    static InputEvent Click(int x, int y) { return {Key::Mouse, 0, 0, x, y, MouseAction::Press}; }
    static InputEvent Wheel(int x, int y, bool up) {
        return {Key::Mouse, 0, 0, x, y, up ? MouseAction::WheelUp : MouseAction::WheelDown};
    }
};

}  // namespace host::tui
