#pragma once
// The simulated node: network variables 0 to 43, the part selector (NV 42) and the twelve
// configuration parts seen one at a time through NV 43. It answers the host's reads, writes and
// name requests, can be told to fail them, and lets the script driver set and show its state.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "host/link/NodeLink.h"

namespace host {

class SimNode final : public NodeLink {
  public:
    static constexpr int kNvCount = 44;  // NV 0 to 43
    static constexpr int kSelectorNv = 42;
    static constexpr int kPartNv = 43;
    static constexpr int kPartCount = 12;  // parts 1 to 12
    static constexpr std::size_t kLongSize = 31;
    static constexpr std::size_t kWordSize = 2;

    // The size of NV nv in bytes; 0 for an NV the node does not have.
    static int NvSize(int nv);

    enum class Failure { Read, Write, All };

    // A node with an empty name, selector 0 and every variable and part zero.
    SimNode();

    // --- The node's answers to the host ---

    // Copies min(NV size, buffer size) bytes of NV nv into buffer and sets returned to that
    // count. Fails (returned 0, buffer untouched) for an unknown NV, for NV 43 while the
    // selector is not 1 to 12, and for an NV whose reads were made to fail.
    bool Read(int nv, std::span<std::uint8_t> buffer, std::size_t& returned) override;
    // Stores data as NV nv's value. Fails and stores nothing unless data has exactly the NV's
    // size, for the conditions of Read, and for an NV whose writes were made to fail.
    bool Write(int nv, std::span<const std::uint8_t> data) override;
    // The name followed by NUL bytes, cut to the buffer's size.
    bool ReadName(std::span<char> buffer) override;
    std::string Kind() const override { return "simulated"; }

    // --- Failure injection ---

    void Fail(Failure kind, std::span<const int> nvs);
    void FailName();
    // Undoes every failure, the name's included.
    void HealAll();
    // Undoes the read and write failures of the listed NVs.
    void Heal(std::span<const int> nvs);

    // --- Direct state access (the script's node commands, the node image) ---

    const std::string& Name() const { return m_name; }
    void SetName(std::string name);

    std::uint16_t Selector() const;
    void SetSelector(std::uint16_t selector);

    // NV nv's bytes; for NV 43 the selected part. Nothing for an unknown NV or for NV 43
    // while the selector is not 1 to 12.
    std::optional<std::span<const std::uint8_t>> GetNv(int nv) const;
    // Sets NV nv (NV 43: the selected part) to bytes, filled up with zeros. False, with a
    // message in error, for an unknown NV, bytes longer than the NV, or NV 43 with no part
    // selected.
    bool SetNv(int nv, std::span<const std::uint8_t> bytes, std::string& error);

    // Part k (1 to 12); an empty span for any other k.
    std::span<const std::uint8_t> Part(int k) const;
    // Sets part k to bytes, filled up with zeros; false, with a message, for a k outside 1 to
    // 12 or bytes longer than 31.
    bool SetPart(int k, std::span<const std::uint8_t> bytes, std::string& error);

    // Grows with every stored change, so a front end can tell when to save the image.
    std::uint64_t Generation() const { return m_generation; }

  private:
    using PartBytes = std::array<std::uint8_t, kLongSize>;

    // The storage behind NV nv (NV 43: the selected part); empty when there is none.
    std::span<std::uint8_t> Storage(int nv);
    std::span<const std::uint8_t> Storage(int nv) const;
    void Store(std::span<std::uint8_t> target, std::span<const std::uint8_t> bytes);

    std::string m_name;
    std::array<std::vector<std::uint8_t>, kSelectorNv + 1> m_nvs;  // NV 0 to 42
    std::array<PartBytes, kPartCount> m_parts{};
    std::set<int> m_failRead;
    std::set<int> m_failWrite;
    bool m_failName = false;
    std::uint64_t m_generation = 0;
};

}  // namespace host
