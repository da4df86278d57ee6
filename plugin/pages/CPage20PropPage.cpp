#include "plugin/pages/CPage20PropPage.h"

CPage20PropPage::CPage20PropPage() : CNodePage(216) {}
