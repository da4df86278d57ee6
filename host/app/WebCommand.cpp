#include "host/app/WebCommand.h"

#include <arpa/inet.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "host/app/ControlHost.h"
#include "host/app/NodeConnection.h"
#include "host/app/PluginModule.h"
#include "host/app/SheetCommand.h"
#include "host/app/SheetOptions.h"
#include "host/site/ClientSite.h"
#include "host/web/WebAccess.h"
#include "host/web/WebFrontEnd.h"
#include "platform/crt/Clock.h"

namespace host {

namespace fs = std::filesystem;

namespace {

constexpr char kDefaultAddress[] = "127.0.0.1";
constexpr int kDefaultPort = 8742;
constexpr int kMaxPort = 65535;
// Where the page's files lie from qma7's own folder: installed, and in the build tree.
constexpr char kPageFolder[] = "../share/qma7/web";

int Fail(const std::string& message) {
    std::fprintf(stderr, "qma7: %s\n", message.c_str());
    return 1;
}

// While it lives, the front end sees every host call before and after it and runs while the
// thread blocks.
class WebHookup {
  public:
    WebHookup(ClientSite& site, web::WebFrontEnd& frontEnd) : m_site(site) {
        site.SetCallObserver({[&frontEnd] { frontEnd.BeforeHostCall(); },
                              [&frontEnd, &site](const HostCall& call) {
                                  frontEnd.AfterHostCall(
                                      call, call.ok ? std::string() : site.Link().LastError().text);
                              }});
        platform::crt::SetBlockingHook(
            [&frontEnd](platform::crt::Blocked what) { frontEnd.WhileBlocked(what); });
    }
    ~WebHookup() {
        platform::crt::SetBlockingHook({});
        m_site.SetCallObserver({});
    }
    WebHookup(const WebHookup&) = delete;
    WebHookup& operator=(const WebHookup&) = delete;

  private:
    ClientSite& m_site;
};

}  // namespace

std::optional<ListenAddress> ParseListenAddress(const std::string& text) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        return std::nullopt;
    }
    ListenAddress listen{text.substr(0, colon), 0};
    if (listen.address == "localhost") {
        listen.address = kDefaultAddress;
    }
    in_addr parsed{};
    if (inet_pton(AF_INET, listen.address.c_str(), &parsed) != 1) {
        return std::nullopt;
    }
    const std::string port = text.substr(colon + 1);
    char* end = nullptr;
    const long value = std::strtol(port.c_str(), &end, 10);
    if (port.find_first_not_of("0123456789") != std::string::npos || *end != '\0' || value < 0 ||
        value > kMaxPort) {
        return std::nullopt;
    }
    listen.port = static_cast<int>(value);
    return listen;
}

namespace {

// --listen is the web's own; the rest choose the node as for the terminal sheet. false with the
// message told.
bool ParseWebOptions(int argc, char** argv, ListenAddress& listen, SheetOptions& options) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--listen") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "qma7: --listen needs a value\n");
                return false;
            }
            const auto parsed = ParseListenAddress(argv[++i]);
            if (!parsed) {
                std::fprintf(stderr,
                             "qma7: --listen takes an IPv4 ADDRESS:PORT such as 127.0.0.1:8742, "
                             "not %s\n",
                             argv[i]);
                return false;
            }
            listen = *parsed;
        } else {
            rest.push_back(argv[i]);
        }
    }
    std::string error;
    if (!ParseSheetOptions(static_cast<int>(rest.size()), rest.data(), options, error)) {
        std::fprintf(stderr, "qma7: %s\n", error.c_str());
        return false;
    }
    return true;
}

