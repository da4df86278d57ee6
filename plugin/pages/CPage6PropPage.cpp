#include "plugin/pages/CPage6PropPage.h"

CPage6PropPage::CPage6PropPage() : CNodePage(205) {}
