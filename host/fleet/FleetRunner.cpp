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

namespace {

// One run of the fleet: the node processes running, the next node to start, and the relay
// between them and the link.
class FleetRun {
  public:
    FleetRun(PacketRelay& relay, lon::PacketLink& link, int linkSocket, FleetDisplay& display,
             const std::vector<FleetJob>& jobs, std::vector<FleetRow>& rows)
        : m_relay(relay),
          m_link(link),
          m_linkSocket(linkSocket),
          m_display(display),
          m_jobs(jobs),
          m_rows(rows),
          m_originMs(SteadyMs()),
          m_buffer(kMaxMessage) {
        for (const FleetRow& row : rows) {
            m_labelWidth = std::max(m_labelWidth, row.node.label.size());
        }
    }

    std::int64_t Now() const { return SteadyMs() - m_originMs; }

    // Writes each packet relayed to trace.
    void TraceTo(std::FILE* trace) {
        m_relay.SetTrace([this, trace](bool sent, std::size_t slot, const lon::Packet& packet) {
            std::fprintf(trace, "%lld %s %s %u/%u %s %u %s\n", static_cast<long long>(Now()),
                         sent ? ">" : "<", m_rows[slot].node.label.c_str(),
                         sent ? packet.destination.subnet : packet.source.subnet,
                         sent ? packet.destination.node : packet.source.node,
                         packet.service == lon::Service::Request    ? "request"
                         : packet.service == lon::Service::Response ? "response"
                                                                    : "ack",
                         packet.transaction, FormatHex(packet.apdu).c_str());
        });
    }

    void Run(std::size_t parallel) {
        while (m_next < m_rows.size() || !m_running.empty()) {
            StartDue(parallel);
            if (Interrupted() && !m_stopSent) {
                // A Ctrl-C on the terminal reached the nodes' processes already; a signal sent
                // to this process alone did not.
                for (const Running& process : m_running) {
                    ::kill(process.pid, SIGINT);
                }
                m_stopSent = true;
                m_next = m_rows.size();
            }
            if (m_running.empty()) {
                break;
            }
            const std::vector<pollfd> ready = Wait();
            for (std::size_t i = 0; i < m_running.size(); ++i) {
                if (ready[i].revents != 0 && ReadProcess(m_running[i])) {
                    End(m_running[i]);
                    m_running[i].pid = 0;
                }
            }
            std::erase_if(m_running, [](const Running& process) { return process.pid == 0; });
            RelayFromLink();
            m_relay.Pump(Now());
            m_display.Show(m_rows, Now(), false);
        }
        m_display.Show(m_rows, Now(), true);
    }

  private:
    void StartDue(std::size_t parallel) {
        while (!Interrupted() && m_next < m_rows.size() &&
               (parallel == 0 || m_running.size() < parallel)) {
            // A node that ended before the run (its file is missing) is not started.
            if (m_rows[m_next].state == FleetRow::State::Ended) {
                ++m_next;
                continue;
            }
            Start(m_next++);
        }
    }

