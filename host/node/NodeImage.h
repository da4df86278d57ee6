#pragma once
// The node image: a simulated node's whole state as a JSON file.
//
//     { "name": "AHU1", "selector": 0, "nv": { "0": "HEX", ... }, "parts": { "1": "HEX", ... } }
//
// A name that is not UTF-8 is "nameHex": "HEX" instead, byte for byte. Every member is optional;
// what is not listed holds zeros, a shorter HEX is filled up with zeros. Errors are values: a
// message naming the file and the member.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "host/node/SimNode.h"

namespace host {

class NodeImage {
  public:
    // The node that the JSON text describes; source names the text in messages.
    static std::optional<SimNode> Parse(std::string_view json, std::string_view source,
                                        std::string& error);
    // Longer names are refused: the plug-in shows a name in a line of the sheet.
    static constexpr std::size_t kMaxNameBytes = 255;

    // The whole state as JSON: name, selector, every NV 0 to 41, every part.
    static std::string Render(const SimNode& node);

    // The image in the regular file at path, of at most 1 MB. Duplicate members are an error.
    static std::optional<SimNode> Load(const std::filesystem::path& path, std::string& error);
    // Replaces the image at path in one step (platform::crt::AtomicWrite); on failure the old
    // file stays as it was.
    static bool Save(const SimNode& node, const std::filesystem::path& path, std::string& error);
};

}  // namespace host
