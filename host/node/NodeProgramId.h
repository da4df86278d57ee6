#pragma once
// The program id of the simulated node: the eight bytes by which the network identifies the
// node's type and its application, and the text form under which plug-ins register for it.

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace host {

inline constexpr std::array<std::uint8_t, 8> kSimNodeProgramId = {0x90, 0x51, 0x4D, 0x41,
                                                                  0x37, 0x5F, 0x31, 0x6A};

// The bytes as upper-case hex pairs separated by blanks.
inline std::string ProgramIdText(std::span<const std::uint8_t> programId) {
    std::string text;
    for (const std::uint8_t byte : programId) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text.append(text.empty() ? "" : " ").append(pair);
    }
    return text;
}

}  // namespace host
