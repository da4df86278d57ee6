#pragma once
// Dialog templates: the layout of a dialog as data, in dialog units, in the order in which the
// dialog lists its controls ("template order").

#include <string>
#include <vector>

enum class ControlKind {
    PushButton,
    RadioButton,
    CheckBox,
    Edit,  // an edit field; read-only or password through the flags below
    GroupBox,
    Static,  // a label; "\n" in its text breaks it into lines
    Icon,
};

constexpr int IDC_STATIC = -1;  // the id of controls that no code addresses

struct ControlTemplate {
    ControlKind kind = ControlKind::Static;
    int id = IDC_STATIC;
    std::string text;  // caption, label or initial text
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    bool readOnly = false;  // Edit: a display field
    bool password = false;  // Edit: characters masked
    bool centred = false;   // Static: centred text
    int image = 0;          // Icon: the icon resource it shows
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int cx = 300;
    int cy = 200;
    std::vector<ControlTemplate> controls;
};

// Shorthands that keep template tables readable, one line per control.
inline ControlTemplate Button(int id, std::string caption, int x, int y, int cx = 50, int cy = 14) {
    return {ControlKind::PushButton, id, std::move(caption), x, y, cx, cy};
}
inline ControlTemplate Radio(int id, std::string caption, int x, int y, int cx, int cy = 10) {
    return {ControlKind::RadioButton, id, std::move(caption), x, y, cx, cy};
}
inline ControlTemplate Check(int id, std::string caption, int x, int y, int cx, int cy = 10) {
    return {ControlKind::CheckBox, id, std::move(caption), x, y, cx, cy};
}
inline ControlTemplate EditField(int id, int x, int y, int cx = 31, int cy = 12) {
    return {ControlKind::Edit, id, "", x, y, cx, cy};
}
inline ControlTemplate DisplayField(int id, int x, int y, int cx = 31, int cy = 12) {
    ControlTemplate t{ControlKind::Edit, id, "", x, y, cx, cy};
    t.readOnly = true;
    return t;
}
inline ControlTemplate PasswordField(int id, int x, int y, int cx = 50, int cy = 12) {
    ControlTemplate t{ControlKind::Edit, id, "", x, y, cx, cy};
    t.password = true;
    return t;
}
inline ControlTemplate Group(std::string caption, int x, int y, int cx, int cy) {
    return {ControlKind::GroupBox, IDC_STATIC, std::move(caption), x, y, cx, cy};
}
inline ControlTemplate Label(std::string text, int x, int y, int cx, int cy = 8) {
    return {ControlKind::Static, IDC_STATIC, std::move(text), x, y, cx, cy};
}
inline ControlTemplate CentredLabel(std::string text, int x, int y, int cx, int cy = 8) {
    ControlTemplate t{ControlKind::Static, IDC_STATIC, std::move(text), x, y, cx, cy};
    t.centred = true;
    return t;
}
inline ControlTemplate IconImage(int image, int x, int y, int cx = 20, int cy = 20) {
    ControlTemplate t{ControlKind::Icon, IDC_STATIC, "", x, y, cx, cy};
    t.image = image;
    return t;
}
