#include "tests/support/ExtraPage.h"

#include <memory>
#include <string>

#include "plugin/pages/NodePage.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/shell/PageTable.h"

namespace {

constexpr int IDC_SETTING = 501;

DialogTemplate ExtraTemplate() {
    DialogTemplate dialog = PageTemplate(ExtraPage::kId);
    dialog.controls = {
        Group(std::string(ExtraPage::kGroup), 23, 18, 150, 40),
        Label("Setting", 35, 35, 40),
        EditField(IDC_SETTING, 90, 33),
        Unit("%", 125, 35),
        Button(IDC_WRITE, kTextWrite, 243, 161),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

class ExtraNodePage final : public CNodePage {
  public:
    ExtraNodePage() : CNodePage(ExtraPage::kId) {}
};

std::unique_ptr<CNodePage> MakeExtraPage() {
    return std::make_unique<ExtraNodePage>();
}

}  // namespace

ExtraPage::ExtraPage() {
    PageTable().push_back({kId, kCaption, ExtraTemplate, MakeExtraPage});
}

ExtraPage::~ExtraPage() {
    PageTable().pop_back();
}
