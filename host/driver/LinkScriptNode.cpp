#include "host/driver/LinkScriptNode.h"

#include <array>

#include "host/link/NodeLink.h"
#include "platform/crt/Clock.h"

namespace host {

namespace {

constexpr int kSelectorNv = 42;
constexpr int kPartNv = 43;
constexpr std::size_t kLargestNv = 255;
// The sheet waits this long after each selection for the node to show the part.
constexpr std::uint32_t kSelectPauseMs = 200;

}  // namespace

bool LinkScriptNode::Refused(const std::string& what, std::string& error) const {
    // The link's own reason (not sent, no answer, a wrong answer, what the node refused),
    // else the node's refusal of what.
    const LinkError failure = m_link.LastError();
    error = failure.Failed() ? failure.text : "the node refused " + what;
    return false;
}

bool LinkScriptNode::GetNv(int nv, std::optional<std::vector<std::uint8_t>>& bytes,
                           std::string& error) {
    std::array<std::uint8_t, kLargestNv> buffer{};
    std::size_t returned = 0;
    bytes.reset();
    if (!m_link.Read(nv, buffer, returned)) {
        // A refusal is an NV without a value now; silence or a wrong answer is an error.
        const LinkError failure = m_link.LastError();
        if (failure.Failed() && failure.kind != LinkError::Kind::Refused) {
            error = failure.text;
            return false;
        }
        return true;
    }
    m_lengths[nv] = returned;
    bytes.emplace(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(returned));
    return true;
}

bool LinkScriptNode::SetNv(int nv, std::span<const std::uint8_t> bytes, std::string& error) {
    if (!m_lengths.contains(nv)) {
        std::optional<std::vector<std::uint8_t>> current;
        if (!GetNv(nv, current, error)) {
            return false;
        }
        if (!current) {
            return Refused("to tell the length of NV " + std::to_string(nv), error);
        }
    }
    const std::size_t length = m_lengths[nv];
    if (bytes.size() > length) {
        error = std::to_string(bytes.size()) + " bytes are longer than NV " + std::to_string(nv) +
                " (" + std::to_string(length) + " bytes)";
        return false;
    }
    std::vector<std::uint8_t> value(bytes.begin(), bytes.end());
    value.resize(length, 0);
    return m_link.Write(nv, value) || Refused("the write of NV " + std::to_string(nv), error);
}

bool LinkScriptNode::SetSelector(std::uint16_t selector, std::string& error) {
    const std::array<std::uint8_t, 2> value{static_cast<std::uint8_t>(selector >> 8),
                                            static_cast<std::uint8_t>(selector & 0xFF)};
    return m_link.Write(kSelectorNv, value) || Refused("the write of the part selector", error);
}

bool LinkScriptNode::GetSelector(std::uint16_t& selector, std::string& error) {
    std::optional<std::vector<std::uint8_t>> value;
    if (!GetNv(kSelectorNv, value, error)) {
        return false;
    }
    if (!value || value->size() < 2) {
        return Refused("to tell its part selector", error);
    }
    selector = static_cast<std::uint16_t>((*value)[0] << 8 | (*value)[1]);
    return true;
}

template <typename Action>
bool LinkScriptNode::WithPart(int k, Action action, std::string& error) {
    std::uint16_t old = 0;
    if (!GetSelector(old, error) || !SetSelector(static_cast<std::uint16_t>(k), error)) {
        return false;
    }
    platform::crt::Sleep(kSelectPauseMs);
    const bool done = action();
    std::string restoreError;
    const bool restored = SetSelector(old, restoreError);
    platform::crt::Sleep(kSelectPauseMs);
    if (done && !restored) {
        error = restoreError;
    }
    return done && restored;
}

bool LinkScriptNode::SetPart(int k, std::span<const std::uint8_t> bytes, std::string& error) {
    return WithPart(
        k, [&] { return SetNv(kPartNv, bytes, error); }, error);
}

bool LinkScriptNode::GetPart(int k, std::vector<std::uint8_t>& bytes, std::string& error) {
    return WithPart(
        k,
        [&] {
            std::optional<std::vector<std::uint8_t>> value;
            if (!GetNv(kPartNv, value, error)) {
                return false;
            }
            if (!value) {
                return Refused("to show part " + std::to_string(k), error);
            }
            bytes = std::move(*value);
            return true;
        },
        error);
}

}  // namespace host
