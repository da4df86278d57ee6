#pragma once
// Runs the settings sheet in a test: the simulated node behind the client site, a virtual
// clock, and a front end that answers message boxes and file dialogs from queues. The test is
// the user: it selects tabs, types, clicks, lets time pass, and reads the host calls made.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/node/FactoryNode.h"
#include "host/node/SimNode.h"
#include "host/site/ClientSite.h"
#include "platform/crt/Clock.h"
#include "platform/ui/MessageLoop.h"

class CSheet;
class CQMA7Ctrl;
class CDialog;

// Answers boxes and dialogs from queues and records them as `boxes` prints them.
class TestFrontEnd final : public FrontEnd {
  public:
    void Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) override;
    int RunMessageBox(MessageLoop& loop, const MessageBoxRequest& box) override;
    std::optional<std::string> RunFileDialog(MessageLoop& loop,
                                             const FileDialogRequest& dialog) override;
    void Changed(const CWnd& window) override;

    std::deque<int> answers;  // for boxes that offer a choice
    std::deque<std::optional<std::string>> files;
    std::vector<std::string> boxes;
    // Sees every change of a window as it happens, also while a handler blocks.
    std::function<void(const CWnd&)> changed;
};

class SheetFixture : public ::testing::Test {
  protected:
    SheetFixture();
    ~SheetFixture() override;

    // Builds the sheet as the properties verb does and opens it on its first tab.
    void Open();
    // Presses Exit: the page windows and the sheet are destroyed.
    void Close();
    CSheet& Sheet() { return *m_sheet; }
    std::vector<std::string> Tabs() const;
    // Selects the tab with that caption, as a click on it.
    void SelectTab(const std::string& caption);
    CDialog& Page();

    // The current tab's controls.
    void Set(int id, const std::string& text);
    void Click(int id);
    std::string Text(int id);
    bool Checked(int id);
    bool Enabled(int id);

    // The host calls made since the last call of Trace, as `trace` prints them.
    std::vector<std::string> Trace();
    // The boxes and file dialogs shown since the last call, as `boxes` prints them.
    std::vector<std::string> Boxes();
    void Advance(std::int64_t ms);

    // Node bytes as upper-case hex, and setting them from hex.
    std::string Nv(int nv) const;
    std::string Part(int k) const;
    void SetNv(int nv, const std::string& hex);
    void SetPart(int k, const std::string& hex);

    host::SimNode node = host::FactoryNode::Make();
    host::ClientSite site{node};
    platform::crt::VirtualClock clock;
    TestFrontEnd ui;
    MessageLoop loop{ui, clock};

  private:
    CWnd* Control(int id);  // the current tab's; a failure when it has none

    CQMA7Ctrl* m_control = nullptr;
    std::unique_ptr<CSheet> m_sheet;
};

// The bytes of a hex text; for readable expectations.
std::vector<std::uint8_t> Hex(const std::string& text);
// A hex text (blanks allowed) as trace shows a 31-byte value: upper case, zeros filled up.
std::string Long(const std::string& hex);
// A 31-byte value, zero but for the given {index, byte} pairs, as trace shows it.
std::string LongAt(std::initializer_list<std::pair<int, int>> bytes);
