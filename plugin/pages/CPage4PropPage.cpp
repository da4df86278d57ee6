#include "plugin/pages/CPage4PropPage.h"

CPage4PropPage::CPage4PropPage() : CNodePage(203) {}
