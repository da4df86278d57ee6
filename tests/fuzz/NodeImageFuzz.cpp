// The node image loader on any text: no crash, a message with every refusal, and an image
// that loads renders to a text that loads to the same node, every NV and part byte the same
// (render, load, render again gives the same text).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/node/NodeImage.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/SameNode.h"

constexpr FuzzCheck Check{"node image"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::optional<host::SimNode> node = host::NodeImage::Parse(text, "fuzz", error);
    if (!node) {
        Check(!error.empty(), "a refused image without a message");
        return 0;
    }
    // Any name renders: a name that is not UTF-8 (from "nameHex") as HEX.
    const std::string rendered = host::NodeImage::Render(*node);
    const std::optional<host::SimNode> again = host::NodeImage::Parse(rendered, "again", error);
    Check(again.has_value(), "a rendered image does not load");
    Check(SameNode(*again, *node), "the node changed on the way");
    const std::string twice = host::NodeImage::Render(*again);
    Check(twice == rendered, "render, load, render gives another text");
    return 0;
}
