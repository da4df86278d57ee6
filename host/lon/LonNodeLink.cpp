#include "host/lon/LonNodeLink.h"

#include <algorithm>

namespace host::lon {

namespace {

// The self-identification data: length (2 bytes), NV count, version, two bytes more, then
// two bytes per NV, then the self-documentation string, NUL-terminated.
constexpr std::uint8_t kSelfIdHeader = 6;
constexpr std::uint8_t kSelfIdChunk = 32;
constexpr std::size_t kMaxSelfDocumentation = 1024;

bool ValidIndex(int nv) {
    return nv >= 0 && nv <= kMaxNvIndex;
}

}  // namespace

LonNodeLink::LonNodeLink(Transactions& transactions, LonAddress address, Options options)
    : m_transactions(transactions), m_address(std::move(address)), m_options(std::move(options)) {}

std::string LonNodeLink::Problem() const {
    std::string link = m_transactions.LinkProblem();
    if (!link.empty()) {
        return link;
    }
    return m_transactions.Answering() ? std::string() : "no answer from " + Address();
}

std::optional<Bytes> LonNodeLink::Fetch(int nv) {
    if (!ValidIndex(nv)) {
        return std::nullopt;
    }
    const auto answer = m_transactions.Request(NvFetchRequest(nv));
    const auto value = answer ? FetchedValue(nv, *answer) : std::nullopt;
    if (!value) {
        return std::nullopt;
    }
    m_lengths[nv] = value->size();
    return Bytes(value->begin(), value->end());
}

bool LonNodeLink::Read(int nv, std::span<std::uint8_t> buffer, std::size_t& returned) {
    returned = 0;
    const auto value = Fetch(nv);
    if (!value) {
        return false;
    }
    returned = std::min(value->size(), buffer.size());
    std::copy_n(value->begin(), returned, buffer.begin());
    return true;
}

bool LonNodeLink::Write(int nv, std::span<const std::uint8_t> data) {
    // A value of another length than the node reported is refused here, as the simulated node
    // does, whatever a node would make of it.
    const auto length = m_lengths.find(nv);
    if (!ValidIndex(nv) || (length != m_lengths.end() && data.size() != length->second)) {
        return false;
    }
    if (!m_options.bySelector && !m_updatesByIndex) {
        const auto answer = m_transactions.Request(QueryVersionRequest());
        if (!answer) {
            return false;  // asked again at the next write
        }
        m_updatesByIndex = UpdatesByIndex(*answer).value_or(false);
    }
    if (!m_options.bySelector && *m_updatesByIndex) {
        const auto answer = m_transactions.Request(UpdateNvByIndexRequest(nv, data));
        return answer && Updated(*answer);
    }
    return WriteBySelector(nv, data);
}

bool LonNodeLink::WriteBySelector(int nv, std::span<const std::uint8_t> data) {
    auto config = m_configs.find(nv);
    if (config == m_configs.end()) {
        const auto answer = m_transactions.Request(QueryNvConfigRequest(nv));
        const auto found = answer ? NvConfigOf(*answer) : std::nullopt;
        if (!found) {
            return false;
        }
        config = m_configs.emplace(nv, *found).first;
    }
    // No message writes an output NV; one of another length would be taken in part or not at
    // all, and the read back could not tell which.
    if (config->second.output) {
        return false;
    }
    if (!m_lengths.contains(nv) && (!Fetch(nv) || data.size() != m_lengths[nv])) {
        return false;
    }
    if (!m_transactions.Acknowledged(UpdateNvBySelectorMessage(config->second.selector, data))) {
        return false;
    }
    // The acknowledgement says the message arrived, not that the node took it.
    const auto back = Fetch(nv);
    return back && std::equal(back->begin(), back->end(), data.begin(), data.end());
}

bool LonNodeLink::ReadName(std::span<char> buffer) {
    const auto name = Name();
    if (!name) {
        return false;
    }
    std::fill(buffer.begin(), buffer.end(), '\0');
    std::copy_n(name->begin(), std::min(name->size(), buffer.size()), buffer.begin());
    return true;
}

std::optional<ProgramId> LonNodeLink::ReadProgramId() {
    const auto answer = m_transactions.Request(ReadProgramIdRequest());
    return answer ? ProgramIdOf(*answer) : std::nullopt;
}

std::optional<std::string> LonNodeLink::Name() {
    if (m_options.name) {
        return m_options.name;
    }
    if (!m_selfDocumentation) {
        m_selfDocumentation = ReadSelfDocumentation();
    }
    return m_selfDocumentation;
}

std::optional<std::string> LonNodeLink::ReadSelfDocumentation() {
    auto read = [&](std::size_t offset, std::size_t count) -> std::optional<Bytes> {
        const auto answer = m_transactions.Request(SelfIdDataRequest(
            static_cast<std::uint16_t>(offset), static_cast<std::uint8_t>(count)));
        const auto data = answer ? SelfIdDataOf(*answer) : std::nullopt;
        if (!data) {
            return std::nullopt;
        }
        return Bytes(data->begin(), data->end());
    };
    const auto header = read(0, kSelfIdHeader);
    if (!header || header->size() < kSelfIdHeader) {
        return std::nullopt;
    }
    const std::size_t length = std::size_t{(*header)[0]} << 8 | (*header)[1];
    std::size_t offset = kSelfIdHeader + 2 * std::size_t{(*header)[2]};
    std::string text;
    while (offset < length && text.size() < kMaxSelfDocumentation) {
        const auto chunk = read(offset, std::min<std::size_t>(kSelfIdChunk, length - offset));
        if (!chunk) {
            return std::nullopt;
        }
        const auto nul = std::find(chunk->begin(), chunk->end(), 0);
        text.append(chunk->begin(), nul);
        if (nul != chunk->end() || chunk->empty()) {
            break;
        }
        offset += chunk->size();
    }
    return text;
}

}  // namespace host::lon
