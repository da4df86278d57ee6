#pragma once
// One tab of a property sheet: a dialog whose window is created the first time its tab is
// selected, and which is told each time it is shown or hidden.

#include <string>

#include "platform/ui/Dialog.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
  public:
    CPropertyPage(const DialogTemplate& dialogTemplate, std::string caption);

    const std::string& GetCaption() const { return m_caption; }
    CPropertySheet* GetSheet() const;

  private:
    friend class CPropertySheet;
    std::string m_caption;
};
