#include "plugin/pages/CPage3PropPage.h"

CPage3PropPage::CPage3PropPage() : CNodePage(202) {}
