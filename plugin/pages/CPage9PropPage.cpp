#include "plugin/pages/CPage9PropPage.h"

CPage9PropPage::CPage9PropPage() : CNodePage(208) {}
