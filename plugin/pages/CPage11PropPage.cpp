#include "plugin/pages/CPage11PropPage.h"

CPage11PropPage::CPage11PropPage() : CNodePage(210) {}