    void Start(std::size_t slot) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
            m_rows[slot].state = FleetRow::State::Ended;
            m_rows[slot].result.detail =
                std::string("cannot make a socket pair: ") + std::strerror(errno);
            return;
        }
        std::fflush(nullptr);
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            BecomeNodeProcess(slot, pair, parent);
        }
        ::close(pair[1]);
        if (pid < 0) {
            ::close(pair[0]);
            m_rows[slot].state = FleetRow::State::Ended;
            m_rows[slot].result.detail =
                std::string("cannot start a process: ") + std::strerror(errno);
            return;
        }
        m_relay.Attach(slot, m_jobs[slot].route.node);
        m_rows[slot].state = FleetRow::State::Running;
        m_rows[slot].startMs = Now();
        m_running.push_back({slot, pid, pair[0]});
    }

    [[noreturn]] void BecomeNodeProcess(std::size_t slot, const int pair[2], pid_t parent) {
        // The node's process: its own end of its pair, nothing of the link's or the others'.
        ::close(pair[0]);
        if (m_linkSocket >= 0) {
            ::close(m_linkSocket);
        }
        for (const Running& other : m_running) {
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
        std::_Exit(RunNodeProcess(pair[1], m_jobs[slot]));
    }

    void End(Running& process) {
        int status = 0;
        while (::waitpid(process.pid, &status, 0) < 0 && errno == EINTR) {
        }
        ::close(process.socket);
        m_relay.Detach(process.slot);
        FleetRow& row = m_rows[process.slot];
        row.state = FleetRow::State::Ended;
        row.endMs = Now();
        if (!process.resulted) {
            row.result.outcome = Outcome::Failed;
            row.result.detail = ExitText(status);
        }
        m_display.Ended(row, m_labelWidth, Now());
    }

    // Waits for a process or the link to have something; the processes' readiness first.
    std::vector<pollfd> Wait() {
        std::vector<pollfd> ready;
        for (const Running& process : m_running) {
            ready.push_back({process.socket, POLLIN, 0});
        }
        if (m_linkSocket >= 0) {
            ready.push_back({m_linkSocket, POLLIN, 0});
        }
        ::poll(ready.data(), ready.size(), m_linkSocket >= 0 ? kPollMs : kPollLinkMs);
        return ready;
    }

    // Takes what a process sent; true when it has ended.
    bool ReadProcess(Running& process) {
        for (;;) {
            const ssize_t got =
                ::recv(process.socket, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            }
            const auto message = DecodeRelayMessage(
                std::vector<std::uint8_t>(m_buffer.begin(), m_buffer.begin() + got));
            if (message) {
                Take(process, *message);
            }
        }
    }

    void Take(Running& process, const RelayMessage& message) {
        FleetRow& row = m_rows[process.slot];
        switch (message.kind) {
            case RelayMessage::Kind::Packet:
                // A process speaks for its own node only.
                if (message.packet.destination == m_jobs[process.slot].route.node) {
                    m_relay.FromNode(process.slot, message.packet, Now());
                }
                break;
            case RelayMessage::Kind::Progress:
                row.progress = message.progress;
                break;
            case RelayMessage::Kind::Result:
                row.result = message.result;
                process.resulted = true;
                break;
        }
    }

    // Gives each packet from the link to the process whose node sent it.
    void RelayFromLink() {
        lon::Packet packet;
        // A link without a descriptor reads its device only while it waits (a USB interface
        // does not read at all on a wait of 0): the first look waits a little.
        std::int64_t wait = m_linkSocket >= 0 ? 0 : kLinkReadMs;
        while (m_link.Receive(wait, packet)) {
            wait = 0;
            const auto slot = m_relay.FromLink(packet, Now());
            const auto to =
                std::find_if(m_running.begin(), m_running.end(),
                             [&](const Running& process) { return slot && process.slot == *slot; });
            if (to != m_running.end()) {
                RelayMessage message;
                message.kind = RelayMessage::Kind::Packet;
                message.packet = packet;
                const auto bytes = EncodeRelayMessage(message);
                ::send(to->socket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            }
        }
    }

    PacketRelay& m_relay;
    lon::PacketLink& m_link;
    int m_linkSocket;
    FleetDisplay& m_display;
    const std::vector<FleetJob>& m_jobs;
    std::vector<FleetRow>& m_rows;
    std::int64_t m_originMs;
    std::size_t m_labelWidth = 0;
    std::vector<Running> m_running;
    std::size_t m_next = 0;
    bool m_stopSent = false;
    std::vector<std::uint8_t> m_buffer;
};

}  // namespace

void FleetRunner::Run(const std::vector<FleetJob>& jobs, std::vector<FleetRow>& rows,
                      std::size_t parallel) {
    FleetRun run(m_relay, m_link, m_linkSocket, m_display, jobs, rows);
    if (m_trace != nullptr) {
        run.TraceTo(m_trace);
    }
    run.Run(parallel);
    if (m_trace != nullptr) {
        m_relay.SetTrace({});
        std::fflush(m_trace);
    }
}

}  // namespace host::fleet
