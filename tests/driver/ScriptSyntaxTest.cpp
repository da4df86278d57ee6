#include "host/driver/ScriptSyntax.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/text/QuoteText.h"

namespace {

using Words = std::vector<std::string>;

Words Split(std::string_view line) {
    std::string error;
    const auto words = host::SplitScriptLine(line, error);
    EXPECT_TRUE(words) << line << ": " << error;
    return words.value_or(Words{});
}

std::string SplitError(std::string_view line) {
    std::string error;
    EXPECT_FALSE(host::SplitScriptLine(line, error)) << line;
    return error;
}

}  // namespace

TEST(ScriptSyntax, SplitsWords) {
    EXPECT_EQ(Split("  nv 5\t0032 "), (Words{"nv", "5", "0032"}));
    EXPECT_EQ(Split("set 201 \"12.5 %\" \"\""), (Words{"set", "201", "12.5 %", ""}));
    EXPECT_EQ(Split(R"(name "a\"b\\c\n\r\t\x41\xc2\xB0")"),
              (Words{"name", "a\"b\\c\n\r\tA\xC2\xB0"}));
    EXPECT_EQ(Split("name \"\\x00\""), (Words{"name", std::string(1, '\0')}));
    EXPECT_EQ(Split("open\r"), (Words{"open"}));
    EXPECT_EQ(Split("tab Cooling #2"), (Words{"tab", "Cooling", "#2"}));
    EXPECT_TRUE(Split("").empty());
    EXPECT_TRUE(Split(" \t ").empty());
    EXPECT_TRUE(Split("  # nv 5 \"unterminated").empty());

    EXPECT_NE(SplitError("name \"abc").find("unterminated"), std::string::npos);
    EXPECT_NE(SplitError("name \"abc\\\"").find("unterminated"), std::string::npos);
    EXPECT_NE(SplitError("name \"abc\\").find("unterminated"), std::string::npos);
    EXPECT_NE(SplitError("name \"\\q\"").find("\\q"), std::string::npos);
    EXPECT_NE(SplitError("name \"\\x4\"").find("\\x"), std::string::npos);
    EXPECT_NE(SplitError("name \"\\x4").find("\\x"), std::string::npos);
    EXPECT_FALSE(SplitError("name \"a\"b").empty());
    EXPECT_FALSE(SplitError("name a\"b\"").empty());
}

TEST(ScriptSyntax, QuotingRoundTripsEveryByte) {
    EXPECT_EQ(host::QuoteText("\xC2\xB0"
                              "C \"x\"\\\x7F\x01\t"),
              R"("\xC2\xB0C \"x\"\\\x7F\x01\t")");
    EXPECT_EQ(host::QuoteText(""), "\"\"");
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string quoted = host::QuoteText(all);
    for (const char c : quoted) {
        const auto b = static_cast<unsigned char>(c);
        ASSERT_TRUE(b >= 0x20 && b < 0x7F) << int{b};
    }
    EXPECT_EQ(Split("name " + quoted), (Words{"name", all}));
}
