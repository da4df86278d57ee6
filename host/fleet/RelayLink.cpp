#include "host/fleet/RelayLink.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

namespace host::fleet {

namespace {

constexpr std::size_t kMaxMessage = 1 << 16;

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

bool RelayLink::Put(const RelayMessage& message) {
    const std::vector<std::uint8_t> bytes = EncodeRelayMessage(message);
    ssize_t sent = 0;
    do {
        sent = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(bytes.size());
}

bool RelayLink::Send(const lon::Packet& packet) {
    RelayMessage message;
    message.kind = RelayMessage::Kind::Packet;
    message.packet = packet;
    return Put(message);
}

bool RelayLink::Receive(std::int64_t waitMs, lon::Packet& packet) {
    const std::int64_t until = SteadyMs() + std::max<std::int64_t>(waitMs, 0);
    std::vector<std::uint8_t> bytes(kMaxMessage);
    if (m_gone) {
        // Nothing comes any more; the wait is kept, so that a caller that waits in a loop does
        // not spin.
        ::poll(nullptr, 0, static_cast<int>(std::max<std::int64_t>(waitMs, 0)));
        return false;
    }
    while (!m_gone) {
        pollfd ready{m_socket, POLLIN, 0};
        const std::int64_t left = std::max<std::int64_t>(until - SteadyMs(), 0);
        if (::poll(&ready, 1, static_cast<int>(left)) <= 0) {
            return false;  // the time passed, or a signal came: the caller looks at the clock
        }
        const ssize_t got = ::recv(m_socket, bytes.data(), bytes.size(), MSG_DONTWAIT);
        if (got == 0) {
            m_gone = true;
            break;
        }
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            m_gone = true;
            break;
        }
        const auto message =
            DecodeRelayMessage(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + got));
        if (message && message->kind == RelayMessage::Kind::Packet) {
            packet = message->packet;
            return true;
        }
    }
    return false;
}

std::string RelayLink::Problem() const {
    return m_gone ? "the process that owns the link is gone" : std::string();
}

bool RelayLink::Report(const Progress& progress) {
    RelayMessage message;
    message.kind = RelayMessage::Kind::Progress;
    message.progress = progress;
    return Put(message);
}

bool RelayLink::Report(const NodeResult& result) {
    RelayMessage message;
    message.kind = RelayMessage::Kind::Result;
    message.result = result;
    return Put(message);
}

}  // namespace host::fleet
