#pragma once
// A dialog made from a template. It owns its controls while its window exists, routes clicks
// to the handlers registered for their ids, and owns its window timers.
//
// A dialog binds, in its constructor, every control its code touches: a handler binds its
// control, BindControls the others. Where the build checks control ids (the CMake option
// QMA7_CHECK_DIALOG_IDS, on in debug and test builds), Create aborts on a bound id that the
// template lacks and the item shorthands on an id that is not bound, each with a message naming
// the dialog and the id: a wrong id fails at once instead of silently doing nothing.

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Wnd.h"

class CDialog : public CWnd {
  public:
    explicit CDialog(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    const DialogTemplate& GetTemplate() const { return m_template; }

    // Creates the window: the controls, then OnInitDialog. Nothing when it exists already.
    void Create();
    // Destroys the window: its timers and its controls.
    void DestroyWindow();
    bool HasWindow() const { return m_hasWindow; }

    // Runs the dialog modally; the result given to EndDialog.
    int DoModal();

    // The controls exist; OnInitDialog follows.
    virtual void OnControlsCreated() {}
    virtual bool OnInitDialog() { return true; }
    virtual void OnShowWindow(bool /*show*/, unsigned /*status*/) {}
    virtual void OnTimer(unsigned /*id*/) {}

    // Whether this build checks control ids.
    static bool ChecksControlIds();

    // Controls, in template order.
    const std::vector<std::unique_ptr<CWnd>>& Controls() const { return m_controls; }
    CWnd* GetDlgItem(int id) const;

    // What a user's click on a control does: a push button runs its handler; a radio button
    // becomes checked and a check box toggles, then the handler runs if there is one. A
    // disabled or missing control takes no input: false.
    bool ClickControl(int id);

    unsigned SetTimer(unsigned id, std::uint32_t periodMs);
    void KillTimer(unsigned id);

  protected:
    // Handlers are registered in the constructor, one per control id.
    void OnClicked(int id, std::function<void()> handler);
    // The controls besides the handled ones that the dialog's code reads or writes.
    void BindControls(std::initializer_list<int> ids);

    // Shorthands over GetDlgItem, for bound controls.
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    bool IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, bool check);
    void EnableDlgItem(int id, bool enable);

  private:
    // A bound control; null while the window does not exist.
    CWnd* BoundItem(int id) const;

    const DialogTemplate& m_template;
    std::vector<std::unique_ptr<CWnd>> m_controls;
    std::map<int, std::function<void()>> m_handlers;
    std::set<int> m_bound;
    bool m_hasWindow = false;
};
