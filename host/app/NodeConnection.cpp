#include "host/app/NodeConnection.h"

#include "host/app/ControlHost.h"
#include "host/app/NodeKeeper.h"
#include "host/app/PluginLocator.h"
#include "host/app/SheetOptions.h"
#include "host/driver/LinkScriptNode.h"
#include "host/driver/SimScriptNode.h"
#include "host/node/FactoryNode.h"
#include "host/node/LiveModel.h"
#include "host/node/NodeImage.h"
#include "host/node/NodeImageLock.h"
#include "host/node/NodeProgramId.h"
#include "platform/crt/Clock.h"

namespace host {

NodeConnection::NodeConnection() = default;

NodeConnection::~NodeConnection() {
    if (m_ownsCurrentClock) {
        platform::crt::SetCurrentClock(nullptr);
    }
}

bool NodeConnection::OpenNetwork(const LonOptions& lon, std::string& error) {
    m_lon = LonSession::Open(lon, *m_clock, error);
    return m_lon != nullptr;
}

std::unique_ptr<NodeConnection> NodeConnection::OpenKept(
    const SheetOptions& options, const std::optional<std::filesystem::path>& defaultImage,
    std::string& error) {
    std::unique_ptr<NodeConnection> connection(new NodeConnection);
    connection->m_clock = &platform::crt::CurrentClock();
    if (options.lon.target) {
        return connection->OpenNetwork(options.lon, error) ? std::move(connection) : nullptr;
    }
    // The image as it was left, the factory node on the first run or when asked.
    connection->m_image = OpenSheetImage(options.nodeImage, defaultImage, options.fresh, error);
    if (!connection->m_image) {
        return nullptr;
    }
    SimNode& node = connection->m_image->node;
    connection->m_keeper = std::make_unique<NodeKeeper>(node, connection->m_image->path);
    connection->m_live = std::make_unique<LiveModel>(node);
    return connection;
}

std::unique_ptr<NodeConnection> NodeConnection::OpenScripted(
    const std::optional<std::string>& nodeImage, const std::optional<std::string>& saveImage,
    const LonOptions& lon, std::string& error) {
    std::unique_ptr<NodeConnection> connection(new NodeConnection);
    // One writer per image: a sheet that keeps the image refuses the save. A lock that cannot
    // be taken for another reason leaves the save to report what is wrong when it is made.
    if (saveImage) {
        bool held = false;
        std::string lockError;
        connection->m_saveLock = NodeImageLock::Take(*saveImage, lockError, held);
        if (held) {
            error = lockError;
            return nullptr;
        }
        connection->m_saveImage = saveImage;
    }
    // The simulated node runs on a virtual clock; a node on the network in real time.
    if (lon.target) {
        connection->m_ownClock = std::make_unique<platform::crt::ElapsedClock>();
    } else {
        connection->m_scriptNode = nodeImage ? NodeImage::Load(*nodeImage, error)
                                             : std::optional<SimNode>(FactoryNode::Make());
        if (!connection->m_scriptNode) {
            return nullptr;
        }
        connection->m_ownClock = std::make_unique<platform::crt::VirtualClock>();
    }
    connection->m_scriptClock = connection->m_ownClock.get();
    connection->m_clock = connection->m_ownClock.get();
    platform::crt::SetCurrentClock(connection->m_clock);
    connection->m_ownsCurrentClock = true;
    if (lon.target && !connection->OpenNetwork(lon, error)) {
        return nullptr;
    }
    return connection;
}

NodeLink& NodeConnection::Link() {
    if (m_lon) {
        return m_lon->Node();
    }
    return m_image ? static_cast<NodeLink&>(m_image->node) : *m_scriptNode;
}

std::unique_ptr<ScriptNode> NodeConnection::MakeScriptNode() {
    if (m_scriptNode) {
        return std::make_unique<SimScriptNode>(*m_scriptNode);
    }
    if (m_image) {
        return std::make_unique<SimScriptNode>(m_image->node);
    }
    return std::make_unique<LinkScriptNode>(m_lon->Node());
}

tui::StatusInfo NodeConnection::Status() {
    NodeLink& link = Link();
    tui::StatusInfo status{m_lon     ? m_lon->Name()
                           : m_image ? m_image->node.Name()
                                     : std::string(),
                           m_lon ? m_lon->ProgramIdText() : ProgramIdText(kSimNodeProgramId)};
    status.link = link.Kind();
    status.address = link.Address();
    status.problem = [&link] { return link.Problem(); };
    return status;
}

const std::string& NodeConnection::Notes() const {
    return m_image ? m_image->notes : m_noNotes;
}

std::unique_ptr<ControlHost> NodeConnection::CreateControl(IOleClientSite& site,
                                                           std::ostream& notes,
                                                           std::string& error) {
    if (!m_lon) {
        // The simulated node: the plug-in beside qma7 is registered when none is.
        return ControlHost::Create(site, ProgramIdText(kSimNodeProgramId), BundledModulePath(),
                                   notes, error);
    }
    return CreateControlForNode(site, m_lon->ProgramIdText(), m_lon->Node().Address(),
                                BundledModulePath(), notes, error);
}

void NodeConnection::Close() {
    if (m_lon) {
        m_lon->Close();
    }
}

NodeConnection::Keeping NodeConnection::Keep(std::int64_t nowMs) {
    if (!m_keeper) {
        return {};
    }
    const auto next = m_keeper->Wake(nowMs);
    return {next, SaveProblem(m_keeper->Error())};
}

void NodeConnection::Live(std::int64_t nowMs) {
    if (m_live) {
        m_live->AdvanceTo(nowMs);
    }
}

bool NodeConnection::SaveKept() {
    return !m_keeper || m_keeper->Save(m_clock->NowMs());
}

const std::string& NodeConnection::KeepError() const {
    return m_keeper ? m_keeper->Error() : m_noNotes;
}

bool NodeConnection::SaveScripted(std::string& error) {
    if (!m_saveImage) {
        return true;
    }
    return NodeImage::Save(*m_scriptNode, *m_saveImage, error);
}

}  // namespace host
