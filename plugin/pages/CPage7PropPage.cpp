#include "plugin/pages/CPage7PropPage.h"

CPage7PropPage::CPage7PropPage() : CNodePage(206) {}
