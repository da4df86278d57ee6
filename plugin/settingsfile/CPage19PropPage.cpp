#include "plugin/settingsfile/CPage19PropPage.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

constexpr int IDC_NODENAME = 439;
constexpr int IDC_FILENAME = 428;
constexpr int IDC_DEFAULT = 429;
constexpr int IDC_SAVE = 427;

constexpr std::size_t kNameBufferSize = 20;

// The default file: the node's name with ".txt" in the working directory. A "/" in the name
// would make a folder of it, so it becomes "_" in the file name only.
std::string DefaultFileName(std::string name) {
    std::replace(name.begin(), name.end(), '/', '_');
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) {
        folder = ".";
    }
    return (folder / (name + ".txt")).string();
}

}  // namespace

CPage19PropPage::CPage19PropPage() : CNodePage(215) { OnClicked(IDC_DEFAULT, [this] { OnDefault(); }); }

bool CPage19PropPage::OnInitDialog() {
    OnDefault();
    return true;
}

void CPage19PropPage::OnDefault() {
    const auto name = ReadNodeName(kNameBufferSize);
    if (name) {
        SetDlgItemText(IDC_FILENAME, DefaultFileName(*name));
        SetDlgItemText(IDC_NODENAME, *name);
    }
    EnableDlgItem(IDC_SAVE, name.has_value());
}
