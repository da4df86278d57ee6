#include "host/fleet/FleetRunner.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

#include "host/fleet/NodeProcess.h"
#include "host/fleet/RelayMessage.h"
#include "host/text/Hex.h"

namespace host::fleet {

namespace {

// How long a faulty link's delayed packets may wait for their time, and how often a link without
// a descriptor to wait on (a USB interface) is looked at.
constexpr int kPollMs = 20;
constexpr int kPollLinkMs = 1;
constexpr std::int64_t kLinkReadMs = 1;
constexpr std::size_t kMaxMessage = 1 << 16;

volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    g_interrupted = 1;
}

void OnNodeInterrupt(int) {
    RequestStop();
}

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Running {
    std::size_t slot;
    pid_t pid;
    int socket;
    bool resulted = false;
};

std::string ExitText(int status) {
    if (WIFSIGNALED(status)) {
        return "the node's process ended by signal " + std::to_string(WTERMSIG(status));
    }
    return "the node's process ended with status " + std::to_string(WEXITSTATUS(status)) +
           " and no result";
}

}  // namespace

void WatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() {
    return g_interrupted != 0;
}

FleetRunner::FleetRunner(PacketRelay& relay, lon::PacketLink& link, int linkSocket,
                         FleetDisplay& display, std::FILE* trace)
    : m_relay(relay), m_link(link), m_linkSocket(linkSocket), m_display(display), m_trace(trace) {}

