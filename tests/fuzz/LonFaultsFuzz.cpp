// QMA7_LON_FAULTS on any text: no crash, and a message with every refusal.

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/lon/FaultyLink.h"
#include "tests/fuzz/FuzzCheck.h"

constexpr FuzzCheck Check{"LON faults"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto faults = host::lon::ParseFaults(text, error);
    Check(faults.has_value() || !error.empty(), "refused faults without a message");
    return 0;
}
