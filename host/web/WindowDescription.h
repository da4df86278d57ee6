#pragma once
// What the page draws of a modal window of the dialog model, as JSON: the property sheet (its
// tabs, the page in front with its controls, its own buttons) or a dialog with its controls.
// Positions and sizes stay in dialog units; the page scales them.

#include <nlohmann/json.hpp>

class CWnd;
class CDialog;

namespace host::web {

class WindowDescription {
  public:
    // A sheet or a dialog; null for a window that is neither.
    static nlohmann::json Describe(const CWnd& window);
    // A dialog's controls in template order, each with its index, kind, text, rectangle, state
    // and, for a radio button, the group it belongs to.
    static nlohmann::json Controls(const CDialog& dialog);
};

}  // namespace host::web
