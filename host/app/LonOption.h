#pragma once
// The options that put the host on a node of a LonWorks network instead of the simulated node
// (`--lon ADDRESS|NAME`, `--lon-host`, `--lon-timeout`, `--lon-retries`, `--lon-by-selector`,
// `--name`), and the session they open: the host's socket, the transactions and the node link,
// the node's program ID read before anything else.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "host/lon/LonNodeLink.h"

struct IOleClientSite;

namespace platform::crt {
class Clock;
}

namespace host {

class ControlHost;

namespace lon {
class LsUdpLink;
class PacketLink;
class UdpLink;
}  // namespace lon

struct LonOptions {
    std::optional<std::string> target;  // an address, or a name of the node list
    std::optional<std::string> host;    // SUBNET/NODE
    lon::Timing timing;
    bool bySelector = false;
    std::optional<std::string> name;
    std::string needsLon;  // the first option given that only makes sense with --lon
};

// Takes argv[i] (and its value) when it is a LON option, moving i on: true. error is set when
// the value is bad.
bool TakeLonOption(int argc, char** argv, int& i, LonOptions& options, std::string& error);

class LonSession {
  public:
    // Finds the node, opens the host's socket (every problem of the addresses is found before
    // anything is sent), then reads the node's program ID and its name. clock: the one the
    // transactions time their tries on. nullptr with a message on failure.
    static std::unique_ptr<LonSession> Open(const LonOptions& options, platform::crt::Clock& clock,
                                            std::string& error);
    ~LonSession();

    lon::LonNodeLink& Node() { return *m_node; }
    const std::string& ProgramIdText() const { return m_programId; }
    // The node's name as the status line shows it; empty when it could not be read.
    std::string Name() { return m_node->Name().value_or(""); }

  private:
    LonSession() = default;
    std::unique_ptr<lon::UdpLink> m_socket;
    std::unique_ptr<lon::LsUdpLink> m_packets;
    std::unique_ptr<lon::PacketLink> m_faults;
    std::unique_ptr<lon::Transactions> m_transactions;
    std::unique_ptr<lon::LonNodeLink> m_node;
    std::string m_programId;
};

// The control for the node: the simulated node's plug-in when session is nullptr, else the
// plug-in registered for the program ID that node has.
std::unique_ptr<ControlHost> CreateControlFor(IOleClientSite& site, LonSession* session,
                                              std::ostream& notes, std::string& error);
// The control for a node at address with programId, found (or registered) as for the
// simulated node; a node with an ID no plug-in is registered for is told so.
std::unique_ptr<ControlHost> CreateControlForNode(IOleClientSite& site,
                                                  const std::string& programId,
                                                  const std::string& address,
                                                  const std::string& besideModule,
                                                  std::ostream& notes, std::string& error);

}  // namespace host
