#include "plugin/pages/CPage2PropPage.h"

CPage2PropPage::CPage2PropPage() : CNodePage(201) {}
