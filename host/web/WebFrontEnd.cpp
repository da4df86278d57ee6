#include "host/web/WebFrontEnd.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/web/WindowDescription.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/Wnd.h"

namespace host::web {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr std::int64_t kBusyAfterMs = 100;   // a handler that runs longer shows the busy line
constexpr std::int64_t kHeartbeatMs = 5000;  // a push channel that is gone shows within this
constexpr std::int64_t kFinishMs = 500;      // how long the last state has to reach the page
constexpr int kFinishSliceMs = 50;
constexpr std::size_t kMaxRequestBody = WebFileDialog::kMaxUpload;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

constexpr char kOn[] = " on ";
constexpr char kIgnored[] = " ignored while busy";

// Every answer: nothing from elsewhere, no framing, no guessing of types, no caching.
constexpr char kSecurityPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; form-action 'self'; frame-ancestors 'none'; base-uri 'none'";

int g_signalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A page of its own for the browser that may not use the sheet now.
HttpResponse Notice(int status, const std::string& title, const std::string& text,
                    bool offerTakeOver = false) {
    HttpResponse response;
    response.status = status;
    response.contentType = "text/html; charset=utf-8";
    response.body = "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>" +
                    Escape(title) +
                    "</title><link rel=\"stylesheet\" href=\"/sheet.css\"></head>"
                    "<body class=\"notice\"><h1>" +
                    Escape(title) + "</h1><p id=\"notice\">" + Escape(text) + "</p>";
    if (offerTakeOver) {
        response.body +=
            "<form method=\"post\" action=\"/takeover\"><button id=\"takeover\" "
            "type=\"submit\">Take over the sheet</button></form>";
    }
    response.body += "</body></html>";
    return response;
}

HttpResponse Redirect(const std::string& to) {
    HttpResponse response = HttpResponse::Text(303, "");
    response.headers.emplace_back("Location", to);
    return response;
}

std::string Event(const std::string& name, const std::string& data) {
    return "event: " + name + "\ndata: " + data + "\n\n";
}

}  // namespace

// A box or file dialog opened by a running handler: its answers are the user's, not input
// while busy, and what the handler does meanwhile is not the handler's progress.
class WebFrontEnd::Suspend {
  public:
    explicit Suspend(WebFrontEnd& ui) : m_ui(ui), m_held(ui.m_activity.has_value()) {
        if (m_held) {
            m_ui.m_outer.push_back(*m_ui.m_activity);
            m_ui.m_activity.reset();
            m_ui.m_busyText.clear();
        }
    }
    ~Suspend() {
        if (m_held) {
            m_ui.m_activity = m_ui.m_outer.back();
            m_ui.m_outer.pop_back();
            m_ui.m_activity->startMs = m_ui.m_clock.NowMs();
        }
    }
    Suspend(const Suspend&) = delete;
    Suspend& operator=(const Suspend&) = delete;

  private:
    WebFrontEnd& m_ui;
    bool m_held;
};

WebFrontEnd::WebFrontEnd(platform::crt::Clock& clock, tui::StatusInfo status, fs::path pageFolder,
                         std::string token, Hooks hooks)
    : m_clock(clock),
      m_status(std::move(status)),
      m_pageFolder(std::move(pageFolder)),
      m_access(std::move(token)),
      m_hooks(std::move(hooks)) {}

WebFrontEnd::~WebFrontEnd() {
    if (m_stopRequested) {
        platform::crt::ClearStopRequest();
    }
    m_server.reset();
    if (g_signalPipe[0] >= 0) {
        for (const int signal : kSignals) {
            std::signal(signal, SIG_DFL);
        }
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }
}

