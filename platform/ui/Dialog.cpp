#include "platform/ui/Dialog.h"

#include "platform/ui/MessageLoop.h"

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* parent) : m_template(dialogTemplate) {
    SetParent(parent);
    SetDlgCtrlID(dialogTemplate.id);
    SetWindowText(dialogTemplate.caption);
}

CDialog::~CDialog() {
    DestroyWindow();
}

void CDialog::Create() {
    if (m_hasWindow) {
        return;
    }
    for (const ControlTemplate& control : m_template.controls) {
        m_controls.push_back(std::make_unique<CWnd>(this, control));
    }
    m_hasWindow = true;
    OnControlsCreated();
    OnInitDialog();
}

void CDialog::DestroyWindow() {
    if (!m_hasWindow) {
        return;
    }
    if (MessageLoop::Exists()) {
        MessageLoop::Current().KillTimers(*this);
    }
    m_controls.clear();
    m_hasWindow = false;
}

int CDialog::DoModal() {
    ResetModal();
    Create();
    MessageLoop::Current().RunModal(*this);
    DestroyWindow();
    return ModalResult();
}

CWnd* CDialog::GetDlgItem(int id) const {
    for (const auto& control : m_controls) {
        if (control->GetDlgCtrlID() == id && id != IDC_STATIC) {
            return control.get();
        }
    }
    return nullptr;
}

bool CDialog::ClickControl(int id) {
    CWnd* control = GetDlgItem(id);
    if (control == nullptr || !control->IsWindowEnabled() || !control->IsWindowVisible()) {
        return false;
    }
    switch (control->Template()->kind) {
        case ControlKind::RadioButton:
            control->SetCheck(1);
            break;
        case ControlKind::CheckBox:
            control->SetCheck(control->GetCheck() != 0 ? 0 : 1);
            break;
        case ControlKind::PushButton:
            break;
        default:
            return false;
    }
    if (const auto handler = m_handlers.find(id); handler != m_handlers.end()) {
        handler->second();
    }
    return true;
}

unsigned CDialog::SetTimer(unsigned id, std::uint32_t periodMs) {
    MessageLoop::Current().SetTimer(*this, id, periodMs);
    return id;
}

void CDialog::KillTimer(unsigned id) {
    MessageLoop::Current().KillTimer(*this, id);
}

void CDialog::OnClicked(int id, std::function<void()> handler) {
    m_handlers[id] = std::move(handler);
}

std::string CDialog::GetDlgItemText(int id) const {
    const CWnd* control = GetDlgItem(id);
    return control != nullptr ? control->GetWindowText() : std::string();
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    if (CWnd* control = GetDlgItem(id)) {
        control->SetWindowText(text);
    }
}

bool CDialog::IsDlgButtonChecked(int id) const {
    const CWnd* control = GetDlgItem(id);
    return control != nullptr && control->GetCheck() != 0;
}

void CDialog::CheckDlgButton(int id, bool check) {
    if (CWnd* control = GetDlgItem(id)) {
        control->SetCheck(check ? 1 : 0);
    }
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (CWnd* control = GetDlgItem(id)) {
        control->EnableWindow(enable);
    }
}
