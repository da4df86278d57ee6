#include "host/node/SimNode.h"

#include <algorithm>

namespace host {

namespace {

// Writing 00 0n to the reset NV clears running-hours counter n.
constexpr int kResetNv = 29;
constexpr std::array<int, 4> kCounterOfReset = {39, 40, 38, 41};

bool IsLong(int nv) {
    return nv == 0 || nv == 22 || nv == 25 || nv == 26 || nv == 43;
}

}  // namespace

int SimNode::NvSize(int nv) {
    if (nv < 0 || nv >= kNvCount) {
        return 0;
    }
    return static_cast<int>(IsLong(nv) ? kLongSize : kWordSize);
}

SimNode::SimNode() {
    for (int nv = 0; nv <= kSelectorNv; ++nv) {
        m_nvs[static_cast<std::size_t>(nv)].assign(static_cast<std::size_t>(NvSize(nv)), 0);
    }
}

std::span<std::uint8_t> SimNode::Storage(int nv) {
    if (nv >= 0 && nv <= kSelectorNv) {
        return m_nvs[static_cast<std::size_t>(nv)];
    }
    if (nv == kPartNv) {
        const int k = Selector();
        if (k >= 1 && k <= kPartCount) {
            return m_parts[static_cast<std::size_t>(k - 1)];
        }
    }
    return {};
}

std::span<const std::uint8_t> SimNode::Storage(int nv) const {
    return const_cast<SimNode*>(this)->Storage(nv);
}

void SimNode::Store(std::span<std::uint8_t> target, std::span<const std::uint8_t> bytes) {
    std::fill(std::copy(bytes.begin(), bytes.end(), target.begin()), target.end(), 0);
    ++m_generation;
}

bool SimNode::Read(int nv, std::span<std::uint8_t> buffer, std::size_t& returned) {
    returned = 0;
    const std::span<const std::uint8_t> value = Storage(nv);
    if (value.empty() || m_failRead.contains(nv)) {
        return false;
    }
    returned = std::min(value.size(), buffer.size());
    std::copy_n(value.begin(), returned, buffer.begin());
    return true;
}

bool SimNode::Write(int nv, std::span<const std::uint8_t> data) {
    const std::span<std::uint8_t> value = Storage(nv);
    if (value.empty() || data.size() != value.size() || m_failWrite.contains(nv)) {
        return false;
    }
    Store(value, data);
    if (nv == kResetNv && data[0] == 0 && data[1] >= 1 &&
        std::size_t{data[1]} <= kCounterOfReset.size()) {
        const int counter = kCounterOfReset[std::size_t{data[1]} - 1];
        Store(m_nvs[static_cast<std::size_t>(counter)], {});
    }
    return true;
}

bool SimNode::ReadName(std::span<char> buffer) {
    if (m_failName) {
        return false;
    }
    const std::size_t n = std::min(m_name.size(), buffer.size());
    std::fill(std::copy_n(m_name.begin(), n, buffer.begin()), buffer.end(), '\0');
    return true;
}

void SimNode::Fail(Failure kind, std::span<const int> nvs) {
    for (const int nv : nvs) {
        if (kind != Failure::Write) {
            m_failRead.insert(nv);
        }
        if (kind != Failure::Read) {
            m_failWrite.insert(nv);
        }
    }
}

void SimNode::FailName() {
    m_failName = true;
}

void SimNode::HealAll() {
    m_failRead.clear();
    m_failWrite.clear();
    m_failName = false;
}

void SimNode::Heal(std::span<const int> nvs) {
    for (const int nv : nvs) {
        m_failRead.erase(nv);
        m_failWrite.erase(nv);
    }
}

void SimNode::SetName(std::string name) {
    m_name = std::move(name);
    ++m_generation;
}

std::uint16_t SimNode::Selector() const {
    const std::vector<std::uint8_t>& word = m_nvs[kSelectorNv];
    return static_cast<std::uint16_t>(word[0] << 8 | word[1]);
}

void SimNode::SetSelector(std::uint16_t selector) {
    const std::array<std::uint8_t, 2> word = {static_cast<std::uint8_t>(selector >> 8),
                                              static_cast<std::uint8_t>(selector & 0xFF)};
    Store(m_nvs[kSelectorNv], word);
}

std::optional<std::span<const std::uint8_t>> SimNode::GetNv(int nv) const {
    const std::span<const std::uint8_t> value = Storage(nv);
    if (value.empty()) {
        return std::nullopt;
    }
    return value;
}

bool SimNode::SetNv(int nv, std::span<const std::uint8_t> bytes, std::string& error) {
    const std::span<std::uint8_t> value = Storage(nv);
    if (NvSize(nv) == 0) {
        error = "the node has no NV " + std::to_string(nv);
        return false;
    }
    if (value.empty()) {
        error = "NV 43 needs a part selected (selector " + std::to_string(Selector()) + ")";
        return false;
    }
    if (bytes.size() > value.size()) {
        error = std::to_string(bytes.size()) + " bytes are longer than NV " + std::to_string(nv) +
                " (" + std::to_string(value.size()) + " bytes)";
        return false;
    }
    Store(value, bytes);
    return true;
}

std::span<const std::uint8_t> SimNode::Part(int k) const {
    if (k < 1 || k > kPartCount) {
        return {};
    }
    return m_parts[static_cast<std::size_t>(k - 1)];
}

bool SimNode::SetPart(int k, std::span<const std::uint8_t> bytes, std::string& error) {
    if (k < 1 || k > kPartCount) {
        error = "part " + std::to_string(k) + " is not 1 to 12";
        return false;
    }
    if (bytes.size() > kLongSize) {
        error = std::to_string(bytes.size()) + " bytes are longer than part " + std::to_string(k) +
                " (31 bytes)";
        return false;
    }
    Store(m_parts[static_cast<std::size_t>(k - 1)], bytes);
    return true;
}

}  // namespace host
