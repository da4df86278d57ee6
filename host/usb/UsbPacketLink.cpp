#include "host/usb/UsbPacketLink.h"

#include <algorithm>

#include "host/usb/UsbFrame.h"
#include "host/usb/UsbTty.h"
#include "platform/crt/Clock.h"

namespace host::usb {

namespace {

constexpr std::int64_t kReopenEveryMs = 500;

}  // namespace

std::unique_ptr<UsbPacketLink> UsbPacketLink::Open(const std::string& path, UsbFamily family,
                                                   lon::SubnetNode host,
                                                   platform::crt::Clock& clock,
                                                   std::string& error) {
    Opener opener = [path, family](std::string& openError) -> std::unique_ptr<SerialPort> {
        return UsbTty::Open(path, BaudOf(family), openError);
    };
    return Open(std::move(opener), path, family, host, clock, error);
}

std::unique_ptr<UsbPacketLink> UsbPacketLink::Open(Opener opener, const std::string& path,
                                                   UsbFamily family, lon::SubnetNode host,
                                                   platform::crt::Clock& clock,
                                                   std::string& error) {
    std::unique_ptr<UsbPacketLink> link(
        new UsbPacketLink(std::move(opener), path, family, host, clock));
    if (!link->Connect(error)) {
        return nullptr;
    }
    return link;
}

UsbPacketLink::UsbPacketLink(Opener opener, std::string path, UsbFamily family,
                             lon::SubnetNode host, platform::crt::Clock& clock)
    : m_opener(std::move(opener)),
      m_path(std::move(path)),
      m_family(family),
      m_host(host),
      m_clock(clock) {}

UsbPacketLink::~UsbPacketLink() {
    Close();
}

void UsbPacketLink::Close() {
    if (m_interface) {
        m_interface->RestoreMode();
    }
}

bool UsbPacketLink::Connect(std::string& error) {
    m_interface.reset();
    auto port = m_opener(error);
    if (!port) {
        return false;
    }
    auto interface = std::make_unique<UsbInterface>(std::move(port), m_family, m_path, m_clock);
    if (!interface->Start(error)) {
        return false;
    }
    if (m_firstNotedLayer2) {
        interface->KeepNotedMode(*m_firstNotedLayer2);
    } else {
        m_firstNotedLayer2 = interface->NotedLayer2();
    }
    m_interface = std::move(interface);
    return true;
}

bool UsbPacketLink::Reconnect() {
    if (m_interface && !m_interface->Gone()) {
        return true;
    }
    const std::int64_t now = m_clock.NowMs();
    if (now < m_nextTryMs) {
        return false;
    }
    m_nextTryMs = now + kReopenEveryMs;
    std::string error;
    return Connect(error);
}

bool UsbPacketLink::Send(const lon::Packet& packet) {
    if (!Reconnect()) {
        return false;
    }
    return m_interface->Send(NiMessage{kNiCommTransmit, EncodeDownlinkFrame(packet)});
}

bool UsbPacketLink::Receive(std::int64_t waitMs, lon::Packet& packet) {
    const std::int64_t until = m_clock.NowMs() + waitMs;
    for (;;) {
        const std::int64_t left = until - m_clock.NowMs();
        if (!Reconnect()) {
            if (left <= 0) {
                return false;
            }
            m_clock.SleepMs(std::min(left, kReopenEveryMs));
            continue;
        }
        const auto message = m_interface->Receive(std::max<std::int64_t>(left, 0));
        if (!message) {
            if (m_interface->Gone() && m_clock.NowMs() < until) {
                continue;
            }
            return false;
        }
        lon::Packet heard;
        switch (DecodeUplinkFrame(message->data, heard)) {
            case FrameVerdict::Taken:
                if (heard.destination == m_host) {
                    packet = std::move(heard);
                    return true;
                }
                ++m_frames.forOthers;
                break;
            case FrameVerdict::NotForUs:
                ++m_frames.forOthers;
                break;
            case FrameVerdict::Broken:
                ++m_frames.broken;
                break;
        }
    }
}

std::string UsbPacketLink::Problem() const {
    if (!m_interface || m_interface->Gone()) {
        return "USB interface " + m_path + " gone";
    }
    return {};
}

}  // namespace host::usb
