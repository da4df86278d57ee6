#pragma once
// The network management and diagnostic messages by which the host reads and writes a node's
// network variables, and their answers: requests as APDU bytes, answers taken apart.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace host::lon {

using Bytes = std::vector<std::uint8_t>;
using ProgramId = std::array<std::uint8_t, 8>;

inline constexpr int kMaxNvIndex = 0xFFFE;
inline constexpr std::uint16_t kMaxSelector = 0x3FFF;

// --- Requests (request/response service, except the update by selector) ---

Bytes NvFetchRequest(int index);
Bytes QueryVersionRequest();
Bytes UpdateNvByIndexRequest(int index, std::span<const std::uint8_t> value);
Bytes QueryNvConfigRequest(int index);
// An NV message to the input NV bound to selector: sent with the acknowledged service.
Bytes UpdateNvBySelectorMessage(std::uint16_t selector, std::span<const std::uint8_t> value);
Bytes ReadProgramIdRequest();
Bytes SelfIdDataRequest(std::uint16_t offset, std::uint8_t count);

// Whether answer is the answer to request: its success or failure code and, for a fetch, the
// variable asked for. A success too short to say which variable is the answer (a failure).
bool Answers(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer);

// --- Answers: nothing for a failure answer and for a success shorter than its header ---

// The value a fetch of index returned.
std::optional<std::span<const std::uint8_t>> FetchedValue(int index,
                                                          std::span<const std::uint8_t> answer);
// Whether the node updates NVs by index, from the answer to the version query.
std::optional<bool> UpdatesByIndex(std::span<const std::uint8_t> answer);
// Whether an update by index was done.
bool Updated(std::span<const std::uint8_t> answer);

struct NvConfig {
    std::uint16_t selector = 0;
    bool output = false;
};
std::optional<NvConfig> NvConfigOf(std::span<const std::uint8_t> answer);
std::optional<ProgramId> ProgramIdOf(std::span<const std::uint8_t> answer);
std::optional<std::span<const std::uint8_t>> SelfIdDataOf(std::span<const std::uint8_t> answer);

}  // namespace host::lon
