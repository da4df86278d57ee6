#include "plugin/pages/CPage18PropPage.h"

CPage18PropPage::CPage18PropPage() : CNodePage(214) {}
