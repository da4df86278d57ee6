// Control ids: a dialog binds the controls its code touches, and a checked build fails loudly,
// naming the dialog and the id, on a bound id its template lacks or a used id it never bound.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/Dialog.h"

namespace {

constexpr int kButton = 10;
constexpr int kField = 11;
constexpr int kUnbound = 12;  // in the template, never bound
constexpr int kMissing = 99;  // not in the template
const std::vector<ControlTemplate> kControls = {
    Button(kButton, "Go", 10, 10), EditField(kField, 10, 30), EditField(kUnbound, 10, 50)};
const DialogTemplate kTemplate{900, "Test", 300, 200, kControls};

class TestDialog final : public CDialog {
  public:
    TestDialog(int handled, int bound) : CDialog(kTemplate) {
        OnClicked(handled, [this] { SetDlgItemText(kField, "clicked"); });
        BindControls({bound});
    }
    using CDialog::SetDlgItemText;
};

}  // namespace

TEST(DialogIdsDeathTest, AMissingOrUnboundIdFailsNamingTheDialogAndTheId) {
    if (!CDialog::ChecksControlIds()) {
        GTEST_SKIP() << "built without the control id check";
    }
    TestDialog dialog(kButton, kField);
    dialog.Create();
    ASSERT_TRUE(dialog.ClickControl(kButton));
    EXPECT_EQ(dialog.GetDlgItem(kField)->GetWindowText(), "clicked");

    EXPECT_DEATH(TestDialog(kMissing, kField).Create(),
                 "dialog 900 \"Test\": control 99 is bound but not in the template");
    EXPECT_DEATH(TestDialog(kButton, kMissing).Create(),
                 "dialog 900 \"Test\": control 99 is bound but not in the template");
    EXPECT_DEATH(dialog.SetDlgItemText(kUnbound, "text"),
                 "dialog 900 \"Test\": control 12 is used but not bound");
}
