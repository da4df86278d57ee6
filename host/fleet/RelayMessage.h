#pragma once
// What a fleet's node process and the process that owns the link say to each other over their
// socket pair, one message a datagram: LonTalk packets both ways, and from the node's side its
// progress and, once, its result.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/lon/LonPacket.h"

namespace host::fleet {

// How a node's run ended.
enum class Outcome : std::uint8_t {
    Done,     // the action completed on the node
    Failed,   // the node did not answer, refused, or the action reported a failure
    Differs,  // check: the node's values differ from the file's
    Foreign,  // the node has another program ID: not touched
    Stopped,  // stopped by the user before its end
    Silent,   // scan: nothing answers at the address
};

struct NodeResult {
    Outcome outcome = Outcome::Failed;
    int notWritten = 0;     // items the action could not write (or read, for a save)
    std::string detail;     // the reason, the box the plug-in showed, or check's differences
    std::string programId;  // as "90 51 4D ...", when it was read
    std::string name;       // the node's own name, when it was read
};

struct Progress {
    int done = 0;
    int total = 0;
};

struct RelayMessage {
    enum class Kind : std::uint8_t { Packet = 'P', Progress = 'G', Result = 'R' };
    Kind kind = Kind::Packet;
    lon::Packet packet;
    Progress progress;
    NodeResult result;
};

// The datagram that carries message.
std::vector<std::uint8_t> EncodeRelayMessage(const RelayMessage& message);
// The message a datagram carries; nothing for anything malformed.
std::optional<RelayMessage> DecodeRelayMessage(const std::vector<std::uint8_t>& datagram);

// "done", "failed", ... as the table and the JSON report show it.
const char* OutcomeName(Outcome outcome);

}  // namespace host::fleet
