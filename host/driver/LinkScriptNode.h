#pragma once
// The script's node commands on a node reached through its link (a node on the network): they
// read and write the node's variables directly, not through the client site, so they do not
// show in the trace. A short HEX is filled up to the variable's length as a fetch reports it;
// part K selects the part, reads or writes NV 43 and puts the selector back, waiting after each
// selection as the sheet does.

#include <map>

#include "host/driver/ScriptNode.h"

namespace host {

class NodeLink;

class LinkScriptNode final : public ScriptNode {
  public:
    explicit LinkScriptNode(NodeLink& link) : m_link(link) {}

    bool SetNv(int nv, std::span<const std::uint8_t> bytes, std::string& error) override;
    bool SetPart(int k, std::span<const std::uint8_t> bytes, std::string& error) override;
    bool SetSelector(std::uint16_t selector, std::string& error) override;
    bool GetNv(int nv, std::optional<std::vector<std::uint8_t>>& bytes,
               std::string& error) override;
    bool GetPart(int k, std::vector<std::uint8_t>& bytes, std::string& error) override;
    bool GetSelector(std::uint16_t& selector, std::string& error) override;
    SimNode* Simulated() override { return nullptr; }

  private:
    // Runs action with part k selected and puts the old selector back, also when action
    // failed; the first failure is the error.
    template <typename Action>
    bool WithPart(int k, Action action, std::string& error);
    bool Refused(const std::string& what, std::string& error) const;

    NodeLink& m_link;
    std::map<int, std::size_t> m_lengths;
};

}  // namespace host
