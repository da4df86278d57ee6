#pragma once
// A modal tabbed dialog: a row of tabs, the page of the selected tab, and the sheet's own
// buttons OK, Cancel and Apply.

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/PropertyPage.h"
#include "platform/ui/Wnd.h"

constexpr int ID_APPLY_NOW = 12321;

class CPropertySheet : public CWnd {
  public:
    CPropertySheet(const std::string& caption, CWnd* parent, unsigned selectPage);
    ~CPropertySheet() override;

    // Pages are not owned; they must outlive the sheet's window.
    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetActiveIndex() const { return m_active; }
    CPropertyPage* GetActivePage() const { return GetPage(m_active); }

    // Runs the sheet until OK or Cancel ends it; then the page windows are destroyed.
    int DoModal();
    // The two halves of DoModal around its loop: the window with its buttons and first page,
    // and its destruction with every page window. Tests drive a sheet between the two.
    void Create();
    void DestroyWindow();
    // Framework initialisation: the sheet's buttons and the first page's window.
    virtual bool OnInitDialog();

    // What a click on tab index does: the old page is hidden; the new one is created the first
    // time, then shown. The tab already in front: nothing.
    bool SetActivePage(int index);

    // The sheet's own buttons: OK (1), Cancel (2), Apply (12321).
    const std::vector<std::unique_ptr<CWnd>>& Buttons() const { return m_buttons; }
    CWnd* GetDlgItem(int id) const;
    // A click on one of the sheet's buttons; false when it is hidden or disabled.
    bool PressButton(int id);

  private:
    void ShowPage(int index);

    std::vector<CPropertyPage*> m_pages;
    std::vector<std::unique_ptr<CWnd>> m_buttons;
    int m_active = -1;
    unsigned m_initialPage;
};
