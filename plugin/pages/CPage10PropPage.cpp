#include "plugin/pages/CPage10PropPage.h"

CPage10PropPage::CPage10PropPage() : CNodePage(209) {}
