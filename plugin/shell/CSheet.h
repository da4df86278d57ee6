#pragma once
// The settings sheet: owns every tab, obtains the host's node interfaces for all of them, and
// decides from the node which tabs the user sees.

#include <memory>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/NvInterfaces.h"
#include "platform/ui/PropertySheet.h"

class CNodePage;

class CSheet : public CPropertySheet {
  public:
    CSheet(const std::string& caption, CWnd* parent, unsigned selectPage);
    ~CSheet() override;

    bool OnInitDialog() override;

    ComPtr<INvWrite> m_pNvWrite;
    ComPtr<INvRead> m_pNvRead;
    IOleClientSite* m_pSite = nullptr;  // not owned

    // One object per page of the page table, in its order; the sheet shows those the node asks
    // for.
    std::vector<std::unique_ptr<CNodePage>> m_pages;

  private:
    void GetInterfaces();
    void PageSet();
};
