#include "tests/support/SheetFixture.h"

#include "host/text/BoxFormat.h"
#include "host/text/Hex.h"
#include "plugin/shell/CQMA7Ctrl.h"
#include "plugin/shell/CSheet.h"

void TestFrontEnd::Pump(MessageLoop& /*loop*/, std::optional<std::int64_t> /*deadline*/) {
    ADD_FAILURE() << "a test sheet runs no modal loop";
}

int TestFrontEnd::RunMessageBox(MessageLoop& /*loop*/, const MessageBoxRequest& box) {
    int answer = IDOK;
    if (box.Answers().size() > 1) {
        if (answers.empty()) {
            ADD_FAILURE() << "no answer queued for the box \"" << box.text << "\"";
            answer = box.Answers().back();
        } else {
            answer = answers.front();
            answers.pop_front();
        }
    }
    boxes.push_back(host::FormatMessageBox(box, answer));
    return answer;
}

std::optional<std::string> TestFrontEnd::RunFileDialog(MessageLoop& /*loop*/,
                                                       const FileDialogRequest& dialog) {
    std::optional<std::string> path;
    if (files.empty()) {
        ADD_FAILURE() << "no file queued for the file dialog";
    } else {
        path = files.front();
        files.pop_front();
    }
    boxes.push_back(host::FormatFileDialog(dialog, path));
    return path;
}

void TestFrontEnd::Changed(const CWnd& window) {
    if (changed) {
        changed(window);
    }
}

SheetFixture::SheetFixture() {
    platform::crt::SetCurrentClock(&clock);
    m_control = new CQMA7Ctrl;  // one reference, released in the destructor
    m_control->SetClientSite(&site);
}

SheetFixture::~SheetFixture() {
    if (m_sheet) {
        Close();
    }
    m_control->SetClientSite(nullptr);
    m_control->Release();
    platform::crt::SetCurrentClock(nullptr);
}

void SheetFixture::Open() {
    g_pActiveControl = m_control;
    m_sheet = std::make_unique<CSheet>("QMA7", nullptr, 0);
    m_sheet->Create();
}

void SheetFixture::Close() {
    ASSERT_TRUE(m_sheet->PressButton(IDOK));
    m_sheet->DestroyWindow();
    m_sheet.reset();
}

std::vector<std::string> SheetFixture::Tabs() const {
    std::vector<std::string> tabs;
    for (int i = 0; i < m_sheet->GetPageCount(); ++i) {
        tabs.push_back(m_sheet->GetPage(i)->GetCaption());
    }
    return tabs;
}

void SheetFixture::SelectTab(const std::string& caption) {
    for (int i = 0; i < m_sheet->GetPageCount(); ++i) {
        if (m_sheet->GetPage(i)->GetCaption() == caption) {
            m_sheet->SetActivePage(i);
            return;
        }
    }
    FAIL() << "no tab " << caption;
}

CDialog& SheetFixture::Page() {
    return *m_sheet->GetActivePage();
}

void SheetFixture::Set(int id, const std::string& text) {
    CWnd* control = Page().GetDlgItem(id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    ASSERT_TRUE(control->IsWindowEnabled()) << "control " << id << " is disabled";
    control->SetWindowText(text);
}

void SheetFixture::Click(int id) {
    EXPECT_TRUE(Page().ClickControl(id)) << "control " << id << " cannot be clicked";
}

CWnd* SheetFixture::Control(int id) {
    CWnd* control = Page().GetDlgItem(id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
}

std::string SheetFixture::Text(int id) {
    CWnd* control = Control(id);
    return control != nullptr ? control->GetWindowText() : std::string();
}

bool SheetFixture::Checked(int id) {
    CWnd* control = Control(id);
    return control != nullptr && control->GetCheck() != 0;
}

bool SheetFixture::Enabled(int id) {
    CWnd* control = Control(id);
    return control != nullptr && control->IsWindowEnabled();
}

std::vector<std::string> SheetFixture::Trace() {
    std::vector<std::string> lines;
    for (const host::HostCall& call : site.TakeCalls()) {
        lines.push_back(host::FormatHostCall(call));
    }
    return lines;
}

std::vector<std::string> SheetFixture::Boxes() {
    return std::exchange(ui.boxes, {});
}

void SheetFixture::Advance(std::int64_t ms) {
    loop.AdvanceTo(clock.NowMs() + ms);
}

std::string SheetFixture::Nv(int nv) const {
    const auto bytes = node.GetNv(nv);
    return bytes ? host::FormatHex(*bytes) : "-";
}

std::string SheetFixture::Part(int k) const {
    return host::FormatHex(node.Part(k));
}

void SheetFixture::SetNv(int nv, const std::string& hex) {
    std::string error;
    ASSERT_TRUE(node.SetNv(nv, Hex(hex), error)) << error;
}

void SheetFixture::SetPart(int k, const std::string& hex) {
    std::string error;
    ASSERT_TRUE(node.SetPart(k, Hex(hex), error)) << error;
}

std::vector<std::uint8_t> Hex(const std::string& text) {
    std::string error;
    auto bytes = host::ParseHex(text, error);
    EXPECT_TRUE(bytes.has_value()) << error;
    return bytes.value_or(std::vector<std::uint8_t>{});
}

std::string Long(const std::string& hex) {
    std::vector<std::uint8_t> bytes = Hex(hex);
    bytes.resize(31, 0);
    return host::FormatHex(bytes);
}

std::string LongAt(std::initializer_list<std::pair<int, int>> bytes) {
    std::vector<std::uint8_t> value(31, 0);
    for (const auto& [index, byte] : bytes) {
        value.at(static_cast<std::size_t>(index)) = static_cast<std::uint8_t>(byte);
    }
    return host::FormatHex(value);
}
