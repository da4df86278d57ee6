#include "bench/BenchSheet.h"

#include <chrono>
#include <thread>
#include <utility>

#include "plugin/shell/CQMA7Ctrl.h"
#include "plugin/shell/CSheet.h"

namespace bench {

void CountingClock::SleepMs(std::int64_t ms) {
    m_sleptMs += ms > 0 ? ms : 0;
    m_real.SleepMs(ms);
}

std::int64_t CountingClock::TakeSleptMs() {
    return std::exchange(m_sleptMs, 0);
}

void SleepUntil(std::int64_t untilMs) {
    const platform::crt::RealClock real;
    const std::int64_t now = real.NowMs();
    if (untilMs > now) {
        std::this_thread::sleep_for(std::chrono::milliseconds(untilMs - now));
    }
}

void QueueFrontEnd::Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) {
    if (pump) {
        pump(loop, deadline);
    } else if (deadline) {
        SleepUntil(*deadline);
    }
}

int QueueFrontEnd::RunMessageBox(MessageLoop& /*loop*/, const MessageBoxRequest& box) {
    if (box.Answers().size() == 1) {
        return box.Answers().front();
    }
    if (answers.empty()) {
        problem = "no answer for the box \"" + box.text + "\"";
        return box.Answers().back();
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> QueueFrontEnd::RunFileDialog(MessageLoop& /*loop*/,
                                                        const FileDialogRequest& /*dialog*/) {
    if (files.empty()) {
        problem = "no file for the file dialog";
        return std::nullopt;
    }
    std::string file = std::move(files.front());
    files.pop_front();
    return file;
}

BenchSheet::BenchSheet() : BenchSheet(node) {}

BenchSheet::BenchSheet(host::NodeLink& link) : site(link) {
    platform::crt::SetCurrentClock(&clock);
    m_control = new CQMA7Ctrl;  // one reference, released in the destructor
    m_control->SetClientSite(&site);
}

BenchSheet::~BenchSheet() {
    if (m_sheet) {
        Close();
    }
    m_control->SetClientSite(nullptr);
    m_control->Release();
    platform::crt::SetCurrentClock(nullptr);
}

void BenchSheet::Open() {
    g_pActiveControl = m_control;
    m_sheet = std::make_unique<CSheet>("QMA7", nullptr, 0);
    m_sheet->Create();
}

void BenchSheet::RunModal() {
    g_pActiveControl = m_control;
    m_sheet = std::make_unique<CSheet>("QMA7", nullptr, 0);
    m_sheet->DoModal();
    m_sheet.reset();
}

void BenchSheet::Close() {
    m_sheet->PressButton(IDOK);
    m_sheet->DestroyWindow();
    m_sheet.reset();
}

bool BenchSheet::SelectTab(const std::string& caption) {
    for (int i = 0; i < m_sheet->GetPageCount(); ++i) {
        if (m_sheet->GetPage(i)->GetCaption() == caption) {
            m_sheet->SetActivePage(i);
            return true;
        }
    }
    return false;
}

CDialog& BenchSheet::Page() {
    return *m_sheet->GetActivePage();
}

std::optional<TimedExport> TimeExport(host::NodeLink& link, const std::filesystem::path& file,
                                      std::string& problem) {
    constexpr int kSaveToFile = 427;
    BenchSheet onNode(link);
    onNode.Open();
    onNode.SelectTab("Import / Export");
    onNode.ui.files.push_back(file.string());
    onNode.site.TakeCalls();
    onNode.clock.TakeSleptMs();
    const auto start = std::chrono::steady_clock::now();
    onNode.Page().ClickControl(kSaveToFile);
    TimedExport timed;
    timed.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    timed.pausesMs = static_cast<double>(onNode.clock.TakeSleptMs());
    timed.calls = onNode.site.TakeCalls().size();
    if (!onNode.ui.problem.empty() || !std::filesystem::exists(file)) {
        problem = "no file was saved " + onNode.ui.problem;
        return std::nullopt;
    }
    return timed;
}

}  // namespace bench
