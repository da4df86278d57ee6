#pragma once
// A window: a dialog or one of its controls. Controls are made from their template; their
// text, check, enabled and visible state is all the dialog model keeps of them.

#include <string>

#include "platform/ui/DialogTemplate.h"

class CWnd {
  public:
    CWnd() = default;
    // A control of a dialog, made from its template.
    CWnd(CWnd* parent, const ControlTemplate& control);
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    int GetDlgCtrlID() const { return m_id; }
    CWnd* GetParent() const { return m_parent; }
    // The control's template; null for a window that is not a dialog control.
    const ControlTemplate* Template() const { return m_template; }

    const std::string& GetWindowText() const { return m_text; }
    void SetWindowText(const std::string& text);
    bool IsWindowEnabled() const { return m_enabled; }
    void EnableWindow(bool enable);
    bool IsWindowVisible() const { return m_visible; }
    void ShowWindow(bool show);
    // Buttons: 1 checked, 0 not.
    int GetCheck() const { return m_checked ? 1 : 0; }
    void SetCheck(int check);

    // A message box owned by this window; an empty title means none of its own.
    int MessageBox(const std::string& text, const std::string& title = "", unsigned flags = 0);

    // A modal window runs until EndDialog.
    void EndDialog(int result);
    bool IsModalEnded() const { return m_modalEnded; }
    int ModalResult() const { return m_modalResult; }

  protected:
    void SetParent(CWnd* parent) { m_parent = parent; }
    void SetDlgCtrlID(int id) { m_id = id; }
    void ResetModal() {
        m_modalEnded = false;
        m_modalResult = 0;
    }
    void Changed() const;

  private:
    CWnd* m_parent = nullptr;
    const ControlTemplate* m_template = nullptr;
    int m_id = 0;
    std::string m_text;
    bool m_enabled = true;
    bool m_visible = true;
    bool m_checked = false;
    bool m_modalEnded = false;
    int m_modalResult = 0;
};
