#pragma once
// The options that put the host on a node of a LonWorks network instead of the simulated node
// (`--lon ADDRESS|NAME`, `--lon-host`, `--lon-timeout`, `--lon-retries`, `--lon-by-selector`,
// `--name`), and the session they open: the host's socket, the transactions and the node link,
// the node's program ID read before anything else.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/app/NetworkPort.h"
#include "host/app/UsbOption.h"
#include "host/lon/LonNodeLink.h"

namespace platform::crt {
class Clock;
}

namespace host {

struct LonOptions {
    std::optional<std::string> target;  // an address, or a name of the node list
    std::optional<std::string> host;    // SUBNET/NODE
    lon::Timing timing;
    bool bySelector = false;
    std::optional<std::string> name;
    UsbOptions usb;        // through a USB network interface instead of LON/IP
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
    // Gives the link back as it was found (a USB interface's mode); also on a stop signal.
    void Close();

  private:
    LonSession() = default;
    // Reads the node's program ID (a node that does not answer is told) and its name, and
    // settles the port's mode with it.
    bool Identify(const lon::LonAddress& node, const lon::LonAddress& host, std::string& error);
    std::unique_ptr<NetworkPort> m_port;
    std::unique_ptr<lon::Transactions> m_transactions;
    std::unique_ptr<lon::LonNodeLink> m_node;
    std::string m_programId;
};

}  // namespace host
