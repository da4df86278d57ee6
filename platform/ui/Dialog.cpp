#include "platform/ui/Dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/ui/MessageLoop.h"

namespace {

// The CMake option QMA7_CHECK_DIALOG_IDS.
constexpr bool kCheckControlIds = QMA7_CHECK_DIALOG_IDS != 0;

[[noreturn]] void ControlIdError(const DialogTemplate& dialog, int id, const char* what) {
    std::fprintf(stderr, "qma7: dialog %d \"%s\": control %d %s\n", dialog.id,
                 dialog.caption.c_str(), id, what);
    std::abort();
}

bool HasControl(const DialogTemplate& dialog, int id) {
    return id != IDC_STATIC &&
           std::any_of(dialog.controls.begin(), dialog.controls.end(),
                       [id](const ControlTemplate& control) { return control.id == id; });
}

}  // namespace

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* parent) : m_template(dialogTemplate) {
    SetParent(parent);
    SetDlgCtrlID(dialogTemplate.id);
    SetWindowText(dialogTemplate.caption);
}

CDialog::~CDialog() {
    DestroyWindow();
}

bool CDialog::ChecksControlIds() {
    return kCheckControlIds;
}

void CDialog::Create() {
    if (m_hasWindow) {
        return;
    }
    if (kCheckControlIds) {
        for (const int id : m_bound) {
            if (!HasControl(m_template, id)) {
                ControlIdError(m_template, id, "is bound but not in the template");
            }
        }
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
    m_bound.insert(id);
}

void CDialog::BindControls(std::initializer_list<int> ids) {
    m_bound.insert(ids);
}

CWnd* CDialog::BoundItem(int id) const {
    if (kCheckControlIds && !m_bound.contains(id)) {
        ControlIdError(m_template, id, "is used but not bound");
    }
    return GetDlgItem(id);
}

std::string CDialog::GetDlgItemText(int id) const {
    const CWnd* control = BoundItem(id);
    return control != nullptr ? control->GetWindowText() : std::string();
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    if (CWnd* control = BoundItem(id)) {
        control->SetWindowText(text);
    }
}

bool CDialog::IsDlgButtonChecked(int id) const {
    const CWnd* control = BoundItem(id);
    return control != nullptr && control->GetCheck() != 0;
}

void CDialog::CheckDlgButton(int id, bool check) {
    if (CWnd* control = BoundItem(id)) {
        control->SetCheck(check ? 1 : 0);
    }
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (CWnd* control = BoundItem(id)) {
        control->EnableWindow(enable);
    }
}
