#include "host/fleet/RelayMessage.h"

#include <cstddef>

namespace host::fleet {

namespace {

constexpr std::size_t kMaxDomainLength = 6;
constexpr std::uint8_t kLastService = static_cast<std::uint8_t>(lon::Service::Acknowledgement);
constexpr std::uint8_t kLastOutcome = static_cast<std::uint8_t>(Outcome::Silent);

class Writer {
  public:
    void Byte(std::uint8_t value) { m_bytes.push_back(value); }
    void Word(std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            Byte(static_cast<std::uint8_t>(value >> shift & 0xFF));
        }
    }
    void Text(const std::string& text) {
        Word(static_cast<std::uint32_t>(text.size()));
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    }
    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

  private:
    std::vector<std::uint8_t> m_bytes;
};

class Reader {
  public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    bool Byte(std::uint8_t& value) {
        if (m_at >= m_bytes.size()) {
            return false;
        }
        value = m_bytes[m_at++];
        return true;
    }
    bool Word(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t byte = 0;
            if (!Byte(byte)) {
                return false;
            }
            value = value << 8 | byte;
        }
        return true;
    }
    bool Bytes(std::size_t count, std::vector<std::uint8_t>& out) {
        if (m_bytes.size() - m_at < count) {
            return false;
        }
        out.assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at),
                   m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at + count));
        m_at += count;
        return true;
    }
    bool Text(std::string& text) {
        std::uint32_t size = 0;
        std::vector<std::uint8_t> bytes;
        if (!Word(size) || !Bytes(size, bytes)) {
            return false;
        }
        text.assign(bytes.begin(), bytes.end());
        return true;
    }
    std::vector<std::uint8_t> Rest() {
        std::vector<std::uint8_t> rest(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at),
                                       m_bytes.end());
        m_at = m_bytes.size();
        return rest;
    }
    bool AtEnd() const { return m_at == m_bytes.size(); }

  private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_at = 0;
};

}  // namespace

std::vector<std::uint8_t> EncodeRelayMessage(const RelayMessage& message) {
    Writer out;
    out.Byte(static_cast<std::uint8_t>(message.kind));
    switch (message.kind) {
        case RelayMessage::Kind::Packet: {
            const lon::Packet& packet = message.packet;
            out.Byte(packet.source.subnet);
            out.Byte(packet.source.node);
            out.Byte(packet.destination.subnet);
            out.Byte(packet.destination.node);
            out.Byte(static_cast<std::uint8_t>(packet.domain.size()));
            for (const std::uint8_t byte : packet.domain) {
                out.Byte(byte);
            }
            out.Byte(static_cast<std::uint8_t>(packet.service));
            out.Byte(static_cast<std::uint8_t>(packet.transaction >> 8));
            out.Byte(static_cast<std::uint8_t>(packet.transaction & 0xFF));
            for (const std::uint8_t byte : packet.apdu) {
                out.Byte(byte);
            }
            break;
        }
        case RelayMessage::Kind::Progress:
            out.Word(static_cast<std::uint32_t>(message.progress.done));
            out.Word(static_cast<std::uint32_t>(message.progress.total));
            break;
        case RelayMessage::Kind::Result:
            out.Byte(static_cast<std::uint8_t>(message.result.outcome));
            out.Word(static_cast<std::uint32_t>(message.result.notWritten));
            out.Text(message.result.detail);
            out.Text(message.result.programId);
            out.Text(message.result.name);
            break;
    }
    return out.Take();
}

std::optional<RelayMessage> DecodeRelayMessage(const std::vector<std::uint8_t>& datagram) {
    Reader in(datagram);
    RelayMessage message;
    std::uint8_t kind = 0;
    if (!in.Byte(kind)) {
        return std::nullopt;
    }
    message.kind = static_cast<RelayMessage::Kind>(kind);
    switch (message.kind) {
        case RelayMessage::Kind::Packet: {
            lon::Packet& packet = message.packet;
            std::uint8_t domainLength = 0;
            std::uint8_t service = 0;
            std::uint8_t high = 0;
            std::uint8_t low = 0;
            if (!in.Byte(packet.source.subnet) || !in.Byte(packet.source.node) ||
                !in.Byte(packet.destination.subnet) || !in.Byte(packet.destination.node) ||
                !in.Byte(domainLength) || domainLength > kMaxDomainLength ||
                !in.Bytes(domainLength, packet.domain) || !in.Byte(service) ||
                service > kLastService || !in.Byte(high) || !in.Byte(low)) {
                return std::nullopt;
            }
            packet.service = static_cast<lon::Service>(service);
            packet.transaction = static_cast<std::uint16_t>(high << 8 | low);
            packet.apdu = in.Rest();
            return message;
        }
        case RelayMessage::Kind::Progress: {
            std::uint32_t done = 0;
            std::uint32_t total = 0;
            if (!in.Word(done) || !in.Word(total) || !in.AtEnd()) {
                return std::nullopt;
            }
            message.progress = {static_cast<int>(done), static_cast<int>(total)};
            return message;
        }
        case RelayMessage::Kind::Result: {
            std::uint8_t outcome = 0;
            std::uint32_t notWritten = 0;
            NodeResult& result = message.result;
            if (!in.Byte(outcome) || outcome > kLastOutcome || !in.Word(notWritten) ||
                !in.Text(result.detail) || !in.Text(result.programId) || !in.Text(result.name) ||
                !in.AtEnd()) {
                return std::nullopt;
            }
            result.outcome = static_cast<Outcome>(outcome);
            result.notWritten = static_cast<int>(notWritten);
            return message;
        }
    }
    return std::nullopt;
}

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done:
            return "done";
        case Outcome::Failed:
            return "failed";
        case Outcome::Differs:
            return "differs";
        case Outcome::Foreign:
            return "other program";
        case Outcome::Stopped:
            return "stopped";
        case Outcome::Silent:
            return "no answer";
    }
    return "failed";
}

}  // namespace host::fleet
