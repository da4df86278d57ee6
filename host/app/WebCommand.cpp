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
#include "host/app/NodeKeeper.h"
#include "host/app/PluginModule.h"
#include "host/app/SheetCommand.h"
#include "host/app/SheetImage.h"
#include "host/app/SheetOptions.h"
#include "host/node/LiveModel.h"
#include "host/node/NodeProgramId.h"
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

int RunWebCommand(int argc, char** argv) {
    // --listen is the web's own; the rest choose the node as for the terminal sheet.
    ListenAddress listen{kDefaultAddress, kDefaultPort};
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--listen") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "qma7: --listen needs a value\n");
                return 2;
            }
            const auto parsed = ParseListenAddress(argv[++i]);
            if (!parsed) {
                std::fprintf(stderr,
                             "qma7: --listen takes an IPv4 ADDRESS:PORT such as 127.0.0.1:8742, "
                             "not %s\n",
                             argv[i]);
                return 2;
            }
            listen = *parsed;
        } else {
            rest.push_back(argv[i]);
        }
    }
    SheetOptions options;
    std::string error;
    if (!ParseSheetOptions(static_cast<int>(rest.size()), rest.data(), options, error)) {
        std::fprintf(stderr, "qma7: %s\n", error.c_str());
        return 2;
    }

    platform::crt::Clock& clock = platform::crt::CurrentClock();
    std::unique_ptr<LonSession> lon;
    std::optional<SheetImage> image;
    if (options.lon.target) {
        lon = LonSession::Open(options.lon, clock, error);
    } else {
        image =
            OpenSheetImage(options.nodeImage,
                           DefaultNodeImagePath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")),
                           options.fresh, error);
    }
    if (!lon && !image) {
        return Fail(error);
    }
    NodeLink& link = lon ? static_cast<NodeLink&>(lon->Node()) : image->node;
    std::setlocale(LC_CTYPE, "");

    ClientSite site(link);
    site.SetLatency(options.latencyMs);
    site.SetKeepCalls(false);
    std::optional<NodeKeeper> keeper;
    std::optional<LiveModel> live;
    if (image) {
        keeper.emplace(image->node, image->path);
        live.emplace(image->node);
    }
    std::ostringstream notes;
    auto control = CreateControlFor(site, lon.get(), notes, error);
    std::fputs(((image ? image->notes : std::string()) + notes.str()).c_str(), stderr);
    if (!control) {
        return Fail(error);
    }

    web::WebFrontEnd::Hooks hooks;
    web::WebFrontEnd* ui = nullptr;
    auto keep = [&](std::int64_t nowMs) -> std::optional<std::int64_t> {
        if (!keeper) {
            return std::nullopt;
        }
        const auto next = keeper->Wake(nowMs);
        ui->SetProblem(SaveProblem(keeper->Error()));
        return next;
    };
    hooks.wake = [&](std::int64_t nowMs) {
        if (live) {
            live->AdvanceTo(nowMs);
        }
        return keep(nowMs);
    };
    hooks.busy = [&](std::int64_t nowMs) { keep(nowMs); };
    hooks.terminate = [&](int signal) {
        // Stopped: the node is kept as it stands, what was cut short said, and the process
        // ends as the signal would have ended it.
        const std::string interrupted = ui->Interrupted();
        if (keeper) {
            keeper->Save(clock.NowMs());
        }
        if (lon) {
            lon->Close();  // a USB interface gets its mode back
        }
        if (!interrupted.empty()) {
            std::fprintf(stderr, "qma7: %s\n", interrupted.c_str());
        }
        if (keeper && !keeper->Error().empty()) {
            std::fprintf(stderr, "qma7: %s\n", keeper->Error().c_str());
        }
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    };
    hooks.action = [&link] { link.UserActionBegins(); };
    hooks.linkNotice = [&link] { return link.TakeNotice(); };
    tui::StatusInfo status{image ? image->node.Name() : lon->Name(),
                           lon ? lon->ProgramIdText() : ProgramIdText(kSimNodeProgramId)};
    status.link = link.Kind();
    status.address = link.Address();
    status.problem = [&link] { return link.Problem(); };
    const fs::path pageFolder = (fs::path(ExecutableFolder()) / kPageFolder).lexically_normal();
    web::WebFrontEnd frontEnd(clock, std::move(status), pageFolder, web::WebAccess::RandomToken(),
                              std::move(hooks));
    ui = &frontEnd;
    if (!frontEnd.Listen(listen.address, listen.port, error)) {
        return Fail(error);
    }
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

    MessageLoop loop(frontEnd, clock);
    {
        const WebHookup hookup(site, frontEnd);
        control->Control()->DoVerb(OLEIVERB_PROPERTIES);
        control.reset();
    }
    frontEnd.Finish();
    if (keeper && !keeper->Save(clock.NowMs())) {
        return Fail(keeper->Error());
    }
    return 0;
}

}  // namespace host