void FleetRunner::Run(const std::vector<FleetJob>& jobs, std::vector<FleetRow>& rows,
                      std::size_t parallel) {
    const std::int64_t originMs = SteadyMs();
    auto now = [&] { return SteadyMs() - originMs; };
    std::size_t labelWidth = 0;
    for (const FleetRow& row : rows) {
        labelWidth = std::max(labelWidth, row.node.label.size());
    }
    if (m_trace != nullptr) {
        m_relay.SetTrace([&](bool sent, std::size_t slot, const lon::Packet& packet) {
            std::fprintf(m_trace, "%lld %s %s %u/%u %s %u %s\n", static_cast<long long>(now()),
                         sent ? ">" : "<", rows[slot].node.label.c_str(),
                         sent ? packet.destination.subnet : packet.source.subnet,
                         sent ? packet.destination.node : packet.source.node,
                         packet.service == lon::Service::Request    ? "request"
                         : packet.service == lon::Service::Response ? "response"
                                                                    : "ack",
                         packet.transaction, FormatHex(packet.apdu).c_str());
        });
    }

    std::vector<Running> running;
    std::size_t next = 0;
    bool stopSent = false;
    std::vector<std::uint8_t> buffer(kMaxMessage);
    auto start = [&](std::size_t slot) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
            rows[slot].state = FleetRow::State::Ended;
            rows[slot].result.detail =
                std::string("cannot make a socket pair: ") + std::strerror(errno);
            return;
        }
        std::fflush(nullptr);
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            // The node's process: its own end of its pair, nothing of the link's or the others'.
            ::close(pair[0]);
            if (m_linkSocket >= 0) {
                ::close(m_linkSocket);
            }
            for (const Running& other : running) {
                ::close(other.socket);
            }
            struct sigaction action {};
            action.sa_handler = OnNodeInterrupt;
            sigemptyset(&action.sa_mask);
            ::sigaction(SIGINT, &action, nullptr);
            // Should this process end, the node stops at its next step as on Ctrl-C.
            ::prctl(PR_SET_PDEATHSIG, SIGINT);
            if (::getppid() != parent) {
                RequestStop();
            }
            std::_Exit(RunNodeProcess(pair[1], jobs[slot]));
        }
        ::close(pair[1]);
        if (pid < 0) {
            ::close(pair[0]);
            rows[slot].state = FleetRow::State::Ended;
            rows[slot].result.detail =
                std::string("cannot start a process: ") + std::strerror(errno);
            return;
        }
        m_relay.Attach(slot, jobs[slot].route.node);
        rows[slot].state = FleetRow::State::Running;
        rows[slot].startMs = now();
        running.push_back({slot, pid, pair[0]});
    };
    auto end = [&](Running& process) {
        int status = 0;
        while (::waitpid(process.pid, &status, 0) < 0 && errno == EINTR) {
        }
        ::close(process.socket);
        m_relay.Detach(process.slot);
        FleetRow& row = rows[process.slot];
        row.state = FleetRow::State::Ended;
        row.endMs = now();
        if (!process.resulted) {
            row.result.outcome = Outcome::Failed;
            row.result.detail = ExitText(status);
        }
        m_display.Ended(row, labelWidth, now());
    };

    while (next < rows.size() || !running.empty()) {
        while (!Interrupted() && next < rows.size() &&
               (parallel == 0 || running.size() < parallel)) {
            // A node that ended before the run (its file is missing) is not started.
            if (rows[next].state == FleetRow::State::Ended) {
                ++next;
                continue;
            }
            start(next++);
        }
        if (Interrupted() && !stopSent) {
            // A Ctrl-C on the terminal reached the nodes' processes already; a signal sent to
            // this process alone did not.
            for (const Running& process : running) {
                ::kill(process.pid, SIGINT);
            }
            stopSent = true;
            next = rows.size();
        }
        if (running.empty()) {
            break;
        }
        std::vector<pollfd> ready;
        for (const Running& process : running) {
            ready.push_back({process.socket, POLLIN, 0});
        }
        if (m_linkSocket >= 0) {
            ready.push_back({m_linkSocket, POLLIN, 0});
        }
        ::poll(ready.data(), ready.size(), m_linkSocket >= 0 ? kPollMs : kPollLinkMs);

        for (std::size_t i = 0; i < running.size(); ++i) {
            if (ready[i].revents == 0) {
                continue;
            }
            Running& process = running[i];
            bool ended = false;
            for (;;) {
                const ssize_t got =
                    ::recv(process.socket, buffer.data(), buffer.size(), MSG_DONTWAIT);
                if (got < 0 && errno == EINTR) {
                    continue;
                }
                if (got <= 0) {
                    ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
                    break;
                }
                const auto message = DecodeRelayMessage(
                    std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + got));
                if (!message) {
                    continue;
                }
                FleetRow& row = rows[process.slot];
                switch (message->kind) {
                    case RelayMessage::Kind::Packet:
                        // A process speaks for its own node only.
                        if (message->packet.destination == jobs[process.slot].route.node) {
                            m_relay.FromNode(process.slot, message->packet, now());
                        }
                        break;
                    case RelayMessage::Kind::Progress:
                        row.progress = message->progress;
                        break;
                    case RelayMessage::Kind::Result:
                        row.result = message->result;
                        process.resulted = true;
                        break;
                }
            }
            if (ended) {
                end(process);
                process.pid = 0;
            }
        }
        std::erase_if(running, [](const Running& process) { return process.pid == 0; });

        lon::Packet packet;
        // A link without a descriptor reads its device only while it waits (a USB interface
        // does not read at all on a wait of 0): the first look waits a little.
        std::int64_t wait = m_linkSocket >= 0 ? 0 : kLinkReadMs;
        while (m_link.Receive(wait, packet)) {
            wait = 0;
            const auto slot = m_relay.FromLink(packet, now());
            const auto to =
                std::find_if(running.begin(), running.end(),
                             [&](const Running& process) { return slot && process.slot == *slot; });
            if (to != running.end()) {
                RelayMessage message;
                message.kind = RelayMessage::Kind::Packet;
                message.packet = packet;
                const auto bytes = EncodeRelayMessage(message);
                ::send(to->socket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            }
        }
        m_relay.Pump(now());
        m_display.Show(rows, now(), false);
    }
    m_display.Show(rows, now(), true);
    if (m_trace != nullptr) {
        std::fflush(m_trace);
    }
}

}  // namespace host::fleet
