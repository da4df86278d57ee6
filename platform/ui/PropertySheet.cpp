#include "platform/ui/PropertySheet.h"

#include <algorithm>

#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageLoop.h"

namespace {

// The sheet's standard buttons, right-aligned under the pages.
const ControlTemplate kSheetButtons[] = {
    {ControlKind::PushButton, IDOK, "OK", 138, 206, 50, 14},
    {ControlKind::PushButton, IDCANCEL, "Cancel", 192, 206, 50, 14},
    {ControlKind::PushButton, ID_APPLY_NOW, "Apply", 246, 206, 50, 14},
};

}  // namespace

CPropertySheet::CPropertySheet(const std::string& caption, CWnd* parent, unsigned selectPage)
    : m_initialPage(selectPage) {
    SetParent(parent);
    SetWindowText(caption);
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page) {
    page->SetParent(this);
    m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)]
                                                : nullptr;
}

int CPropertySheet::DoModal() {
    Create();
    MessageLoop::Current().RunModal(*this);
    DestroyWindow();
    return ModalResult();
}

void CPropertySheet::Create() {
    ResetModal();
    m_buttons.clear();
    for (const ControlTemplate& button : kSheetButtons) {
        m_buttons.push_back(std::make_unique<CWnd>(this, button));
    }
    OnInitDialog();
}

void CPropertySheet::DestroyWindow() {
    for (CPropertyPage* page : m_pages) {
        page->DestroyWindow();
    }
    m_active = -1;
    m_buttons.clear();
}

bool CPropertySheet::OnInitDialog() {
    if (!m_pages.empty()) {
        ShowPage(std::min<int>(static_cast<int>(m_initialPage), GetPageCount() - 1));
    }
    return true;
}

bool CPropertySheet::SetActivePage(int index) {
    if (GetPage(index) == nullptr) {
        return false;
    }
    if (index != m_active) {
        if (CPropertyPage* old = GetActivePage()) {
            old->ShowWindow(false);
            old->OnShowWindow(false, 0);
        }
        ShowPage(index);
    }
    return true;
}

void CPropertySheet::ShowPage(int index) {
    m_active = index;
    CPropertyPage* page = GetActivePage();
    page->ShowWindow(true);
    page->Create();
    page->OnShowWindow(true, 0);
    Changed();
}

CWnd* CPropertySheet::GetDlgItem(int id) const {
    for (const auto& button : m_buttons) {
        if (button->GetDlgCtrlID() == id) {
            return button.get();
        }
    }
    return nullptr;
}

bool CPropertySheet::PressButton(int id) {
    CWnd* button = GetDlgItem(id);
    if (button == nullptr || !button->IsWindowVisible() || !button->IsWindowEnabled()) {
        return false;
    }
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
    }
    return true;
}
