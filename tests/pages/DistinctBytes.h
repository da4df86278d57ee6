#pragma once
// Values whose bytes all differ, so that a test sees each byte that a page does not own go
// back to the node exactly as read.

#include <array>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

// 31 bytes, byte i being 0x80 + i, but for the given {index, byte} pairs; as trace shows it.
inline std::string Distinct(std::initializer_list<std::pair<int, int>> changes = {}) {
    std::array<int, 31> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = 0x80 + static_cast<int>(i);
    }
    for (const auto& [index, byte] : changes) {
        bytes.at(static_cast<std::size_t>(index)) = byte;
    }
    std::string hex;
    for (const int byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        hex += pair;
    }
    return hex;
}