// The image saved when it is due, a failing save shown at once; the simulated node lives.
web::WebFrontEnd::Hooks MakeHooks(NodeConnection& node, web::WebFrontEnd*& ui) {
    web::WebFrontEnd::Hooks hooks;
    auto keep = [&node, &ui](std::int64_t nowMs) {
        auto kept = node.Keep(nowMs);
        if (kept.problem) {
            ui->SetProblem(*kept.problem);
        }
        return kept.wakeMs;
    };
    hooks.wake = [&node, keep](std::int64_t nowMs) {
        node.Live(nowMs);
        return keep(nowMs);
    };
    hooks.busy = [keep](std::int64_t nowMs) { keep(nowMs); };
    hooks.terminate = [&node, &ui](int signal) {
        // Stopped: the node is kept as it stands, the link given back, what was cut short
        // said, and the process ends as the signal would have ended it.
        const std::string interrupted = ui->Interrupted();
        node.SaveKept();
        node.Close();
        if (!interrupted.empty()) {
            std::fprintf(stderr, "qma7: %s\n", interrupted.c_str());
        }
        if (!node.KeepError().empty()) {
            std::fprintf(stderr, "qma7: %s\n", node.KeepError().c_str());
        }
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    };
    NodeLink& link = node.Link();
    hooks.action = [&link] { link.UserActionBegins(); };
    hooks.linkNotice = [&link] { return link.TakeNotice(); };
    return hooks;
}

// The address to open the sheet at, with a warning when others can reach it.
void TellAddress(const ListenAddress& listen, const web::WebFrontEnd& frontEnd) {
    if (listen.address.rfind("127.", 0) != 0) {
        std::fprintf(stderr,
                     "qma7: listening on %s, not only on this machine: anyone who has the "
                     "address below controls the node. Plain HTTP: put a reverse proxy with "
                     "HTTPS in front on an open network.\n",
                     listen.address.c_str());
    }
    const std::string host =
        listen.address == "0.0.0.0" ? std::string("THIS-MACHINE") : listen.address;
    std::printf("Open the sheet at http://%s:%d/?%s=%s\n", host.c_str(), frontEnd.Port(),
                web::WebAccess::kTokenQuery, frontEnd.Token().c_str());
    std::printf("qma7 serves it until Exit is pressed on the page or Ctrl-C here.\n");
    std::fflush(stdout);
}

// Serves the sheet until the user leaves it; the exit status.
int ServeSheet(NodeConnection& node, ClientSite& site, std::unique_ptr<ControlHost> control,
               const ListenAddress& listen) {
    platform::crt::Clock& clock = node.Clock();
    web::WebFrontEnd* ui = nullptr;
    const fs::path pageFolder = (fs::path(ExecutableFolder()) / kPageFolder).lexically_normal();
    web::WebFrontEnd frontEnd(clock, node.Status(), pageFolder, web::WebAccess::RandomToken(),
                              MakeHooks(node, ui));
    ui = &frontEnd;
    std::string error;
    if (!frontEnd.Listen(listen.address, listen.port, error)) {
        return Fail(error);
    }
    TellAddress(listen, frontEnd);

    MessageLoop loop(frontEnd, clock);
    {
        const WebHookup hookup(site, frontEnd);
        control->Control()->DoVerb(OLEIVERB_PROPERTIES);
        control.reset();
    }
    frontEnd.Finish();
    return 0;
}

}  // namespace

int RunWebCommand(int argc, char** argv) {
    ListenAddress listen{kDefaultAddress, kDefaultPort};
    SheetOptions options;
    if (!ParseWebOptions(argc, argv, listen, options)) {
        return 2;
    }
    std::string error;
    const auto node = NodeConnection::OpenKept(
        options, DefaultNodeImagePath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")), error);
    if (!node) {
        return Fail(error);
    }
    std::setlocale(LC_CTYPE, "");

    ClientSite site(node->Link());
    site.SetLatency(options.latencyMs);
    site.SetKeepCalls(false);
    std::ostringstream notes;
    auto control = node->CreateControl(site, notes, error);
    std::fputs((node->Notes() + notes.str()).c_str(), stderr);
    if (!control) {
        return Fail(error);
    }
    const int status = ServeSheet(*node, site, std::move(control), listen);
    if (status != 0) {
        return status;
    }
    if (!node->SaveKept()) {
        return Fail(node->KeepError());
    }
    return 0;
}

}  // namespace host
