#include "platform/ui/Wnd.h"

#include "platform/ui/MessageLoop.h"

CWnd::CWnd(CWnd* parent, const ControlTemplate& control)
    : m_parent(parent),
      m_template(&control),
      m_id(control.id),
      // A field starts empty; every other control shows its caption.
      m_text(control.kind == ControlKind::Edit ? std::string() : control.text) {}

void CWnd::Changed() const {
    if (MessageLoop::Exists()) {
        MessageLoop::Current().NotifyChanged(*this);
    }
}

void CWnd::SetWindowText(const std::string& text) {
    if (m_text != text) {
        m_text = text;
        Changed();
    }
}

void CWnd::EnableWindow(bool enable) {
    if (m_enabled != enable) {
        m_enabled = enable;
        Changed();
    }
}

void CWnd::ShowWindow(bool show) {
    if (m_visible != show) {
        m_visible = show;
        Changed();
    }
}

void CWnd::SetCheck(int check) {
    const bool checked = check != 0;
    if (m_checked != checked) {
        m_checked = checked;
        Changed();
    }
}

void CWnd::EndDialog(int result) {
    m_modalEnded = true;
    m_modalResult = result;
}

int CWnd::MessageBox(const std::string& text, const std::string& title, unsigned flags) {
    return MessageLoop::Current().MessageBox(MessageBoxRequest::FromFlags(text, title, flags));
}
