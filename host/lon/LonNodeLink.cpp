#include "host/lon/LonNodeLink.h"

#include <algorithm>
#include <cstdio>
#include <utility>

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
    // The link's own trouble (an interface gone) comes first: no node can answer through it.
    std::string link = m_transactions.LinkProblem();
    if (!link.empty()) {
        return link;
    }
    if (m_transactions.Answering()) {
        return {};
    }
    std::string text = "no answer from " + Address();
    if (const auto& since = m_transactions.SilentSince()) {
        char clock[16];
        std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", since->hour % 100, since->minute % 100,
                      since->second % 100);
        text += std::string(" since ") + clock;
    }
    return text;
}

void LonNodeLink::SetNvLengths(const std::map<int, std::size_t>& lengths) {
    m_typeLengths = lengths;
    for (const auto& [nv, length] : lengths) {
        m_lengths[nv] = length;
    }
}

bool LonNodeLink::Fail(LinkError::Kind kind, std::string text) {
    m_error = LinkError::Of(kind, std::move(text));
    return false;
}

bool LonNodeLink::Failed(const std::string& what) {
    using Failure = Transactions::Failure;
    switch (m_transactions.LastFailure()) {
        case Failure::NoAnswer:
        case Failure::Silent:
            return Fail(LinkError::Kind::NoAnswer, "no answer from " + Address());
        case Failure::NotSent: {
            const std::string problem = m_transactions.LinkProblem();
            return Fail(LinkError::Kind::NotSent,
                        "not sent: the link to " + Address() + " cannot send" +
                            (problem.empty() ? "" : " (" + problem + ")"));
        }
        case Failure::Stopped:
            return Fail(LinkError::Kind::Stopped, "stopped while waiting for " + Address());
        case Failure::None:
            break;
    }
    return Fail(LinkError::Kind::Refused, "the node refused " + what);
}

std::optional<Bytes> LonNodeLink::Fetch(int nv) {
    if (!ValidIndex(nv)) {
        Fail(LinkError::Kind::NotSent, "not sent: no NV " + std::to_string(nv));
        return std::nullopt;
    }
    const auto answer = m_transactions.Request(NvFetchRequest(nv));
    if (!answer) {
        Failed("");
        return std::nullopt;
    }
    const auto value = FetchedValue(nv, *answer);
    if (!value) {
        Fail(LinkError::Kind::Refused, "the node refused to tell NV " + std::to_string(nv));
        return std::nullopt;
    }
    if (const auto known = m_typeLengths.find(nv);
        known != m_typeLengths.end() && value->size() != known->second) {
        Fail(LinkError::Kind::WrongLength, "NV " + std::to_string(nv) + ": the node answered " +
                                               std::to_string(value->size()) +
                                               (value->size() == 1 ? " byte" : " bytes") +
                                               " for a value of " + std::to_string(known->second));
        return std::nullopt;
    }
    m_lengths[nv] = value->size();
    m_error = {};
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
    ReadBackUnanswered();
    return true;
}

void LonNodeLink::ReadBackUnanswered() {
    const LinkError error = m_error;
    for (auto it = m_unanswered.begin(); it != m_unanswered.end() && m_transactions.Answering();) {
        const auto back = Fetch(it->first);
        const std::string outcome =
            !back ? "unknown (" + m_error.text + ")"
            : std::equal(back->begin(), back->end(), it->second.begin(), it->second.end())
                ? "written"
                : "not written";
        m_notice += (m_notice.empty() ? "" : "; ") + std::string("NV ") +
                    std::to_string(it->first) + ", whose write got no answer: " + outcome;
        it = m_unanswered.erase(it);
    }
    m_error = error;  // the caller's call succeeded, whatever the read back found
}

std::string LonNodeLink::TakeNotice() {
    return std::exchange(m_notice, {});
}

bool LonNodeLink::Write(int nv, std::span<const std::uint8_t> data) {
    // A value of another length than the node's is refused here, as the simulated node does,
    // whatever a node would make of it.
    if (!ValidIndex(nv)) {
        return Fail(LinkError::Kind::NotSent, "not sent: no NV " + std::to_string(nv));
    }
    if (const auto length = m_lengths.find(nv);
        length != m_lengths.end() && data.size() != length->second) {
        return Fail(LinkError::Kind::NotSent, "not sent: " + std::to_string(data.size()) +
                                                  " bytes for NV " + std::to_string(nv) + " of " +
                                                  std::to_string(length->second));
    }
    if (!m_options.bySelector && !m_updatesByIndex) {
        const auto answer = m_transactions.Request(QueryVersionRequest());
        if (!answer) {
            return Failed("");  // asked again at the next write
        }
        m_updatesByIndex = UpdatesByIndex(*answer).value_or(false);
    }
    if (!m_options.bySelector && *m_updatesByIndex) {
        const auto answer = m_transactions.Request(UpdateNvByIndexRequest(nv, data));
        if (!answer) {
            if (m_transactions.LastFailure() == Transactions::Failure::NoAnswer ||
                m_transactions.LastFailure() == Transactions::Failure::Stopped) {
                m_unanswered[nv] = Bytes(data.begin(), data.end());  // sent: it may have arrived
            }
            return Failed("");
        }
        m_unanswered.erase(nv);
        if (!Updated(*answer)) {
            return Fail(LinkError::Kind::Refused,
                        "the node refused the update of NV " + std::to_string(nv));
        }
        m_error = {};
        ReadBackUnanswered();
        return true;
    }
    return WriteBySelector(nv, data);
}

bool LonNodeLink::WriteBySelector(int nv, std::span<const std::uint8_t> data) {
    const std::string name = "NV " + std::to_string(nv);
    auto config = m_configs.find(nv);
    if (config == m_configs.end()) {
        const auto answer = m_transactions.Request(QueryNvConfigRequest(nv));
        if (!answer) {
            return Failed("");
        }
        const auto found = NvConfigOf(*answer);
        if (!found) {
            return Fail(LinkError::Kind::Refused,
                        "the node refused to tell the selector of " + name);
        }
        config = m_configs.emplace(nv, *found).first;
    }
    // No message writes an output NV; one of another length would be taken in part or not at
    // all, and the read back could not tell which.
    if (config->second.output) {
        return Fail(LinkError::Kind::NotSent,
                    "not sent: " + name + " is an output, which this node lets no message write");
    }
    if (!m_lengths.contains(nv) && !Fetch(nv)) {
        return false;
    }
    if (data.size() != m_lengths[nv]) {
        return Fail(LinkError::Kind::NotSent, "not sent: " + std::to_string(data.size()) +
                                                  " bytes for " + name + " of " +
                                                  std::to_string(m_lengths[nv]));
    }
    if (!m_transactions.Acknowledged(UpdateNvBySelectorMessage(config->second.selector, data))) {
        return Failed("");
    }
    // The acknowledgement says the message arrived, not that the node took it.
    const auto back = Fetch(nv);
    if (!back) {
        return false;
    }
    if (!std::equal(back->begin(), back->end(), data.begin(), data.end())) {
        return Fail(LinkError::Kind::Refused, "the node did not take the new value of " + name);
    }
    return true;
}

bool LonNodeLink::ReadName(std::span<char> buffer) {
    const auto name = Name();
    if (!name) {
        return Failed("to tell its name");
    }
    m_error = {};
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
