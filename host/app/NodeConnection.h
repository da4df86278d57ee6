#pragma once
// The one place that turns the command line's node options and the node list into the node the
// program works on and what goes with it: the node link (the simulated node in its image, or a
// node on the network through LON/IP or a USB interface), the clock, the node's name and program
// ID, the image to keep or save and its lock, and the control of the plug-in registered for that
// program ID. The commands ask it; none of them asks how the node is reached.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "host/app/LonOption.h"
#include "host/app/SheetImage.h"
#include "host/tui/Screen.h"

struct IOleClientSite;

namespace platform::crt {
class Clock;
class ScriptClock;
}  // namespace platform::crt

namespace host {

class ControlHost;
class LiveModel;
class NodeImageLock;
class NodeKeeper;
class NodeLink;
class ScriptNode;
struct SheetOptions;

class NodeConnection {
  public:
    // For a sheet a person works on (the terminal, the browser), on the program's clock: the
    // simulated node kept in its image (--node, else defaultImage; --fresh) and living, or the
    // node the LON options name. nullptr with a message on failure.
    static std::unique_ptr<NodeConnection> OpenKept(
        const SheetOptions& options, const std::optional<std::filesystem::path>& defaultImage,
        std::string& error);
    // For a script: the simulated node of nodeImage (else the factory node) on a virtual clock,
    // written to saveImage at the end (locked now), or the node the LON options name in real
    // time. The clock becomes the program's until the connection ends. nullptr with a message.
    static std::unique_ptr<NodeConnection> OpenScripted(const std::optional<std::string>& nodeImage,
                                                        const std::optional<std::string>& saveImage,
                                                        const LonOptions& lon, std::string& error);
    ~NodeConnection();
    NodeConnection(const NodeConnection&) = delete;
    NodeConnection& operator=(const NodeConnection&) = delete;

    NodeLink& Link();
    platform::crt::Clock& Clock() { return *m_clock; }
    // The clock a script runs on; only for a connection opened for a script.
    platform::crt::ScriptClock& ScriptClock() { return *m_scriptClock; }
    // The node as the script driver reaches it (what `nv` and `set` act on).
    std::unique_ptr<ScriptNode> MakeScriptNode();
    // The status line's facts: name, program ID, link, address and its problem.
    tui::StatusInfo Status();
    // Lines found while opening, to show once the terminal is given back.
    const std::string& Notes() const;

    // The plug-in's control for this node's program ID, found (or registered) through the
    // registry. nullptr with a message on failure.
    std::unique_ptr<ControlHost> CreateControl(IOleClientSite& site, std::ostream& notes,
                                               std::string& error);

    // A link that must be given back as it was found (a USB interface's mode), also on a stop.
    bool HoldsLink() const { return m_lon != nullptr; }
    // Gives the link back as it was found; nothing for the simulated node.
    void Close();

    // The kept image: saves it when due and lets the simulated node live up to nowMs. wakeMs:
    // when to wake for the next save; problem: the status line's words for the last save
    // (nothing when no image is kept).
    struct Keeping {
        std::optional<std::int64_t> wakeMs;
        std::optional<std::string> problem;
    };
    Keeping Keep(std::int64_t nowMs);
    void Live(std::int64_t nowMs);
    // Saves the kept image now (the end, a stop): false with keepError filled when it fails.
    bool SaveKept();
    const std::string& KeepError() const;
    // Writes the node to the script's saveImage when one was given: false with a message.
    bool SaveScripted(std::string& error);

  private:
    NodeConnection();
    bool OpenNetwork(const LonOptions& lon, std::string& error);

    platform::crt::Clock* m_clock = nullptr;
    platform::crt::ScriptClock* m_scriptClock = nullptr;
    std::unique_ptr<platform::crt::ScriptClock> m_ownClock;  // a script's
    bool m_ownsCurrentClock = false;
    std::unique_ptr<LonSession> m_lon;
    std::optional<SheetImage> m_image;       // the sheet's simulated node and its image
    std::optional<SimNode> m_scriptNode;     // the script's simulated node
    std::optional<std::string> m_saveImage;  // where the script's node is written
    std::unique_ptr<NodeImageLock> m_saveLock;
    std::unique_ptr<NodeKeeper> m_keeper;
    std::unique_ptr<LiveModel> m_live;
    std::string m_noNotes;
};

}  // namespace host
