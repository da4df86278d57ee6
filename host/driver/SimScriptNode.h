#pragma once
// The script's node commands on the simulated node: they set and show its state directly.

#include "host/driver/ScriptNode.h"

namespace host {

class SimScriptNode final : public ScriptNode {
  public:
    explicit SimScriptNode(SimNode& node) : m_node(node) {}

    bool SetNv(int nv, std::span<const std::uint8_t> bytes, std::string& error) override;
    bool SetPart(int k, std::span<const std::uint8_t> bytes, std::string& error) override;
    bool SetSelector(std::uint16_t selector, std::string& error) override;
    bool GetNv(int nv, std::optional<std::vector<std::uint8_t>>& bytes,
               std::string& error) override;
    bool GetPart(int k, std::vector<std::uint8_t>& bytes, std::string& error) override;
    bool GetSelector(std::uint16_t& selector, std::string& error) override;
    SimNode* Simulated() override { return &m_node; }

  private:
    SimNode& m_node;
};

}  // namespace host
