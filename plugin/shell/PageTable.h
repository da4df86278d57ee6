#pragma once
// The sheet's pages, each named once: its id (of its dialog template and of its caption's
// string), its caption, its template and its class. Everything else that lists the pages is
// made from this table: the dialog and string resources, the sheet's page objects and the order
// of its tab row. A new tab is its page's source and one line here.

#include <memory>
#include <string_view>
#include <vector>

#include "platform/ui/DialogTemplate.h"

class CNodePage;

struct PageEntry {
    int id;
    std::string_view caption;
    DialogTemplate (*makeTemplate)();
    std::unique_ptr<CNodePage> (*makePage)();
    // Shown whatever the node's page set says, at the front of the tab row.
    bool leading = false;
};

// In the order in which the sheet makes its page objects and, after the leading ones, shows
// them. A test may add a page at its end, and remove it again.
std::vector<PageEntry>& PageTable();
