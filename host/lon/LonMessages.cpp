#include "host/lon/LonMessages.h"

#include <algorithm>

namespace host::lon {

namespace {

constexpr std::uint8_t kExpanded = 0x60;
constexpr std::uint8_t kQueryVersion = 0x01;
constexpr std::uint8_t kUpdateNvByIndex = 0x02;
constexpr std::uint8_t kQueryNvConfig = 0x68;
constexpr std::uint8_t kReadMemory = 0x6D;
constexpr std::uint8_t kSelfIdData = 0x72;
constexpr std::uint8_t kNvFetch = 0x73;
constexpr std::uint8_t kNvMessage = 0x80;

constexpr std::uint8_t kReadOnlyRelative = 0x01;
constexpr std::uint16_t kProgramIdOffset = 0x000D;
constexpr std::size_t kProgramIdSize = 8;
// Indexes from this one on are written as the escape followed by the 16-bit index.
constexpr int kEscapeIndex = 0xFF;
constexpr std::uint8_t kUpdateByIndexCapability = 0x40;  // in the low capability byte
constexpr std::uint8_t kOutputNv = 0x40;                 // in the first NV config byte

// Network management and diagnostic codes answer with the low five bits of the request's code,
// with 0x20 added on success.
std::uint8_t SuccessCode(std::uint8_t request) {
    return (request & 0x1F) | 0x20;
}
std::uint8_t FailureCode(std::uint8_t request) {
    return request & 0x1F;
}

std::uint8_t High(int value) {
    return static_cast<std::uint8_t>(value >> 8 & 0xFF);
}
std::uint8_t Low(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

void AppendIndex(Bytes& apdu, int index) {
    if (index < kEscapeIndex) {
        apdu.push_back(Low(index));
    } else {
        apdu.insert(apdu.end(), {kEscapeIndex, High(index), Low(index)});
    }
}

// The bytes after the code of a success answer to request code; nothing otherwise.
std::optional<std::span<const std::uint8_t>> SuccessData(std::uint8_t code,
                                                         std::span<const std::uint8_t> answer,
                                                         std::size_t header) {
    if (answer.size() < 1 + header || answer[0] != SuccessCode(code)) {
        return std::nullopt;
    }
    return answer.subspan(1);
}

}  // namespace

Bytes NvFetchRequest(int index) {
    Bytes apdu{kNvFetch};
    AppendIndex(apdu, index);
    return apdu;
}

Bytes QueryVersionRequest() {
    return {kExpanded, kQueryVersion};
}

Bytes UpdateNvByIndexRequest(int index, std::span<const std::uint8_t> value) {
    Bytes apdu{kExpanded, kUpdateNvByIndex, High(index), Low(index)};
    apdu.insert(apdu.end(), value.begin(), value.end());
    return apdu;
}

Bytes QueryNvConfigRequest(int index) {
    Bytes apdu{kQueryNvConfig};
    AppendIndex(apdu, index);
    return apdu;
}

Bytes UpdateNvBySelectorMessage(std::uint16_t selector, std::span<const std::uint8_t> value) {
    Bytes apdu{static_cast<std::uint8_t>(kNvMessage | High(selector & kMaxSelector)),
               Low(selector)};
    apdu.insert(apdu.end(), value.begin(), value.end());
    return apdu;
}

Bytes ReadProgramIdRequest() {
    return {kReadMemory, kReadOnlyRelative, High(kProgramIdOffset), Low(kProgramIdOffset),
            static_cast<std::uint8_t>(kProgramIdSize)};
}

Bytes SelfIdDataRequest(std::uint16_t offset, std::uint8_t count) {
    return {kSelfIdData, High(offset), Low(offset), count};
}

bool Answers(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer) {
    if (request.empty() || answer.empty()) {
        return false;
    }
    const std::uint8_t code = request[0];
    if (answer[0] == FailureCode(code)) {
        return true;
    }
    if (answer[0] != SuccessCode(code)) {
        return false;
    }
    if (code != kNvFetch) {
        return true;
    }
    // A fetch names its variable as the request did.
    const std::size_t index = request.size() - 1;
    return answer.size() < 1 + index ||
           std::equal(request.begin() + 1, request.end(), answer.begin() + 1);
}

std::optional<std::span<const std::uint8_t>> FetchedValue(int index,
                                                          std::span<const std::uint8_t> answer) {
    const std::size_t header = index < kEscapeIndex ? 1 : 3;
    const Bytes request = NvFetchRequest(index);
    const auto data = SuccessData(kNvFetch, answer, header);
    if (!data || !std::equal(request.begin() + 1, request.end(), data->begin())) {
        return std::nullopt;
    }
    return data->subspan(header);
}

std::optional<bool> UpdatesByIndex(std::span<const std::uint8_t> answer) {
    const auto data = SuccessData(kExpanded, answer, 4);  // sub-command, version, capabilities
    if (!data || (*data)[0] != kQueryVersion) {
        return std::nullopt;
    }
    return ((*data)[3] & kUpdateByIndexCapability) != 0;
}

bool Updated(std::span<const std::uint8_t> answer) {
    return SuccessData(kExpanded, answer, 0).has_value();
}

std::optional<NvConfig> NvConfigOf(std::span<const std::uint8_t> answer) {
    const auto data = SuccessData(kQueryNvConfig, answer, 3);
    if (!data) {
        return std::nullopt;
    }
    return NvConfig{static_cast<std::uint16_t>(((*data)[0] & 0x3F) << 8 | (*data)[1]),
                    ((*data)[0] & kOutputNv) != 0};
}

std::optional<ProgramId> ProgramIdOf(std::span<const std::uint8_t> answer) {
    const auto data = SuccessData(kReadMemory, answer, kProgramIdSize);
    if (!data) {
        return std::nullopt;
    }
    ProgramId id;
    std::copy_n(data->begin(), id.size(), id.begin());
    return id;
}

std::optional<std::span<const std::uint8_t>> SelfIdDataOf(std::span<const std::uint8_t> answer) {
    return SuccessData(kSelfIdData, answer, 0);
}

}  // namespace host::lon
