#include "host/app/LonOption.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "host/app/ControlHost.h"
#include "host/app/PluginLocator.h"
#include "host/lon/FaultyLink.h"
#include "host/lon/LsUdpLink.h"
#include "host/lon/NodeList.h"
#include "host/lon/UdpLink.h"
#include "host/node/NodeImage.h"
#include "host/node/NodeProgramId.h"
#include "host/node/SimNode.h"
#include "host/text/ShownText.h"
#include "host/usb/UsbPacketLink.h"
#include "platform/crt/Clock.h"

namespace host {

namespace {

constexpr int kDefaultHostNode = 126;
constexpr long long kMaxTimeoutMs = 60000;
constexpr long long kMaxRetries = 100;
// Faults for the tests of the transactions on a bad network: the kernel may lack netem.
constexpr const char* kFaultsVariable = "QMA7_LON_FAULTS";
// A node keeps the record of a request this long by default: a retry after it is taken for a
// new request and executed again.
constexpr long long kReceiveTimerMs = 2048;

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
    const bool isAddress = text.find('/') != std::string::npos;
    if (listPath) {
        list = lon::NodeList::Load(*listPath, error);
        if (!list && !isAddress) {
            return std::nullopt;
        }
        if (!list) {
            // The address says where the node is; the list would only have named it.
            std::fprintf(stderr, "qma7: warning: %s; going on without it\n", error.c_str());
            error.clear();
        }
    }
    Target target;
    if (isAddress) {
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
        error = "\"" + ShownText(text) +
                "\" is neither an address DOMAIN/SUBNET/NODE nor a node of " +
                (listPath ? "the node list " + ShownText(listPath->string())
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
        // An address is checked here, with the other options: a wrong one is a usage error.
        if (std::strchr(value, '/') != nullptr && !lon::ParseLonAddress(value, error)) {
            return true;
        }
        options.target = value;
    } else if (arg == "--lon-host") {
        if (!lon::ParseHostAddress(value, lon::LonAddress{}, error)) {
            return true;
        }
        options.host = value;
    } else if (arg == "--name") {
        if (std::strlen(value) > NodeImage::kMaxNameBytes) {
            error = "--name takes at most " + std::to_string(NodeImage::kMaxNameBytes) +
                    " bytes, not " + std::to_string(std::strlen(value));
            return true;
        }
        options.name = value;
    } else if (arg == "--lon-timeout") {
        const auto ms = Whole(value, 1, kMaxTimeoutMs);
        if (!ms) {
            error = "--lon-timeout takes milliseconds from 1 to 60000, not " + ShownText(value);
        }
        options.timing.timeoutMs = ms.value_or(0);
    } else {
        const auto retries = Whole(value, 0, kMaxRetries);
        if (!retries) {
            error = "--lon-retries takes 0 to 100, not " + ShownText(value);
        }
        options.timing.retries = static_cast<int>(retries.value_or(0));
    }
    return true;
}

LonSession::~LonSession() = default;

void LonSession::Close() {
    if (m_usb) {
        m_usb->Close();
    }
}

std::unique_ptr<LonSession> LonSession::Open(const LonOptions& options, platform::crt::Clock& clock,
                                             std::string& error) {
    const long long triesMs = options.timing.timeoutMs * (options.timing.retries + 1LL);
    if (triesMs > kReceiveTimerMs) {
        std::fprintf(stderr,
                     "qma7: warning: --lon-timeout x (--lon-retries + 1) is %lld ms, longer than "
                     "the %lld ms a node keeps a request's record by default: a late retry may "
                     "be executed twice\n",
                     triesMs, kReceiveTimerMs);
    }
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
    lon::PacketLink* link = nullptr;
    std::string nodeText = lon::FormatLonAddress(target->node);
    std::string kind = "LON/IP";
    const auto usbDevice = options.usb.device ? options.usb.device : target->usb;
    if (usbDevice) {
        // Through a USB network interface on the node's channel.
        const auto choice = ChooseUsbInterface(
            *usbDevice, options.usb.kind ? options.usb.kind : target->usbKind, SysfsRoot(), error);
        if (!choice) {
            return nullptr;
        }
        session->m_usb =
            usb::UsbPacketLink::Open(choice->path, choice->family, hostNode, clock, error);
        if (!session->m_usb) {
            return nullptr;
        }
        link = session->m_usb.get();
        kind = "USB " + choice->path;
    } else {
        const auto nodeIp = lon::DerivedIpv4(target->node, error);
        const auto hostIp = nodeIp ? lon::DerivedIpv4(*host, error) : std::nullopt;
        if (!hostIp) {
            return nullptr;
        }
        int errorNumber = 0;
        session->m_socket = lon::UdpLink::Open({*hostIp, lon::kLonIpPort}, errorNumber);
        if (!session->m_socket) {
            error = SocketError(errorNumber, *host, *hostIp);
            return nullptr;
        }
        session->m_packets =
            std::make_unique<lon::LsUdpLink>(*session->m_socket, target->node.domain, hostNode);
        link = session->m_packets.get();
        nodeText = AddressText(target->node, *nodeIp);
    }
    if (const char* faults = std::getenv(kFaultsVariable)) {
        const auto parsed = lon::ParseFaults(faults, error);
        if (!parsed) {
            error = std::string(kFaultsVariable) + ": " + error;
            return nullptr;
        }
        session->m_faults = std::make_unique<lon::FaultyLink>(*link, clock, *parsed);
        link = session->m_faults.get();
    }
    const lon::Route route{hostNode,
                           {static_cast<std::uint8_t>(target->node.subnet),
                            static_cast<std::uint8_t>(target->node.node)},
                           target->node.domain};
    session->m_transactions = std::make_unique<lon::Transactions>(
        *link, clock, route, options.timing, std::random_device{}());
    lon::LonNodeLink::Options nodeOptions;
    nodeOptions.bySelector = options.bySelector;
    nodeOptions.name = options.name ? options.name : target->listName;
    nodeOptions.kind = kind;
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
    // Over LON/IP, 12-bit transaction IDs where the node answers in LS/UDP enhanced mode: an
    // old answer can then not come back under a later request's ID. One try; a node without it
    // stays on the legacy mode. A layer 2 frame has only the 4-bit IDs.
    if (session->m_packets) {
        session->m_packets->SetEnhanced(true);
        if (!session->m_transactions->TryOnce(lon::ReadProgramIdRequest())) {
            session->m_packets->SetEnhanced(false);
        }
    }
    if (std::equal(programId->begin(), programId->end(), kSimNodeProgramId.begin())) {
        // A node of the type the host knows: its NVs have the simulated node's lengths.
        std::map<int, std::size_t> lengths;
        for (int nv = 0; nv <= SimNode::kPartNv; ++nv) {
            lengths[nv] = static_cast<std::size_t>(SimNode::NvSize(nv));
        }
        session->m_node->SetNvLengths(lengths);
    }
    session->m_node->Name();  // read once, now
    return session;
}

std::unique_ptr<ControlHost> CreateControlFor(IOleClientSite& site, LonSession* session,
                                              std::ostream& notes, std::string& error) {
    if (session == nullptr) {
        return ControlHost::Create(site, BundledModulePath(), notes, error);
    }
    return CreateControlForNode(site, session->ProgramIdText(), session->Node().Address(),
                                BundledModulePath(), notes, error);
}

std::unique_ptr<ControlHost> CreateControlForNode(IOleClientSite& site,
                                                  const std::string& programId,
                                                  const std::string& address,
                                                  const std::string& besideModule,
                                                  std::ostream& notes, std::string& error) {
    auto control = ControlHost::Create(site, programId, besideModule, notes, error);
    std::vector<RegisteredPlugin> plugins;
    std::string registryError;
    if (!control && FindRegisteredPlugins(programId, plugins, registryError) && plugins.empty()) {
        error = "the node " + address + " has program ID \"" + programId +
                "\", and no plug-in is registered for it";
    }
    return control;
}

}  // namespace host
