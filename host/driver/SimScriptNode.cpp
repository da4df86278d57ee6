#include "host/driver/SimScriptNode.h"

#include "host/node/SimNode.h"

namespace host {

bool SimScriptNode::SetNv(int nv, std::span<const std::uint8_t> bytes, std::string& error) {
    return m_node.SetNv(nv, bytes, error);
}

bool SimScriptNode::SetPart(int k, std::span<const std::uint8_t> bytes, std::string& error) {
    return m_node.SetPart(k, bytes, error);
}

bool SimScriptNode::SetSelector(std::uint16_t selector, std::string& /*error*/) {
    m_node.SetSelector(selector);
    return true;
}

bool SimScriptNode::GetNv(int nv, std::optional<std::vector<std::uint8_t>>& bytes,
                          std::string& /*error*/) {
    const auto value = m_node.GetNv(nv);
    bytes.reset();
    if (value) {
        bytes.emplace(value->begin(), value->end());
    }
    return true;
}

bool SimScriptNode::GetPart(int k, std::vector<std::uint8_t>& bytes, std::string& /*error*/) {
    const auto part = m_node.Part(k);
    bytes.assign(part.begin(), part.end());
    return true;
}

bool SimScriptNode::GetSelector(std::uint16_t& selector, std::string& /*error*/) {
    selector = m_node.Selector();
    return true;
}

}  // namespace host
