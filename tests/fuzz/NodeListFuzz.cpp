// The node list and LON addresses on any text: no crash, a message with every refusal, names
// found as listed, and every address that parses formats to a text that parses to the same.

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/lon/LonAddress.h"
#include "host/lon/NodeList.h"
#include "tests/fuzz/FuzzCheck.h"

constexpr FuzzCheck Check{"node list"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto list = host::lon::NodeList::Parse(text, "fuzz", error);
    Check(list.has_value() || !error.empty(), "a refused list without a message");
    Check(error.find('\x1b') == std::string::npos, "a control character in a message");

    // The same bytes as an address and as a host address.
    error.clear();
    const auto address = host::lon::ParseLonAddress(text, error);
    Check(address.has_value() || !error.empty(), "a refused address without a message");
    Check(error.size() < 1024, "a message that is not cut short");
    if (address) {
        const std::string formatted = host::lon::FormatLonAddress(*address);
        const auto again = host::lon::ParseLonAddress(formatted, error);
        Check(again && *again == *address, "an address that does not read back");
        Check(host::lon::ParseHostAddress(text.substr(text.find('/') + 1), *address, error)
                  .has_value(),
              "the subnet/node of an address is no host address");
    }
    return 0;
}