bool WebFrontEnd::Listen(const std::string& address, int port, std::string& error) {
    HttpServer::Handlers handlers;
    handlers.request = [this](const HttpRequest& request, int stream) {
        return Handle(request, stream);
    };
    handlers.streamClosed = [this](int stream) { StreamClosed(stream); };
    m_server = HttpServer::Start(address, port, kMaxRequestBody, std::move(handlers), error);
    if (!m_server) {
        return false;
    }
    m_access.NameCookiesFor(m_server->Port());
    // Signals wake the poll through a pipe; a browser that goes away is no signal.
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        for (const int signal : kSignals) {
            std::signal(signal, &OnSignal);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

// ---- Requests

HttpResponse WebFrontEnd::Handle(const HttpRequest& request, int stream) {
    HttpResponse response;
    const bool entry = request.path == "/" && request.method == "GET";
    const bool asset =
        request.method == "GET" && (request.path == "/sheet.js" || request.path == "/sheet.css");
    switch (m_access.Check(request, entry)) {
        case WebAccess::Verdict::ForeignOrigin:
            response = HttpResponse::Text(403, "Refused: a request from a page of another site.");
            break;
        case WebAccess::Verdict::NoToken:
        case WebAccess::Verdict::WrongToken:
            response = Notice(403, "qma7: not allowed",
                              "Open the sheet with the whole address that qma7 printed when it "
                              "started (it carries a token). An older address no longer works.");
            break;
        case WebAccess::Verdict::Allowed: {
            const std::string* client = request.Cookie(m_access.ClientCookie());
            if (entry) {
                response = Entry(request);
            } else if (asset) {
                response =
                    StaticFile(request.path.substr(1),
                               request.path.ends_with(".js") ? "text/javascript" : "text/css");
            } else if (client == nullptr) {
                response = HttpResponse::Text(403, "Refused: open the sheet's address first.");
            } else if (request.path == "/takeover" && request.method == "POST") {
                response = TakeOver(*client);
            } else if (!m_access.Controls(*client)) {
                if (request.path == "/events") {
                    response.eventStream = true;  // told once, then closed
                    response.streamEnds = true;
                    response.body = Event("gone", m_access.WasTakenFrom(*client)
                                                      ? "Another browser took over the sheet."
                                                      : "Another browser has the sheet.");
                } else {
                    response = HttpResponse::Text(409, "Another browser has the sheet.");
                }
            } else if (request.path == "/events" && request.method == "GET") {
                response = Events(request, stream, *client);
            } else if (request.path == "/input" && request.method == "POST") {
                response = Input(request);
            } else if (request.path == "/download" && request.method == "GET") {
                response = Download(request);
            } else if (request.path == "/upload" && request.method == "POST") {
                response = Upload(request);
            } else {
                response = HttpResponse::Text(404, "Not found.");
            }
            break;
        }
    }
    response.headers.emplace_back("Content-Security-Policy", kSecurityPolicy);
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("X-Frame-Options", "DENY");
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
    response.headers.emplace_back("Cache-Control", "no-store");
    return response;
}

HttpResponse WebFrontEnd::Entry(const HttpRequest& request) {
    const std::string cookieFlags = "; Path=/; HttpOnly; SameSite=Strict";
    const std::string* client = request.Cookie(m_access.ClientCookie());
    if (request.Query(WebAccess::kTokenQuery) != nullptr || client == nullptr) {
        // The token moves from the address into a cookie, out of the address bar and history.
        HttpResponse response = Redirect("/");
        response.headers.emplace_back(
            "Set-Cookie", m_access.TokenCookie() + "=" + m_access.Token() + cookieFlags);
        if (client == nullptr) {
            response.headers.emplace_back("Set-Cookie", m_access.ClientCookie() + "=" +
                                                            WebAccess::RandomToken() + cookieFlags);
        }
        return response;
    }
    const std::int64_t now = m_clock.NowMs();
    const bool wasFree = !m_access.Controls(*client);
    switch (m_access.Claim(*client, now)) {
        case WebAccess::Control::Yours:
            if (wasFree) {
                const platform::crt::LocalDateTime at = m_clock.Local();
                m_since =
                    TwoDigits(at.hour) + ":" + TwoDigits(at.minute) + ":" + TwoDigits(at.second);
            }
            return StaticFile("index.html", "text/html; charset=utf-8");
        case WebAccess::Control::InUse:
            return Notice(409, "qma7: the sheet is in use",
                          "Another browser has used this sheet since " + m_since +
                              ". One browser at a time controls the node.");
        case WebAccess::Control::Released:
            return Notice(409, "qma7: the sheet is in use",
                          "Another browser has had this sheet since " + m_since +
                              ", but has not been connected for 30 seconds. You may take "
                              "over; that browser will be told.",
                          true);
    }
    return HttpResponse::Text(500, "");
}

HttpResponse WebFrontEnd::TakeOver(const std::string& client) {
    if (!m_access.TakeOver(client, m_clock.NowMs())) {
        return Redirect("/");
    }
    const platform::crt::LocalDateTime at = m_clock.Local();
    m_since = TwoDigits(at.hour) + ":" + TwoDigits(at.minute) + ":" + TwoDigits(at.second);
    for (const auto& [stream, owner] : m_streams) {
        m_server->Push(stream, Event("gone", "Another browser took over the sheet."));
        m_server->CloseStream(stream);
    }
    m_streams.clear();
    m_dirty = true;
    return Redirect("/");
}

HttpResponse WebFrontEnd::Events(const HttpRequest& /*request*/, int stream,
                                 const std::string& client) {
    m_streams[stream] = client;
    m_access.ChannelOpened(client, m_clock.NowMs());
    HttpResponse response;
    response.eventStream = true;
    // The page reconnects a second after a drop.
    response.body = "retry: 1000\n\n" + Event("state", State().dump());
    return response;
}

void WebFrontEnd::StreamClosed(int stream) {
    const auto it = m_streams.find(stream);
    if (it != m_streams.end()) {
        m_access.ChannelClosed(it->second, m_clock.NowMs());
        m_streams.erase(it);
    }
}

HttpResponse WebFrontEnd::Input(const HttpRequest& request) {
    if (request.bodyTooLarge) {
        return HttpResponse::Text(413, "Too large.");
    }
    json event = json::parse(request.body, nullptr, false);
    if (!event.is_object() || !event.contains("type") || !event["type"].is_string()) {
        return HttpResponse::Text(400, "Not an input event.");
    }
    if (m_activity) {
        ++m_refused;
        return HttpResponse::Text(409, "Busy.");
    }
    m_queue.push_back(std::move(event));
    return HttpResponse::Text(202, "");
}

HttpResponse WebFrontEnd::Download(const HttpRequest& request) {
    const std::string* path = request.Query("path");
    if (path == nullptr || m_downloads.count(*path) == 0) {
        return HttpResponse::Text(404, "Only a file this sheet wrote can be downloaded.");
    }
    std::ifstream file(*path, std::ios::binary);
    if (!file) {
        return HttpResponse::Text(404, "The file is gone: " + *path);
    }
    HttpResponse response;
    response.contentType = "application/octet-stream";
    response.body.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    std::string name = fs::path(*path).filename().string();
    std::replace(name.begin(), name.end(), '"', '_');
    response.headers.emplace_back("Content-Disposition", "attachment; filename=\"" + name + "\"");
    return response;
}

HttpResponse WebFrontEnd::Upload(const HttpRequest& request) {
    if (!m_file) {
        return HttpResponse::Text(409, "No file dialog is open.");
    }
    if (request.bodyTooLarge) {
        return HttpResponse::Text(413, "A file of at most 1 MB can be uploaded.");
    }
    const std::string* name = request.Query("name");
    const std::string* replace = request.Query("replace");
    const auto stored = m_file->Store(name != nullptr ? *name : "", request.body,
                                      replace != nullptr && *replace == "1");
    m_dirty = true;
    switch (stored) {
        case WebFileDialog::Upload::Stored:
            return HttpResponse::Text(201, "Stored.");
        case WebFileDialog::Upload::Exists:
            return HttpResponse::Text(409, "A file of that name is there already.");
        case WebFileDialog::Upload::BadName:
            return HttpResponse::Text(400, "Only a plain file name is taken.");
        case WebFileDialog::Upload::Failed:
            return HttpResponse::Text(500, m_file->Message());
    }
    return HttpResponse::Text(500, "");
}

HttpResponse WebFrontEnd::StaticFile(const std::string& name, const std::string& type) const {
    std::ifstream file(m_pageFolder / name, std::ios::binary);
    if (!file) {
        return HttpResponse::Text(
            500, "The page's file " + name + " is missing from " + m_pageFolder.string());
    }
    HttpResponse response;
    response.contentType = type;
    response.body.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return response;
}

// ---- The state the page shows

json WebFrontEnd::State() const {
    json state;
    state["seq"] = m_seq;
    state["status"] = {{"node", m_status.nodeName}, {"programId", m_status.programId},
                       {"link", m_status.link},     {"address", m_status.address},
                       {"problem", m_linkProblem},  {"own", m_problem}};
    state["busy"] = m_busyText;
    // The node does not answer: what the page shows of it may be out of date.
    state["stale"] = !m_linkProblem.empty();
    // A handler runs: the page takes no input, even before the busy line shows.
    state["running"] = m_activity.has_value();
    state["notice"] = m_notice;
    state["ended"] = m_ended;
    state["window"] = nullptr;
    if (MessageLoop::Exists() && !MessageLoop::Current().ModalStack().empty()) {
        const std::vector<CWnd*>& stack = MessageLoop::Current().ModalStack();
        state["window"] = WindowDescription::Describe(*stack.back());
        state["level"] = stack.size() - 1;
    }
    state["box"] = nullptr;
    if (m_box) {
        json buttons = json::array();
        for (const int answer : m_box->Answers()) {
            buttons.push_back(answer);
        }
        state["box"] = {{"title", m_box->title.empty() ? AfxGetAppName() : m_box->title},
                        {"text", m_box->text},
                        {"icon", static_cast<int>(m_box->icon)},
                        {"answers", buttons}};
    }
    state["file"] = nullptr;
    if (m_file) {
        json entries = json::array();
        for (const auto& entry : m_file->Entries()) {
            entries.push_back({{"name", entry.name}, {"folder", entry.folder}});
        }
        json filters = json::array();
        for (const auto& filter : m_file->Filters()) {
            filters.push_back(filter.Name());
        }
        state["file"] = {{"save", m_file->Request().save},
                         {"folder", m_file->Folder().string()},
                         {"entries", entries},
                         {"name", m_file->Name()},
                         {"filters", filters},
                         {"filter", m_file->Filter()},
                         {"message", m_file->Message()},
                         {"maxUpload", WebFileDialog::kMaxUpload}};
    }
    state["downloads"] = m_downloads;
    return state;
}

void WebFrontEnd::PushAll(const std::string& event) {
    for (const auto& [stream, client] : m_streams) {
        m_server->Push(stream, event);
    }
}

void WebFrontEnd::PushState() {
    // The link's problem comes and goes without any window changing.
    const std::string problem = m_status.problem ? m_status.problem() : std::string();
    if (problem != m_linkProblem) {
        m_linkProblem = problem;
        m_dirty = true;
    }
    if (!m_dirty || !m_server) {
        return;
    }
    m_dirty = false;
    ++m_seq;
    if (!m_streams.empty()) {
        PushAll(Event("state", State().dump()));
    }
}

// ---- Waiting

void WebFrontEnd::Serve() {
    if (g_signalPipe[0] >= 0) {
        unsigned char byte = 0;
        while (::read(g_signalPipe[0], &byte, 1) == 1) {
            m_stopSignal = m_stopSignal.value_or(byte);
            // A host call in flight is abandoned and no other starts: the program ends within
            // a blocking slice, whatever the link's timeout.
            m_stopRequested = true;
            platform::crt::RequestStop();
        }
    }
    m_server->Run();
    const std::int64_t now = m_clock.NowMs();
    if (now >= m_heartbeatDue) {
        // A comment line: a channel whose browser is gone fails to send it and closes.
        PushAll(":\n\n");
        m_server->Run();
        m_heartbeatDue = now + kHeartbeatMs;
    }
    PushState();
    m_server->Run();
}

void WebFrontEnd::Wait(std::optional<std::int64_t> deadline) {
    std::optional<std::int64_t> wakeAt = deadline;
    if (m_hooks.wake) {
        const auto wanted = m_hooks.wake(m_clock.NowMs());
        if (wanted && (!wakeAt || *wanted < *wakeAt)) {
            wakeAt = wanted;
        }
    }
    if (m_hooks.linkNotice) {
        if (std::string notice = m_hooks.linkNotice(); !notice.empty()) {
            m_notice = std::move(notice);
            m_dirty = true;
        }
    }
    PushState();
    m_server->Run();
    const std::int64_t now = m_clock.NowMs();
    std::int64_t timeout = m_heartbeatDue - now;
    if (wakeAt) {
        timeout = std::min(timeout, *wakeAt - now);
    }
    if (const auto server = m_server->TimeoutMs()) {
        timeout = std::min(timeout, *server);
    }
    std::vector<pollfd> fds = m_server->PollFds();
    if (g_signalPipe[0] >= 0) {
        fds.push_back({g_signalPipe[0], POLLIN, 0});
    }
    ::poll(fds.data(), fds.size(), static_cast<int>(std::max<std::int64_t>(0, timeout)));
    m_server->Run(fds);
    Serve();
}

void WebFrontEnd::Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) {
    if (m_stopSignal) {
        Stop(*m_stopSignal);
    }
    if (m_quit) {
        loop.ModalStack().back()->EndDialog(IDCANCEL);
        return;
    }
    if (m_queue.empty()) {
        Wait(deadline);
    }
    if (m_stopSignal) {
        Stop(*m_stopSignal);
        return;
    }
    if (!m_queue.empty()) {
        const json event = std::move(m_queue.front());
        m_queue.pop_front();
        Dispatch(event);
    }
}

void WebFrontEnd::ModalStarted(CWnd& /*dialog*/) {
    m_dirty = true;
}

void WebFrontEnd::ModalEnded(CWnd& /*dialog*/) {
    m_dirty = true;
}

void WebFrontEnd::Changed(const CWnd& /*window*/) {
    m_dirty = true;
}

// ---- Input

namespace {

int IntOf(const json& event, const char* key, int otherwise = -1) {
    const auto it = event.find(key);
    return it != event.end() && it->is_number_integer() ? it->get<int>() : otherwise;
}

std::string TextOf(const json& event, const char* key) {
    const auto it = event.find(key);
    return it != event.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

void WebFrontEnd::Dispatch(const json& event) {
    m_dirty = true;
    m_notice.clear();
    if (DispatchToBox(event)) {
        return;
    }
    // What the event runs is the user's activity until it returns.
    Activity activity;
    activity.startMs = m_clock.NowMs();
    const std::function<void()> run = ActionOf(event, activity);
    if (!run) {
        return;
    }
    m_activity = activity;
    if (m_hooks.action) {
        m_hooks.action();
    }
    run();
    m_notice = m_activity ? m_activity->tally.WriteOutcome() : std::string();
    m_activity.reset();
    m_busyText.clear();
    if (m_refused > 0) {
        m_notice = std::to_string(m_refused) + (m_refused == 1 ? " input" : " inputs") + kIgnored +
                   (m_notice.empty() ? "" : "; ") + m_notice;
        m_refused = 0;
    }
    if (m_stopSignal) {
        Stop(*m_stopSignal);
    }
}

bool WebFrontEnd::DispatchToBox(const json& event) {
    const std::string type = TextOf(event, "type");
    if (m_box) {
        const std::vector<int> answers = m_box->Answers();
        const int answer = IntOf(event, "answer");
        if (type == "box" && std::find(answers.begin(), answers.end(), answer) != answers.end()) {
            m_boxAnswer = answer;
        }
        return true;
    }
    if (m_file) {
        if (type == "file") {
            DispatchFile(event);
        }
        return true;
    }
    return false;
}

std::function<void()> WebFrontEnd::ActionOf(const json& event, Activity& activity) {
    if (!MessageLoop::Exists() || MessageLoop::Current().ModalStack().empty()) {
        return {};
    }
    // Input for another window than the top one is stale: the page had not seen it change.
    const std::vector<CWnd*>& stack = MessageLoop::Current().ModalStack();
    if (IntOf(event, "level") != static_cast<int>(stack.size()) - 1) {
        return {};
    }
    const std::string type = TextOf(event, "type");
    CWnd& top = *stack.back();
    auto* sheet = dynamic_cast<CPropertySheet*>(&top);
    CDialog* dialog = sheet != nullptr ? sheet->GetActivePage() : dynamic_cast<CDialog*>(&top);
    if (type == "tab" && sheet != nullptr) {
        const int index = IntOf(event, "index");
        if (index < 0 || index >= sheet->GetPageCount()) {
            return {};
        }
        activity.tally.Identify(sheet->GetPage(index)->GetCaption(), nullptr);
        return [sheet, index] { sheet->SetActivePage(index); };
    }
    if (type == "button" && sheet != nullptr) {
        CWnd* button = sheet->GetDlgItem(IntOf(event, "id"));
        if (button == nullptr) {
            return {};
        }
        activity.tally.Identify(button->GetWindowText(), nullptr);
        return [sheet, button] { sheet->PressButton(button->GetDlgCtrlID()); };
    }
    if ((type == "click" || type == "text") && dialog != nullptr && dialog->HasWindow()) {
        const std::string tab = sheet != nullptr && sheet->GetActivePage() != nullptr
                                    ? sheet->GetActivePage()->GetCaption()
                                    : top.GetWindowText();
        return ControlAction(event, *dialog, tab, activity);
    }
    return {};
}

std::function<void()> WebFrontEnd::ControlAction(const json& event, CDialog& dialog,
                                                 const std::string& tab, Activity& activity) {
    const int index = IntOf(event, "i");
    if (index < 0 || index >= static_cast<int>(dialog.Controls().size())) {
        return {};
    }
    CWnd& control = *dialog.Controls()[static_cast<std::size_t>(index)];
    if (TextOf(event, "type") == "text") {
        // Typing runs no handler: the text is set at once.
        const ControlTemplate& t = *control.Template();
        if (t.kind == ControlKind::Edit && !t.readOnly && control.IsWindowEnabled() &&
            control.IsWindowVisible()) {
            control.SetWindowText(TextOf(event, "text"));
        }
        return {};
    }
    const std::string caption = control.GetWindowText();
    const LongAction* action = Qma7Profile().FindLongAction(caption);
    activity.tally.Identify(action != nullptr ? caption : caption + kOn + tab, action);
    CDialog* owner = &dialog;
    return [owner, &control] { owner->ClickControl(control.GetDlgCtrlID()); };
}

void WebFrontEnd::DispatchFile(const json& event) {
    const std::string op = TextOf(event, "op");
    if (op == "open") {
        m_file->Open(TextOf(event, "name"));
    } else if (op == "filter") {
        m_file->ChooseFilter(static_cast<std::size_t>(std::max(0, IntOf(event, "index"))));
    } else if (op == "accept") {
        if (auto path = m_file->Accept(TextOf(event, "name"))) {
            m_fileResult = std::move(path);
        }
    } else if (op == "cancel") {
        m_fileResult = std::optional<std::string>();
    }
}

int WebFrontEnd::RunMessageBox(MessageLoop& loop, const MessageBoxRequest& box) {
    const Suspend suspend(*this);
    m_box = box;
    m_boxAnswer.reset();
    m_dirty = true;
    while (!m_boxAnswer && !m_quit) {
        loop.DispatchDueTimers();
        Pump(loop, loop.NextDue());
    }
    m_box.reset();
    m_dirty = true;
    if (m_boxAnswer) {
        return *m_boxAnswer;
    }
    // Ending: Cancel where the box has it, else its last button.
    const std::vector<int> answers = box.Answers();
    return std::find(answers.begin(), answers.end(), IDCANCEL) != answers.end() ? IDCANCEL
                                                                                : answers.back();
}

std::optional<std::string> WebFrontEnd::RunFileDialog(MessageLoop& loop,
                                                      const FileDialogRequest& dialog) {
    const Suspend suspend(*this);
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    m_file = std::make_unique<WebFileDialog>(dialog, error ? fs::path("/") : folder);
    m_fileResult.reset();
    m_dirty = true;
    while (!m_fileResult && !m_quit) {
        loop.DispatchDueTimers();
        Pump(loop, loop.NextDue());
    }
    m_file.reset();
    m_dirty = true;
    std::optional<std::string> path = m_fileResult ? *m_fileResult : std::nullopt;
    if (path && dialog.save) {
        m_downloads.insert(*path);
    }
    return path;
}

// ---- While a handler runs

void WebFrontEnd::Stop(int signal) {
    if (m_quit) {
        return;
    }
    m_quit = true;
    if (m_hooks.terminate) {
        m_hooks.terminate(signal);
    }
}

void WebFrontEnd::BeforeHostCall() {
    if (m_quit) {
        return;
    }
    Serve();
    if (m_stopSignal) {
        Stop(*m_stopSignal);
    }
}

void WebFrontEnd::AfterHostCall(const HostCall& call, const std::string& failure) {
    if (m_quit) {
        return;
    }
    if (m_activity) {
        m_activity->tally.Count(call, failure);
    }
    Serve();
    if (m_stopSignal) {
        Stop(*m_stopSignal);
        return;
    }
    if (m_hooks.busy) {
        m_hooks.busy(m_clock.NowMs());
    }
    PaintBusy();
}

void WebFrontEnd::WhileBlocked(platform::crt::Blocked what) {
    if (m_quit) {
        return;
    }
    Serve();
    if (m_stopSignal && what == platform::crt::Blocked::Pause) {
        Stop(*m_stopSignal);
        return;
    }
    if (m_hooks.busy) {
        m_hooks.busy(m_clock.NowMs());
    }
    if (m_activity) {
        m_activity->blocked = true;
        PaintBusy();
    }
}

void WebFrontEnd::PaintBusy() {
    if (!m_activity) {
        return;
    }
    const Activity& activity = *m_activity;
    const std::int64_t elapsed = m_clock.NowMs() - activity.startMs;
    if (!activity.blocked && elapsed < kBusyAfterMs) {
        return;  // a quick handler: no busy line to flash
    }
    const std::string text = activity.tally.BusyText(elapsed);
    if (text != m_busyText) {
        m_busyText = text;
        m_dirty = true;
        PushState();
        m_server->Run();
    }
}

std::string WebFrontEnd::Interrupted() const {
    const Activity* running = m_activity        ? &*m_activity
                              : m_outer.empty() ? nullptr
                                                : &m_outer.back();
    if (running == nullptr || (running->tally.Calls() == 0 && !running->blocked)) {
        return {};  // nothing of it reached the node yet
    }
    return running->tally.StoppedText();
}

void WebFrontEnd::SetProblem(std::string text) {
    if (text != m_problem) {
        m_problem = std::move(text);
        m_dirty = true;
    }
}

void WebFrontEnd::Finish() {
    m_ended = true;
    m_dirty = true;
    PushState();
    for (const auto& [stream, client] : m_streams) {
        m_server->CloseStream(stream);
    }
    // The last state goes out before the server stops; a page that is gone does not hold it.
    const std::int64_t until = m_clock.NowMs() + kFinishMs;
    while (!m_streams.empty() && m_clock.NowMs() < until) {
        std::vector<pollfd> fds = m_server->PollFds();
        ::poll(fds.data(), fds.size(), kFinishSliceMs);
        m_server->Run(fds);
    }
}

}  // namespace host::web
