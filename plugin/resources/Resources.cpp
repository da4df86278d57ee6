#include "plugin/resources/Resources.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"
#include "plugin/shell/PageTable.h"

namespace {

// Built on first use and kept for the life of the process: callers hold references.
const DialogTemplate* BuiltTemplate(int id) {
    static std::map<int, DialogTemplate> built;
    if (const auto it = built.find(id); it != built.end()) {
        return &it->second;
    }
    if (id == IDD_ABOUTBOX_QMA7) {
        return &built.emplace(id, AboutBoxTemplate()).first->second;
    }
    for (const PageEntry& page : PageTable()) {
        if (page.id == id) {
            return &built.emplace(id, page.makeTemplate()).first->second;
        }
    }
    return nullptr;
}

}  // namespace

DialogTemplate PageTemplate(int id) {
    DialogTemplate dialog;
    dialog.id = id;
    dialog.caption = StringResource(id);
    return dialog;
}

const DialogTemplate* FindDialogResource(int id) {
    return BuiltTemplate(id);
}

const DialogTemplate& DialogResource(int id) {
    const DialogTemplate* dialog = FindDialogResource(id);
    if (dialog == nullptr) {
        std::fprintf(stderr, "DialogResource: no dialog template with id %d\n", id);
        std::abort();
    }
    return *dialog;
}

std::string_view StringResource(int id) {
    if (id == IDS_QMA7) {
        return kTextTypeName;
    }
    for (const PageEntry& page : PageTable()) {
        if (page.id == id) {
            return page.caption;
        }
    }
    return {};
}
