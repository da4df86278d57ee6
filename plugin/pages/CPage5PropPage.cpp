#include "plugin/pages/CPage5PropPage.h"

CPage5PropPage::CPage5PropPage() : CNodePage(204) {}
