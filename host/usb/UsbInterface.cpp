#include "host/usb/UsbInterface.h"

#include <array>

#include "host/usb/MipU50Link.h"
#include "host/usb/MipU61Link.h"
#include "host/usb/UsbFrame.h"
#include "platform/crt/Clock.h"

namespace host::usb {

namespace {

constexpr std::uint8_t kNiModeL5 = 0xD0;
constexpr std::uint8_t kNiModeL2 = 0xD1;
constexpr std::uint8_t kNiStatus = 0xE0;
constexpr std::uint8_t kNiLayerMode = 0xE5;  // MIP/U61: 1 layer 2, 0 layer 5; echoed
constexpr std::size_t kStatusModeByte = 2;   // niSSTATUS: 1 layer 2, 0 layer 5
constexpr std::int64_t kU61ModeRetryMs = 350;
constexpr std::int64_t kRestoreWaitMs = 500;
constexpr std::size_t kReadChunk = 512;

}  // namespace

UsbInterface::UsbInterface(std::unique_ptr<SerialPort> port, UsbFamily family, std::string path,
                           platform::crt::Clock& clock)
    : m_port(std::move(port)),
      m_link(family == UsbFamily::U50 ? std::unique_ptr<MipLink>(new MipU50Link)
                                      : std::unique_ptr<MipLink>(new MipU61Link)),
      m_family(family),
      m_path(std::move(path)),
      m_clock(clock) {}

UsbInterface::~UsbInterface() = default;

std::string UsbInterface::NoAnswer() const {
    const UsbFamily other = m_family == UsbFamily::U50 ? UsbFamily::U61 : UsbFamily::U50;
    return "the USB interface " + m_path + " does not answer as " + FamilyName(m_family) +
           " within a second; if it is a " + FamilyName(other) + ", try --usb-kind " +
           (other == UsbFamily::U50 ? "u50" : "u61");
}

bool UsbInterface::Start(std::string& error) {
    const std::int64_t start = m_clock.NowMs();
    m_link->Restart(start);
    if (m_family == UsbFamily::U61) {
        // A U61 cannot be asked its mode: it is taken to be in the factory's layer 5, and so
        // put back there at the end. Its only answer is the echo of the mode command.
        m_notedLayer2 = false;
        while (m_clock.NowMs() - start < kAnswerWithinMs) {
            if (!Send(NiMessage{kNiLayerMode, {1}})) {
                break;
            }
            const auto echo = Await(kNiLayerMode, std::nullopt, kU61ModeRetryMs);
            if (echo && echo->data == std::vector<std::uint8_t>{1}) {
                m_switched = true;
                return true;
            }
        }
        error = m_gone ? "the USB interface " + m_path + " went away during start-up" : NoAnswer();
        return false;
    }
    while (!m_link->Synchronised() && m_clock.NowMs() - start < kAnswerWithinMs && !m_gone) {
        Pump(start + kAnswerWithinMs);
    }
    if (!m_link->Synchronised()) {
        error = m_gone ? "the USB interface " + m_path + " went away during start-up" : NoAnswer();
        return false;
    }
    Send(NiMessage{kNiStatus, {}});
    const auto status = Await(kNiStatus, std::nullopt, kAnswerWithinMs);
    if (!status || status->data.size() <= kStatusModeByte) {
        error = "the USB interface " + m_path + " does not tell its status";
        return false;
    }
    m_notedLayer2 = status->data[kStatusModeByte] == 1;
    if (!*m_notedLayer2) {
        // Leaving layer 5 resets the interface, which says so with niRESET.
        Send(NiMessage{kNiModeL2, {}});
        if (!Await(kNiReset, kNiModeL2, kAnswerWithinMs)) {
            error = "the USB interface " + m_path + " does not switch to layer 2 mode";
            return false;
        }
        m_switched = true;
    }
    return !m_gone;
}

void UsbInterface::RestoreMode() {
    if (!m_switched || m_gone) {
        return;
    }
    m_switched = false;
    if (m_family == UsbFamily::U61) {
        Send(NiMessage{kNiLayerMode, {0}});
        Await(kNiLayerMode, std::nullopt, kRestoreWaitMs);
        return;
    }
    Send(NiMessage{kNiModeL5, {}});
    Await(kNiReset, kNiModeL5, kRestoreWaitMs);
}

bool UsbInterface::Flush() {
    const auto out = m_link->TakeOutput();
    if (!out.empty() && !m_port->Write(out)) {
        m_gone = true;
    }
    return !m_gone;
}

bool UsbInterface::Send(const NiMessage& message) {
    if (m_gone) {
        return false;
    }
    m_link->Send(message, m_clock.NowMs());
    return Flush();
}

bool UsbInterface::Pump(std::int64_t untilMs) {
    std::array<std::uint8_t, kReadChunk> buffer{};
    const std::int64_t now = m_clock.NowMs();
    std::int64_t until = untilMs;
    if (const auto deadline = m_link->Deadline()) {
        until = std::min(until, std::max(*deadline, now));
    }
    const int n = m_port->Read(until - now, buffer);
    if (n < 0) {
        m_gone = true;
        return false;
    }
    const std::int64_t after = m_clock.NowMs();
    if (n > 0) {
        m_link->Feed(std::span(buffer).first(static_cast<std::size_t>(n)), after);
    }
    m_link->Poll(after);
    return Flush();
}

std::optional<NiMessage> UsbInterface::Await(std::uint8_t command, std::optional<std::uint8_t> also,
                                             std::int64_t waitMs) {
    const std::int64_t until = m_clock.NowMs() + waitMs;
    do {
        while (auto message = m_link->TakeMessage()) {
            if (message->command == command || (also && message->command == *also)) {
                return message;
            }
        }
        if (!Pump(until)) {
            return std::nullopt;
        }
    } while (m_clock.NowMs() < until);
    return std::nullopt;
}

std::optional<NiMessage> UsbInterface::Receive(std::int64_t waitMs) {
    const std::int64_t until = m_clock.NowMs() + waitMs;
    // The tty is read at least once, so that a caller polling with no wait gets what came.
    bool read = false;
    while (!m_gone) {
        while (auto message = m_link->TakeMessage()) {
            if (message->command == kNiCommIncoming) {
                return message;
            }
            if (message->command == kNiReset && m_switched) {
                // The interface reset itself: it keeps its stored mode, so ask again.
                SwitchTo(true);
            }
        }
        if ((read && m_clock.NowMs() >= until) || !Pump(until)) {
            break;
        }
        read = true;
    }
    return std::nullopt;
}

void UsbInterface::SwitchTo(bool layer2) {
    if (m_family == UsbFamily::U61) {
        Send(NiMessage{kNiLayerMode, {static_cast<std::uint8_t>(layer2 ? 1 : 0)}});
    } else {
        Send(NiMessage{layer2 ? kNiModeL2 : kNiModeL5, {}});
    }
}

}  // namespace host::usb
