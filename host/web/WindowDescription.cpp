#include "host/web/WindowDescription.h"

#include <algorithm>

#include "platform/ui/Dialog.h"
#include "platform/ui/PropertySheet.h"

namespace host::web {

namespace {

using nlohmann::json;

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
            return "button";
        case ControlKind::RadioButton:
            return "radio";
        case ControlKind::CheckBox:
            return "check";
        case ControlKind::Edit:
            return "edit";
        case ControlKind::GroupBox:
            return "group";
        case ControlKind::Static:
            return "label";
        case ControlKind::Icon:
            return "icon";
    }
    return "label";
}

bool Inside(const ControlTemplate& inner, const ControlTemplate& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
           inner.y + inner.cy <= outer.y + outer.cy;
}

// The innermost group box around control index, or -1.
int EnclosingGroup(const std::vector<ControlTemplate>& controls, std::size_t index) {
    int found = -1;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (i != index && controls[i].kind == ControlKind::GroupBox &&
            Inside(controls[index], controls[i]) &&
            (found < 0 || Inside(controls[i], controls[static_cast<std::size_t>(found)]))) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

json Button(const CWnd& button) {
    const ControlTemplate& t = *button.Template();
    return {{"id", button.GetDlgCtrlID()},
            {"text", button.GetWindowText()},
            {"enabled", button.IsWindowEnabled()},
            {"visible", button.IsWindowVisible()},
            {"cx", t.cx},
            {"cy", t.cy}};
}

}  // namespace

json WindowDescription::Controls(const CDialog& dialog) {
    json list = json::array();
    std::vector<ControlTemplate> templates;
    for (const auto& control : dialog.Controls()) {
        templates.push_back(*control->Template());
    }
    // A group of radio buttons: a run of them in template order inside the same group box.
    int group = -1;
    int groupBox = -2;
    bool previousRadio = false;
    for (std::size_t i = 0; i < dialog.Controls().size(); ++i) {
        const CWnd& control = *dialog.Controls()[i];
        const ControlTemplate& t = templates[i];
        json item = {{"i", i},
                     {"id", control.GetDlgCtrlID()},
                     {"kind", KindName(t.kind)},
                     {"text", control.GetWindowText()},
                     {"x", t.x},
                     {"y", t.y},
                     {"cx", t.cx},
                     {"cy", t.cy},
                     {"enabled", control.IsWindowEnabled()},
                     {"visible", control.IsWindowVisible()}};
        if (t.kind == ControlKind::RadioButton || t.kind == ControlKind::CheckBox) {
            item["checked"] = control.GetCheck() != 0;
        }
        if (t.kind == ControlKind::RadioButton) {
            const int box = EnclosingGroup(templates, i);
            if (!previousRadio || box != groupBox) {
                group = static_cast<int>(i);
                groupBox = box;
            }
            item["group"] = group;
        }
        previousRadio = t.kind == ControlKind::RadioButton;
        if (t.kind == ControlKind::Edit) {
            item["readOnly"] = t.readOnly;
            item["password"] = t.password;
        }
        if (t.centred) {
            item["centred"] = true;
        }
        list.push_back(std::move(item));
    }
    return list;
}

json WindowDescription::Describe(const CWnd& window) {
    if (const auto* sheet = dynamic_cast<const CPropertySheet*>(&window)) {
        json tabs = json::array();
        int cx = 1;
        int cy = 1;
        for (int i = 0; i < sheet->GetPageCount(); ++i) {
            const CPropertyPage& page = *sheet->GetPage(i);
            tabs.push_back(page.GetCaption());
            cx = std::max(cx, page.GetTemplate().cx);
            cy = std::max(cy, page.GetTemplate().cy);
        }
        json buttons = json::array();
        for (const auto& button : sheet->Buttons()) {
            buttons.push_back(Button(*button));
        }
        const CPropertyPage* page = sheet->GetActivePage();
        return {
            {"kind", "sheet"},
            {"caption", sheet->GetWindowText()},
            {"tabs", tabs},
            {"active", sheet->GetActiveIndex()},
            {"cx", cx},
            {"cy", cy},
            {"controls", page != nullptr && page->HasWindow() ? Controls(*page) : json::array()},
            {"buttons", buttons}};
    }
    if (const auto* dialog = dynamic_cast<const CDialog*>(&window)) {
        const DialogTemplate& t = dialog->GetTemplate();
        return {{"kind", "dialog"},
                {"caption", dialog->GetWindowText().empty() ? t.caption : dialog->GetWindowText()},
                {"cx", t.cx},
                {"cy", t.cy},
                {"controls", dialog->HasWindow() ? Controls(*dialog) : json::array()}};
    }
    return nullptr;
}

}  // namespace host::web
