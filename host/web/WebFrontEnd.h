#pragma once
// The browser front end of the message loop: the sheet served to one web browser. The page
// sends the user's clicks and typing; the front end gives them to the windows between handlers
// and pushes the windows' state back whenever it changed (the 2 s refresh included). It waits
// for a browser, a timer's due time or a signal in one poll, and runs message boxes and file
// dialogs in loops of their own in which timers keep ticking.
//
// While a handler runs, the page shows what runs, for how long and, for the long file actions,
// how far it is; input that arrives meanwhile is refused and counted, as the terminal drops
// keys typed while busy. After it, the status line says what its writes did; while the node is
// silent, the page dims its display fields. A stop signal while a host call waits abandons the
// call and ends the program at once.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/profile/ActionTally.h"
#include "host/profile/PluginProfile.h"
#include "host/tui/Screen.h"
#include "host/web/HttpServer.h"
#include "host/web/WebAccess.h"
#include "host/web/WebFileDialog.h"
#include "platform/crt/Clock.h"
#include "platform/ui/MessageLoop.h"

class CDialog;

namespace host::web {

class WebFrontEnd final : public FrontEnd {
  public:
    struct Hooks {
        // At each wake-up, before the front end sleeps: the application's own work (the live
        // node, saving). Returns when it wants the next wake-up, or nothing.
        std::function<std::optional<std::int64_t>(std::int64_t nowMs)> wake;
        // A signal asks the program to end: keep what must be kept.
        std::function<void(int signal)> terminate;
        // While a handler blocks, a few times a second; it must not touch the windows.
        std::function<void(std::int64_t nowMs)> busy;
        // The user's own action (a click, a tab) is about to run its handler.
        std::function<void()> action;
        // What the link found out meanwhile, for the status line; empty when nothing.
        std::function<std::string()> linkNotice;
    };

    WebFrontEnd(platform::crt::Clock& clock, tui::StatusInfo status,
                std::filesystem::path pageFolder, std::string token, Hooks hooks);
    // A stop it asked for (platform::crt::RequestStop) ends with it.
    ~WebFrontEnd() override;

    // Starts serving; false with the reason in error.
    bool Listen(const std::string& address, int port, std::string& error);
    int Port() const { return m_server ? m_server->Port() : 0; }
    const std::string& Token() const { return m_access.Token(); }

    void Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) override;
    void ModalStarted(CWnd& dialog) override;
    void ModalEnded(CWnd& dialog) override;
    void Changed(const CWnd& window) override;
    int RunMessageBox(MessageLoop& loop, const MessageBoxRequest& box) override;
    std::optional<std::string> RunFileDialog(MessageLoop& loop,
                                             const FileDialogRequest& dialog) override;

    // The client site's checkpoints around each host call, and the clock's blocking hook.
    void BeforeHostCall();
    // failure: why the call failed, as the link says it.
    void AfterHostCall(const HostCall& call, const std::string& failure = {});
    void WhileBlocked(platform::crt::Blocked what);

    // The sheet has ended: the page is told, and given a moment to hear it.
    void Finish();
    // What the running handler did when a signal stopped it; empty while none runs.
    std::string Interrupted() const;
    // A failure of the program's own for the status line; empty clears it.
    void SetProblem(std::string text);

  private:
    // A handler the user started, while it runs.
    struct Activity {
        std::int64_t startMs = 0;
        bool blocked = false;
        ActionTally tally;
    };
    class Suspend;

    HttpResponse Handle(const HttpRequest& request, int stream);
    HttpResponse Entry(const HttpRequest& request);
    HttpResponse Events(const HttpRequest& request, int stream, const std::string& client);
    HttpResponse Input(const HttpRequest& request);
    HttpResponse TakeOver(const std::string& client);
    HttpResponse Download(const HttpRequest& request);
    HttpResponse Upload(const HttpRequest& request);
    HttpResponse StaticFile(const std::string& name, const std::string& type) const;
    void StreamClosed(int stream);

    // Waits for input until deadline (or the wake hook's wish) and takes what came.
    void Wait(std::optional<std::int64_t> deadline);
    // Takes what the browser and the signals brought, without waiting.
    void Serve();
    void Dispatch(const nlohmann::json& event);
    void DispatchFile(const nlohmann::json& event);
    // Input for an open message box or file dialog, which takes all input: true.
    bool DispatchToBox(const nlohmann::json& event);
    // What the event does to the top window, with its activity's label; empty for nothing.
    std::function<void()> ActionOf(const nlohmann::json& event, Activity& activity);
    std::function<void()> ControlAction(const nlohmann::json& event, CDialog& dialog,
                                        const std::string& tab, Activity& activity);
    void Stop(int signal);
    void PaintBusy();
    nlohmann::json State() const;
    void PushState();
    void PushAll(const std::string& event);

    platform::crt::Clock& m_clock;
    tui::StatusInfo m_status;
    std::filesystem::path m_pageFolder;
    WebAccess m_access;
    Hooks m_hooks;
    std::unique_ptr<HttpServer> m_server;
    std::map<int, std::string> m_streams;  // the controller's push channels, by stream id
    std::string m_since;                   // when the controller took the sheet, local time
    std::deque<nlohmann::json> m_queue;
    std::optional<Activity> m_activity;
    std::vector<Activity> m_outer;  // activities whose box or file dialog is open
    std::optional<MessageBoxRequest> m_box;
    std::optional<int> m_boxAnswer;
    std::unique_ptr<WebFileDialog> m_file;
    std::optional<std::optional<std::string>> m_fileResult;
    std::set<std::string> m_downloads;  // files the plug-in wrote through a save dialog
    std::string m_busyText;
    std::string m_notice;
    std::string m_problem;
    std::string m_linkProblem;  // as last pushed
    int m_refused = 0;
    std::uint64_t m_seq = 0;
    bool m_dirty = true;
    bool m_ended = false;
    bool m_quit = false;
    std::optional<int> m_stopSignal;
    bool m_stopRequested = false;
    std::int64_t m_heartbeatDue = 0;
};

}  // namespace host::web
