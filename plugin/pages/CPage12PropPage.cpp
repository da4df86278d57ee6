#include "plugin/pages/CPage12PropPage.h"

#include "plugin/resources/PageTemplates.h"

namespace {

constexpr int IDC_NODENAME = 201;  // "Nodename": the node's name, read once
constexpr std::size_t kNameBufferSize = 50;

// The maker's contact details are not known here; the node's documentation carries them.
constexpr char kMakerContact[] =
    "Brimla\n"
    "Building automation\n"
    "QMA7 air-handling controller\n"
    "Postal address, telephone,\n"
    "fax and web address: see\n"
    "the documentation delivered\n"
    "with the node.";
constexpr char kMakerAndVersion[] = "Brimla 2001\nQMA7_1j plugin v1.01 (KT4)";

}  // namespace

// No positions are given for this page: it is laid out in the style of the others (labels left
// of their fields, group boxes around what belongs together), its controls in the order of its
// control table.
DialogTemplate NodeInformationTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_NODE_INFORMATION);
    dialog.controls = {
        Group("Nodename", 20, 20, 200, 36),
        DisplayField(IDC_NODENAME, 30, 35, 180),
        Label(kMakerContact, 10, 128, 120, 56),
        Label(kMakerAndVersion, 180, 168, 110, 16),
    };
    return dialog;
}

CPage12PropPage::CPage12PropPage() : CNodePage(IDD_PAGE_NODE_INFORMATION) {
    BindControls({IDC_NODENAME});
}

bool CPage12PropPage::OnInitDialog() {
    // Read once: renaming the node in the host shows only when the sheet is opened again.
    if (const auto name = ReadNodeName(kNameBufferSize)) {
        SetDlgItemText(IDC_NODENAME, *name);
    }
    return false;
}
