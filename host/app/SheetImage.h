#pragma once
// The node image that the terminal sheet works on, made ready before the sheet opens: found,
// locked for this process, loaded (or made from the factory node) and known to be savable, so
// that every problem shows before the screen is taken over.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "host/node/NodeImageLock.h"
#include "host/node/SimNode.h"

namespace host {

struct SheetImage {
    std::filesystem::path path;
    SimNode node;
    std::unique_ptr<NodeImageLock> lock;
    std::string notes;  // lines to show once the terminal is given back
};

// nodeImage: --node IMAGE, else the default place (defaultPath, nothing when unknown). fresh:
// start from the factory node, keeping an old image beside the new one.
std::optional<SheetImage> OpenSheetImage(const std::optional<std::string>& nodeImage,
                                         const std::optional<std::filesystem::path>& defaultPath,
                                         bool fresh, std::string& error);

}  // namespace host
