// A tab whose code binds a control that its template lacks fails as soon as its window is made.
#include <gtest/gtest.h>

#include "plugin/pages/CPage12PropPage.h"

namespace {

// Node information with a Read button, which its template does not have.
class NodeInformationWithRead final : public CPage12PropPage {
  public:
    NodeInformationWithRead() {
        OnClicked(IDC_READ, [] {});
    }
};

// Alarms with a status group on its display fields whose manual-value field does not exist.
class AlarmsWithStatusGroup final : public CNodePage {
  public:
    AlarmsWithStatusGroup() : CNodePage(IDD_PAGE_ALARMS) { OnStatusClicks({280, 281, 282, 299}); }
};

}  // namespace

TEST(PageIdsDeathTest, APageThatBindsAnIdMissingFromItsTemplateFailsWhenCreated) {
    if (!CDialog::ChecksControlIds()) {
        GTEST_SKIP() << "built without the control id check";
    }
    NodeInformationWithRead nodeInformation;
    EXPECT_DEATH(nodeInformation.Create(),
                 "dialog 211 \"Node information\": control 206 is bound but not in the template");
    AlarmsWithStatusGroup alarms;
    EXPECT_DEATH(alarms.Create(), "dialog 209 \"Alarms\": control 299 is bound but not");
}
