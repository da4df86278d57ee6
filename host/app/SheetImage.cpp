#include "host/app/SheetImage.h"

#include <system_error>

#include "host/node/FactoryNode.h"
#include "host/node/NodeImage.h"
#include "platform/crt/AtomicWrite.h"
#include "platform/crt/FileSystem.h"

namespace host {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxKeptImages = 1000;

// Copies the image at path (links followed) to the first free name of PATH.old, PATH.old.2,
// ...; the copy's path, or nothing with error.
std::optional<std::string> KeepAside(const fs::path& path, std::string& error) {
    const std::string target =
        platform::crt::CurrentFileSystem().ResolveLinks(path.string()).value_or(path.string());
    for (int n = 1; n <= kMaxKeptImages; ++n) {
        const std::string kept = target + ".old" + (n == 1 ? "" : "." + std::to_string(n));
        std::error_code failure;
        if (fs::copy_file(target, kept, fs::copy_options::none, failure)) {
            return kept;
        }
        if (failure != std::errc::file_exists) {
            error = "cannot keep the old node image " + path.string() + " as " + kept + ": " +
                    failure.message();
            return std::nullopt;
        }
    }
    error = "cannot keep the old node image " + path.string() + ": too many kept already";
    return std::nullopt;
}

}  // namespace

std::optional<SheetImage> OpenSheetImage(const std::optional<std::string>& nodeImage,
                                         const std::optional<fs::path>& defaultPath, bool fresh,
                                         std::string& error) {
    if (!nodeImage && !defaultPath) {
        error = "neither XDG_STATE_HOME nor HOME is set; name a node image with --node IMAGE";
        return std::nullopt;
    }
    SheetImage image{nodeImage ? fs::path(*nodeImage) : *defaultPath, SimNode(), nullptr, ""};
    const std::string path = image.path.string();
    const auto status = platform::crt::CurrentFileSystem().Status(path);
    if (status && !status->regular) {
        error = path + ": not a regular file";
        return std::nullopt;
    }
    if (nodeImage && !status && !fresh) {
        error =
            "there is no node image " + path + "; add --fresh to start it from the factory node";
        return std::nullopt;
    }
    if (!status && image.path.has_parent_path()) {
        std::error_code ignored;  // a folder that cannot be made shows in the save below
        fs::create_directories(image.path.parent_path(), ignored);
    }
    bool held = false;
    image.lock = NodeImageLock::Take(path, error, held);
    if (!image.lock) {
        return std::nullopt;
    }

    if (status && !fresh) {
        std::optional<SimNode> loaded = NodeImage::Load(image.path, error);
        if (!loaded) {
            error += nodeImage ? "; to start it again from the factory node: qma7 --node " + path +
                                     " --fresh (the old image is kept beside the new one)"
                               : "; to start again from the factory node: qma7 --fresh (the old "
                                 "image is kept beside the new one)";
            return std::nullopt;
        }
        image.node = std::move(*loaded);
        // The sheet saves after every write: a folder that cannot take the image shows now.
        if (const auto failure =
                platform::crt::CheckReplaceable(platform::crt::CurrentFileSystem(), path)) {
            error = path + ": cannot save: " + failure->Reason();
            return std::nullopt;
        }
        return image;
    }
    if (status) {
        const std::optional<std::string> kept = KeepAside(image.path, error);
        if (!kept) {
            return std::nullopt;
        }
        image.notes += "qma7: the old node image is kept as " + *kept + "\n";
    }
    image.node = FactoryNode::Make();
    // Made now, so that a folder that cannot hold it shows before the sheet opens.
    if (!NodeImage::Save(image.node, image.path, error)) {
        return std::nullopt;
    }
    return image;
}

}  // namespace host
