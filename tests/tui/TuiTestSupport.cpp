#include "tests/tui/TuiTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "host/app/FrontEndHookup.h"
#include "host/tui/Utf8.h"
#include "platform/com/OleObject.h"
#include "plugin/resources/Resources.h"
#include "plugin/shell/CQMA7Ctrl.h"
#include "plugin/shell/PageTable.h"
#include "tests/support/Files.h"

namespace tuitest {

void FakeTerminal::Show(const CellGrid& grid) {
    ++shows;
    lastRows = grid.Rows();
}

std::vector<InputEvent> FakeTerminal::Wait(std::optional<std::int64_t> timeoutMs) {
    timeouts.push_back(timeoutMs);
    if (timeouts.size() > 100000) {
        ADD_FAILURE() << "the front end keeps waiting: the input does not end the session";
        return {InputEvent{Key::Terminate, 0, 15}};
    }
    if (onWait) {
        onWait();
    }
    if (!input.empty()) {
        const InputEvent event = input.front();
        input.pop_front();
        return {event};
    }
    if (timeoutMs) {
        m_clock.AdvanceTo(m_clock.NowMs() + *timeoutMs);
        return {};
    }
    if (++m_idleEscapes > 20) {
        ADD_FAILURE() << "the front end keeps waiting with nothing to do";
        return {InputEvent{Key::Terminate, 0, 15}};
    }
    return {Press(Key::Escape)};
}

std::vector<InputEvent> FakeTerminal::Poll() {
    if (onPoll) {
        onPoll();
    }
    std::vector<InputEvent> events(typed.begin(), typed.end());
    typed.clear();
    return events;
}

InputEvent Press(Key key) {
    return InputEvent::Of(key);
}

InputEvent Type(char32_t c) {
    return InputEvent::Character(c);
}

SheetSession::SheetSession(host::ClientSite& site, platform::crt::VirtualClock& clock,
                           host::tui::StatusInfo status)
    : terminal(80, 24, clock),
      ui(terminal, clock, std::move(status), host::tui::Glyphs::Unicode(),
         {{},
          [this](int signal) {
              EXPECT_TRUE(signal == 15 || signal == 0) << signal;  // SIGTERM, or Esc or F10
              stops.push_back({m_clock.NowMs(), ui.Interrupted(), m_site.TakeCalls(), signal});
          },
          {},
          [this] { m_site.Link().UserActionBegins(); },
          [this] { return m_site.Link().TakeNotice(); }}),
      m_site(site),
      m_clock(clock) {}

void SheetSession::Run(const std::function<void(int wait)>& play) {
    int waits = 0;
    terminal.onWait = [&] { play(++waits); };
    MessageLoop loop(ui, m_clock);
    const host::FrontEndHookup hookup(m_site, ui);
    auto* control = new CQMA7Ctrl;
    control->SetClientSite(&m_site);
    control->DoVerb(OLEIVERB_PROPERTIES);
    control->SetClientSite(nullptr);
    control->Release();
}

void SheetSession::Click(const std::string& text) {
    const auto at = Find(ui.LastGrid(), text);
    ASSERT_TRUE(at) << "no \"" << text << "\" on the screen";
    terminal.input.push_back(InputEvent::Click(at->x + 1, at->y));
}

TemplateSheet::TemplateSheet() {
    // The settings sheet's tab order: the leading pages, then the others.
    std::vector<int> order;
    for (const bool leading : {true, false}) {
        for (const PageEntry& page : PageTable()) {
            if (page.leading == leading) {
                order.push_back(page.id);
            }
        }
    }
    for (const int id : order) {
        m_pages.push_back(
            std::make_unique<CPropertyPage>(DialogResource(id), std::string(StringResource(id))));
        m_sheet.AddPage(m_pages.back().get());
    }
    m_sheet.Create();
    m_sheet.GetDlgItem(IDOK)->SetWindowText("Exit");
    m_sheet.GetDlgItem(IDCANCEL)->ShowWindow(false);
    m_sheet.GetDlgItem(ID_APPLY_NOW)->ShowWindow(false);
}

TemplateSheet::~TemplateSheet() {
    m_sheet.DestroyWindow();
}

void TemplateSheet::Select(const std::string& caption) {
    for (int i = 0; i < m_sheet.GetPageCount(); ++i) {
        if (m_sheet.GetPage(i)->GetCaption() == caption) {
            m_sheet.SetActivePage(i);
            return;
        }
    }
    ADD_FAILURE() << "no tab " << caption;
}

CWnd& TemplateSheet::Control(int id) {
    CWnd* control = m_sheet.GetActivePage()->GetDlgItem(id);
    if (control == nullptr) {
        ADD_FAILURE() << "no control " << id;
        std::abort();
    }
    return *control;
}

void ExpectGolden(const std::string& name, const CellGrid& grid) {
    std::string text;
    auto add = [&](const std::string& rows) {
        std::istringstream lines(rows);
        for (std::string line; std::getline(lines, line);) {
            text += line + "|\n";
        }
    };
    add(grid.Rows());
    text += "--- styles\n";
    add(grid.StyleRows());

    // From the test data folder, whose path is absolute: __FILE__ may be relative to the
    // build folder (ccache with a base folder makes it so), and the tests run elsewhere.
    const auto path = std::filesystem::path(QMA7_TEST_DATA_DIR).parent_path() / "tui" / "golden" /
                      (name + ".txt");
    if (const char* update = std::getenv("QMA7_UPDATE_GOLDEN");
        update != nullptr && *update == '1') {
        WriteFile(path, text);
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(path))
        << "no golden grid " << path << "; QMA7_UPDATE_GOLDEN=1 writes it";
    const std::string expected = ReadFile(path);
    EXPECT_EQ(text, expected) << "the grid differs from " << path << "; it is now:\n" << text;
}

std::optional<host::tui::CellPos> Find(const CellGrid& grid, const std::string& text) {
    const std::u32string wanted = host::tui::DecodeUtf8(text);
    for (int y = 0; y < grid.Height(); ++y) {
        std::u32string row;
        for (int x = 0; x < grid.Width(); ++x) {
            row += grid.At(x, y);
        }
        if (const auto at = row.find(wanted); at != std::u32string::npos) {
            return host::tui::CellPos{static_cast<int>(at), y};
        }
    }
    return std::nullopt;
}

}  // namespace tuitest
