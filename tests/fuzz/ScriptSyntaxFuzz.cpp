// The script syntax on any line: no crash, a message with every refusal, and round trips:
// the words of a line, each written with QuoteText, read back as the same words; any text
// through QuoteText is one word holding that text; a HEX argument that reads, written with
// FormatHex, reads back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/driver/ScriptSyntax.h"
#include "host/text/Hex.h"
#include "host/text/QuoteText.h"
#include "tests/fuzz/FuzzCheck.h"

constexpr FuzzCheck Check{"script syntax"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;

    const auto words = host::SplitScriptLine(text, error);
    if (!words) {
        Check(!error.empty(), "a refused line without a message");
    } else {
        std::string line;
        for (const std::string& word : *words) {
            line += host::QuoteText(word) + " ";
        }
        const auto again = host::SplitScriptLine(line, error);
        Check(again == words, "quoted words do not read back");
    }

    const auto quoted = host::SplitScriptLine(host::QuoteText(text), error);
    Check(quoted && quoted->size() == 1 && quoted->front() == text,
          "a quoted text does not read back as one word");

    const auto bytes = host::ParseHex(text, error);
    if (!bytes) {
        Check(!error.empty(), "a refused HEX without a message");
    } else {
        std::size_t digits = 0;
        for (const char c : text) {
            digits += c != ' ' && c != '\t' && c != '-';
        }
        Check(bytes->size() * 2 == digits, "HEX gives another number of bytes than its digits");
        const auto again = host::ParseHex(host::FormatHex(*bytes), error);
        Check(again == bytes, "formatted HEX does not read back");
    }
    return 0;
}
