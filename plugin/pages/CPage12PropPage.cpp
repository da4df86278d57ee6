#include "plugin/pages/CPage12PropPage.h"

namespace {
constexpr int IDC_NODENAME = 201;
constexpr std::size_t kNameBufferSize = 50;
}  // namespace

CPage12PropPage::CPage12PropPage() : CNodePage(211) {}

bool CPage12PropPage::OnInitDialog() {
    // Read once: renaming the node in the host shows only when the sheet is opened again.
    if (const auto name = ReadNodeName(kNameBufferSize)) {
        SetDlgItemText(IDC_NODENAME, *name);
    }
    return false;
}
