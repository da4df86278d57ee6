// Node images and registry files loaded and saved through the file seam, with any one step of
// the file system failing: a load gives the node (or registry) that the text describes or a
// message, never another one; a save that fails leaves the old file byte for byte and no
// temporary file beside it; one that succeeds loads back the same.
//
// Input: a byte choosing image or registry, a byte choosing the failing step and when, the
// file's text.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "host/node/NodeImage.h"
#include "platform/registry/RegTree.h"
#include "platform/registry/Registry.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Files.h"
#include "tests/support/SameNode.h"

namespace {

namespace fs = std::filesystem;

constexpr FuzzCheck Check{"file seam"};

const ScratchFolder g_scratch;
const fs::path& g_folder = g_scratch.Dir();

// Nothing but the file itself in the folder (lock files live elsewhere).
void CheckNoTemporary(const fs::path& file) {
    for (const auto& entry : fs::directory_iterator(g_folder)) {
        const std::string name = entry.path().filename().string();
        Check(name == file.filename().string(), "a temporary file was left behind");
    }
}

void Image(std::string_view text, FaultyFileSystem& faults) {
    const fs::path path = g_folder / "node.json";
    WriteFile(path, text);
    std::string error;
    const std::optional<host::SimNode> parsed = host::NodeImage::Parse(text, path.string(), error);
    platform::crt::SetCurrentFileSystem(&faults);
    const std::optional<host::SimNode> loaded = host::NodeImage::Load(path, error);
    Check(loaded || !error.empty(), "a refused image without a message");
    Check(!loaded || (parsed && SameNode(*loaded, *parsed)), "the file loaded as another node");

    host::SimNode node = parsed ? *parsed : host::SimNode();
    node.SetSelector(static_cast<std::uint16_t>(node.Selector() + 1));
    const bool saved = host::NodeImage::Save(node, path, error);
    platform::crt::SetCurrentFileSystem(nullptr);
    CheckNoTemporary(path);
    if (!saved) {
        Check(ReadFile(path) == text, "a failed save changed the image");
        return;
    }
    const std::optional<host::SimNode> back = host::NodeImage::Load(path, error);
    Check(back && SameNode(*back, node), "a saved image does not load back the same");
}

void Registry(std::string_view text, FaultyFileSystem& faults) {
    const fs::path path = g_folder / "registry.reg";
    WriteFile(path, text);
    RegistrySetFile(path.string());
    std::string error;
    const std::optional<platform::registry::RegTree> parsed =
        platform::registry::RegTree::Parse(text, error);
    platform::crt::SetCurrentFileSystem(&faults);
    char buffer[64];
    LONG size = sizeof buffer;
    const LONG read = RegQueryValue(HKEY_CLASSES_ROOT, nullptr, buffer, &size);
    const LONG set = RegSetValue(HKEY_CLASSES_ROOT, "Fuzz\\Key", "value");
    platform::crt::SetCurrentFileSystem(nullptr);
    Check(!parsed || read != ERROR_BADDB, "a good file read as malformed");
    Check(parsed || (read != ERROR_SUCCESS && set != ERROR_SUCCESS), "a malformed file was used");
    Check(read == ERROR_SUCCESS || !RegistryLastError().empty() || read == ERROR_BADDB ||
              read == ERROR_REGISTRY_IO_FAILED,
          "a failed read without its reason");
    CheckNoTemporary(path);
    if (set != ERROR_SUCCESS) {
        Check(ReadFile(path) == text, "a failed change altered the file");
        return;
    }
    char value[16];
    size = sizeof value;
    Check(RegQueryValue(HKEY_CLASSES_ROOT, "Fuzz\\Key", value, &size) == ERROR_SUCCESS &&
              std::string(value) == "value",
          "a change did not reach the file");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RegistrySetLockWait(0, 0, [](const std::string&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    for (const auto& entry : fs::directory_iterator(g_folder)) {
        fs::remove_all(entry.path());
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    FaultyFileSystem faults(platform::crt::RealFileSystem());
    const std::uint8_t fault = data[1];
    if (fault != 0) {
        faults.FailAt(static_cast<FaultyFileSystem::Step>(fault % FaultyFileSystem::kStepCount),
                      1 + fault / FaultyFileSystem::kStepCount % 4);
    }
    if (data[0] % 2 == 0) {
        Image(text, faults);
    } else {
        Registry(text, faults);
    }
    return 0;
}
