#pragma once
// The settings sheet in the benchmark process, as the host runs it: the factory node behind
// the client site, the real clock, and a front end that answers boxes and file dialogs from
// queues. The clock counts the pauses it is asked for, which (with the site's latency among
// them) are the floor of an action's time.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/node/FactoryNode.h"
#include "host/node/SimNode.h"
#include "host/site/ClientSite.h"
#include "platform/crt/Clock.h"
#include "platform/ui/MessageLoop.h"

class CSheet;
class CQMA7Ctrl;
class CDialog;

namespace bench {

// The real clock, counting the milliseconds of sleep asked of it.
class CountingClock final : public platform::crt::Clock {
  public:
    std::int64_t NowMs() const override { return m_real.NowMs(); }
    void SleepMs(std::int64_t ms) override;
    platform::crt::LocalDateTime Local() const override { return m_real.Local(); }

    std::int64_t TakeSleptMs();

  private:
    platform::crt::RealClock m_real;
    std::int64_t m_sleptMs = 0;
};

class QueueFrontEnd final : public FrontEnd {
  public:
    // Runs between inputs in a modal loop; none: the loop sleeps until the next timer.
    std::function<void(MessageLoop&, std::optional<std::int64_t>)> pump;
    void Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) override;
    int RunMessageBox(MessageLoop& loop, const MessageBoxRequest& box) override;
    std::optional<std::string> RunFileDialog(MessageLoop& loop,
                                             const FileDialogRequest& dialog) override;

    std::deque<int> answers;
    std::deque<std::string> files;
    std::string problem;  // a box or dialog that found no answer
};

class BenchSheet {
  public:
    // On the factory node, or on the node behind link.
    BenchSheet();
    explicit BenchSheet(host::NodeLink& link);
    ~BenchSheet();
    BenchSheet(const BenchSheet&) = delete;
    BenchSheet& operator=(const BenchSheet&) = delete;

    // Builds the sheet as the properties verb does and opens it on its first tab.
    void Open();
    // Opens the sheet and runs it modally until the front end presses Exit.
    void RunModal();
    void Close();
    CSheet& Sheet() { return *m_sheet; }
    bool SelectTab(const std::string& caption);
    CDialog& Page();

    host::SimNode node = host::FactoryNode::Make();
    host::ClientSite site;
    CountingClock clock;
    QueueFrontEnd ui;
    MessageLoop loop{ui, clock};

  private:
    CQMA7Ctrl* m_control = nullptr;
    std::unique_ptr<CSheet> m_sheet;
};

// One "Save to file" on the node behind link into file, timed: its wall time, the plug-in's own
// pauses and how many host calls it made. Nothing, and why in problem, when no file was saved.
struct TimedExport {
    double wallMs = 0;
    double pausesMs = 0;
    std::size_t calls = 0;
};
std::optional<TimedExport> TimeExport(host::NodeLink& link, const std::filesystem::path& file,
                                      std::string& problem);

// Sleeps until the real clock reads at least untilMs.
void SleepUntil(std::int64_t untilMs);

}  // namespace bench
