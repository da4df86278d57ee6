#include "plugin/pages/CPage15PropPage.h"

CPage15PropPage::CPage15PropPage() : CNodePage(213) {}
