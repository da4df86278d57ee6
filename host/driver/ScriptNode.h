#pragma once
// What the script's node commands (nv, part, selector, getnv, getpart, getselector) act on: the
// simulated node itself, or a node on the network through its link. Each returns false, with
// the script error in error, when it cannot be done.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace host {

class SimNode;

class ScriptNode {
  public:
    virtual ~ScriptNode() = default;

    // Sets NV nv (NV 43: the selected part) to bytes, filled up with zeros to its length.
    virtual bool SetNv(int nv, std::span<const std::uint8_t> bytes, std::string& error) = 0;
    // Sets part k, filled up with zeros.
    virtual bool SetPart(int k, std::span<const std::uint8_t> bytes, std::string& error) = 0;
    virtual bool SetSelector(std::uint16_t selector, std::string& error) = 0;
    // NV nv's bytes; nothing in bytes (and true) when the node has no value for it now, as NV 43
    // while the selector is not 1 to 12.
    virtual bool GetNv(int nv, std::optional<std::vector<std::uint8_t>>& bytes,
                       std::string& error) = 0;
    virtual bool GetPart(int k, std::vector<std::uint8_t>& bytes, std::string& error) = 0;
    virtual bool GetSelector(std::uint16_t& selector, std::string& error) = 0;

    // The simulated node, for the commands that only it can honour (name, fail, heal,
    // latency); nullptr for a node on the network.
    virtual SimNode* Simulated() = 0;
};

}  // namespace host
