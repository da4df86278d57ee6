#include "plugin/pages/CPage8PropPage.h"

CPage8PropPage::CPage8PropPage() : CNodePage(207) {}
