#include "plugin/shell/CSheet.h"

#include <array>

#include "platform/ui/MessageBox.h"
#include "plugin/codec/NvCodec.h"
#include "plugin/pages/NodePage.h"
#include "plugin/shell/CQMA7Ctrl.h"
#include "plugin/shell/PageTable.h"

namespace {

constexpr int NV_PAGE_SET = 22;
constexpr std::size_t kPageSetBufferSize = 32;
constexpr std::size_t kPageSetHigh = 21;
constexpr std::size_t kPageSetLow = 22;

const char* const kExitCaption = "Exit";
const char* const kNodeNotAvailable = "Node not available!";
const char* const kNodeNotAvailableTitle = "Plugin";

std::vector<std::unique_ptr<CNodePage>> MakePages() {
    std::vector<std::unique_ptr<CNodePage>> pages;
    for (const PageEntry& page : PageTable()) {
        pages.push_back(page.makePage());
    }
    return pages;
}

}  // namespace

CSheet::CSheet(const std::string& caption, CWnd* parent, unsigned selectPage)
    : CPropertySheet(caption, parent, selectPage), m_pages(MakePages()) {
    GetInterfaces();
    PageSet();
}

CSheet::~CSheet() {
    m_pNvWrite.Reset();
    m_pNvRead.Reset();
    m_pSite = nullptr;
    // The last page made goes first, as members would.
    while (!m_pages.empty()) {
        m_pages.pop_back();
    }
}

void CSheet::GetInterfaces() {
    if (g_pActiveControl == nullptr) {
        return;
    }
    m_pSite = g_pActiveControl->GetClientSite();
    if (m_pSite == nullptr) {
        return;
    }
    // Each query is made whatever the other one's outcome.
    void* read = nullptr;
    if (m_pSite->QueryInterface(IID_INvRead, &read) == S_OK) {
        m_pNvRead = ComPtr<INvRead>::Attach(static_cast<INvRead*>(read));
    }
    void* write = nullptr;
    if (m_pSite->QueryInterface(IID_INvWrite, &write) == S_OK) {
        m_pNvWrite = ComPtr<INvWrite>::Attach(static_cast<INvWrite*>(write));
    }
}

void CSheet::PageSet() {
    // The leading pages ("Node information" and "Import / Export") always open the tab row.
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (PageTable()[i].leading) {
            AddPage(m_pages[i].get());
        }
    }

    std::array<std::uint8_t, kPageSetBufferSize> buffer{};
    const bool read = m_pNvRead && m_pNvRead->ReadNv(NV_PAGE_SET, buffer.data(),
                                                     static_cast<std::int32_t>(buffer.size())) == 0;
    if (!read || NvCodec().MakeWord(buffer[kPageSetHigh], buffer[kPageSetLow]) <= 0) {
        return;
    }
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (!PageTable()[i].leading) {
            AddPage(m_pages[i].get());
        }
    }
}

bool CSheet::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    GetDlgItem(IDOK)->SetWindowText(kExitCaption);
    GetDlgItem(ID_APPLY_NOW)->ShowWindow(false);
    GetDlgItem(IDCANCEL)->ShowWindow(false);
    if (!m_pNvWrite && !m_pNvRead) {
        MessageBox(kNodeNotAvailable, kNodeNotAvailableTitle, MB_OK | MB_ICONEXCLAMATION);
    }
    return true;
}
