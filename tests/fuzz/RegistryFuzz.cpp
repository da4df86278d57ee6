// The registry file parser on any text: no crash, a "line N: ..." message with every refusal,
// and a registry that reads formats to a text that reads back and formats the same.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/RegTree.h"
#include "tests/fuzz/FuzzCheck.h"

constexpr FuzzCheck Check{"registry file"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using platform::registry::RegTree;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::optional<RegTree> tree = RegTree::Parse(text, error);
    if (!tree) {
        Check(error.starts_with("line "), "a refused file without a line number");
        return 0;
    }
    const std::string formatted = tree->Format();
    const std::optional<RegTree> again = RegTree::Parse(formatted, error);
    Check(again.has_value(), "a formatted registry does not read back");
    Check(again->Format() == formatted, "format, read, format gives another text");
    return 0;
}
