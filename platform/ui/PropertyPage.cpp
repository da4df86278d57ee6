#include "platform/ui/PropertyPage.h"

#include "platform/ui/PropertySheet.h"

CPropertyPage::CPropertyPage(const DialogTemplate& dialogTemplate, std::string caption)
    : CDialog(dialogTemplate), m_caption(std::move(caption)) {}

CPropertySheet* CPropertyPage::GetSheet() const {
    return static_cast<CPropertySheet*>(GetParent());
}
