#include "host/app/LonOption.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "host/lon/NodeList.h"
#include "host/node/NodeProgramId.h"
#include "platform/crt/Clock.h"

namespace host {

namespace {

constexpr int kDefaultHostNode = 126;
constexpr long long kMaxTimeoutMs = 60000;
constexpr long long kMaxRetries = 100;

std::optional<long long> Whole(const char* text, long long min, long long max) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || errno != 0 || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

struct Target {
    lon::LonAddress node;
    std::optional<lon::LonAddress> host;
    std::optional<std::string> listName;
    std::optional<std::string> usb;  // the node list's interface for the node, and its kind
    std::optional<std::string> usbKind;
};

std::optional<Target> FindTarget(const std::string& text, std::string& error) {
    const auto listPath =
        lon::DefaultNodeListPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    std::optional<lon::NodeList> list;
    if (listPath) {
        list = lon::NodeList::Load(*listPath, error);
        if (!list) {
            return std::nullopt;
        }
    }
    Target target;
    if (text.find('/') != std::string::npos) {
        const auto address = lon::ParseLonAddress(text, error);
        if (!address) {
            return std::nullopt;
        }
        target.node = *address;
        const lon::NodeEntry* entry = list ? list->FindAddress(*address) : nullptr;
        if (entry != nullptr) {
            target.host = entry->host;
            target.listName = entry->name;
            target.usb = entry->usb;
            target.usbKind = entry->usbKind;
        }
        return target;
    }
    const lon::NodeEntry* entry = list ? list->Find(text) : nullptr;
    if (entry == nullptr) {
        error = "\"" + text + "\" is neither an address DOMAIN/SUBNET/NODE nor a node of " +
                (listPath ? "the node list " + listPath->string()
                          : std::string("a node list (neither XDG_CONFIG_HOME nor HOME is set)"));
        return std::nullopt;
    }
    return Target{entry->address, entry->host, entry->name, entry->usb, entry->usbKind};
}

std::string AddressText(const lon::LonAddress& address, std::uint32_t ip) {
    return lon::FormatLonAddress(address) + " (" + lon::FormatIpv4(ip) + ")";
}

std::string SocketError(int errorNumber, const lon::LonAddress& host, std::uint32_t ip) {
    const std::string where = lon::FormatIpv4(ip);
    if (errorNumber == EADDRNOTAVAIL) {
        const std::string network = lon::FormatIpv4(ip & 0xFFFF0000u);
        return "the host address " + AddressText(host, ip) +
               " is on no interface of this machine; add it (e.g. ip addr add " + where +
               "/32 dev eth0, with a route to the domain: ip route add " + network +
               "/16 dev eth0) or choose another with --lon-host";
    }
    if (errorNumber == EADDRINUSE) {
        return "UDP port 2541 of the host address " + AddressText(host, ip) +
               " is in use already (another LON/IP program?); choose another with --lon-host";
    }
    return "cannot open UDP port 2541 of " + where + ": " + std::strerror(errorNumber);
}

}  // namespace

bool TakeLonOption(int argc, char** argv, int& i, LonOptions& options, std::string& error) {
    const std::string arg = argv[i];
    if (TakeUsbOption(argc, argv, i, options.usb, error)) {
        if (options.needsLon.empty()) {
            options.needsLon = arg;
        }
        return true;
    }
    const bool valued = arg == "--lon" || arg == "--lon-host" || arg == "--lon-timeout" ||
                        arg == "--lon-retries" || arg == "--name";
    if (!valued && arg != "--lon-by-selector") {
        return false;
    }
    if (arg != "--lon" && options.needsLon.empty()) {
        options.needsLon = arg;
    }
    if (!valued) {
        options.bySelector = true;
        return true;
    }
    if (i + 1 >= argc) {
        error = arg + " needs a value";
        return true;
    }
    const char* value = argv[++i];
    if (arg == "--lon") {
        options.target = value;
    } else if (arg == "--lon-host") {
        options.host = value;
    } else if (arg == "--name") {
        options.name = value;
    } else if (arg == "--lon-timeout") {
        const auto ms = Whole(value, 1, kMaxTimeoutMs);
        if (!ms) {
            error = std::string("--lon-timeout takes milliseconds from 1 to 60000, not ") + value;
        }
        options.timing.timeoutMs = ms.value_or(0);
    } else {
        const auto retries = Whole(value, 0, kMaxRetries);
        if (!retries) {
            error = std::string("--lon-retries takes 0 to 100, not ") + value;
        }
        options.timing.retries = static_cast<int>(retries.value_or(0));
    }
    return true;
}

LonSession::~LonSession() = default;

void LonSession::Close() {
    m_port->Close();
}

std::unique_ptr<LonSession> LonSession::Open(const LonOptions& options, platform::crt::Clock& clock,
                                             std::string& error) {
    const auto target = FindTarget(options.target.value_or(""), error);
    if (!target) {
        return nullptr;
    }
    std::optional<lon::LonAddress> host = target->host;
    if (options.host) {
        host = lon::ParseHostAddress(*options.host, target->node, error);
        if (!host) {
            return nullptr;
        }
    } else if (!host) {
        host = lon::LonAddress{target->node.domain, target->node.subnet, kDefaultHostNode};
    }
    if (*host == target->node) {
        error = "the node " + lon::FormatLonAddress(target->node) +
                " has the host's address; give the host another with --lon-host";
        return nullptr;
    }
    const lon::SubnetNode hostNode{static_cast<std::uint8_t>(host->subnet),
                                   static_cast<std::uint8_t>(host->node)};
    std::unique_ptr<LonSession> session(new LonSession);
    const PortChoice choice{options.usb.device ? options.usb.device : target->usb,
                            options.usb.kind ? options.usb.kind : target->usbKind};
    session->m_port = NetworkPort::Open(choice, target->node, *host, clock, SocketError, error);
    if (!session->m_port) {
        return nullptr;
    }
    lon::PacketLink& link = session->m_port->Link();
    const std::string nodeText = session->m_port->NodeText(target->node);
    const lon::Route route{hostNode,
                           {static_cast<std::uint8_t>(target->node.subnet),
                            static_cast<std::uint8_t>(target->node.node)},
                           target->node.domain};
    session->m_transactions = std::make_unique<lon::Transactions>(
        link, clock, route, options.timing, std::random_device{}());
    lon::LonNodeLink::Options nodeOptions;
    nodeOptions.bySelector = options.bySelector;
    nodeOptions.name = options.name ? options.name : target->listName;
    nodeOptions.kind = session->m_port->Kind();
    session->m_node =
        std::make_unique<lon::LonNodeLink>(*session->m_transactions, target->node, nodeOptions);

    const auto programId = session->m_node->ReadProgramId();
    if (!programId) {
        const std::string& node = nodeText;
        error = session->m_node->Problem().empty()
                    ? "the node " + node + " refuses to tell its program ID"
                    : "no answer from " + node + "; is the node on the network, and the host's " +
                          "address " + lon::FormatLonAddress(*host) + " unused in its domain?";
        return nullptr;
    }
    session->m_programId = host::ProgramIdText(*programId);
    session->m_node->Name();  // read once, now
    return session;
}

}  // namespace host
