#pragma once
// What the dialog templates are built from. Each page's template is built in the page's own
// source from the control ids that its code uses, one line per control in the order of its
// control table (a unit label follows its field), and declared in the page's header; the page
// table (plugin/shell/PageTable) names it, and Resources.cpp finds it there.

#include <string_view>

#include "platform/ui/DialogTemplate.h"

// A unit label right of its field, as wide as its text needs (about four dialog units a
// character, plus a margin) so that it stays inside the group box around the field.
inline ControlTemplate Unit(std::string_view text, int x, int y) {
    int characters = 0;
    for (const char c : text) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;  // UTF-8 lead bytes
    }
    return Label(std::string(text), x, y, 4 * characters + 4);
}

// A page template of the usual size, titled with the page's string resource.
DialogTemplate PageTemplate(int id);

DialogTemplate AboutBoxTemplate();
