// The byte stream from a USB network interface, in reads of any size at any time, through both
// link layers and the frame decoding: no read outside the input, and what the MIP/U50 link
// writes back on its own (acknowledgements, CpFail) is always whole code packets with a right
// checksum; a frame taken decodes to a packet whose downlink encoding is the frame again.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/usb/MipU50Link.h"
#include "host/usb/MipU61Link.h"
#include "host/usb/UsbFrame.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

constexpr FuzzCheck Check{"USB uplink"};
constexpr std::size_t kCodeBytes = 4;

void Take(host::usb::MipLink& link) {
    while (auto message = link.TakeMessage()) {
        if (message->command != host::usb::kNiCommIncoming) {
            continue;
        }
        host::usb::Packet packet;
        if (host::usb::DecodeUplinkFrame(message->data, packet) != host::usb::FrameVerdict::Taken) {
            continue;
        }
        auto again = host::usb::EncodeDownlinkFrame(packet);
        const auto& frame = message->data;
        // The destination node's top bit is not read.
        constexpr std::size_t kDestinationNode = 5;
        if (again.size() > kDestinationNode && frame.size() > kDestinationNode &&
            (again[kDestinationNode] & 0x7F) == (frame[kDestinationNode] & 0x7F)) {
            again[kDestinationNode] = frame[kDestinationNode];
        }
        // The header byte is the sender's; the rest, less the CRC, is what the packet holds.
        Check(again.size() + 2 == frame.size() &&
                  std::equal(again.begin() + 1, again.end(), frame.begin() + 1),
              "a taken frame is not its packet's encoding");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    host::usb::MipU50Link u50;
    host::usb::MipU61Link u61;
    std::int64_t now = 0;
    u50.Restart(now);
    u50.TakeOutput();
    while (input.remaining_bytes() > 0) {
        now += input.ConsumeIntegralInRange<std::int64_t>(0, 400);
        const auto chunk = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1, 64));
        u50.Feed(chunk, now);
        u61.Feed(chunk, now);
        u50.Poll(now);
        u61.Poll(now);
        const auto out = u50.TakeOutput();
        Check(out.size() % kCodeBytes == 0, "the link wrote part of a code packet");
        for (std::size_t i = 0; i + kCodeBytes <= out.size(); i += kCodeBytes) {
            Check(out[i] == 0x7E &&
                      static_cast<std::uint8_t>(out[i] + out[i + 1] + out[i + 2] + out[i + 3]) == 0,
                  "a code packet with a wrong checksum");
        }
        Take(u50);
        Take(u61);
    }
    return 0;
}
