// Names, paths and arguments inside messages.
#include "host/text/ShownText.h"

#include <gtest/gtest.h>

#include <string>

#include "host/text/JsonDepth.h"

using host::ShownText;

TEST(ShownText, EscapesControlsAndBrokenUtf8AndCutsLongTexts) {
    EXPECT_EQ(ShownText("K\xC3\xA4lte 1"), "K\xC3\xA4lte 1");  // UTF-8 letters stay
    EXPECT_EQ(ShownText("\x1B[2J\r\n\x7F"), "\\x1B[2J\\x0D\\x0A\\x7F");
    EXPECT_EQ(ShownText("a\\b"), "a\\\\b");
    // C1 controls, a lone continuation byte, a Latin-1 byte, an overlong slash, a surrogate.
    EXPECT_EQ(ShownText("\xC2\x9B"
                        "1m"),
              "\\xC2\\x9B1m");
    EXPECT_EQ(ShownText("\x80\xE4\xC0\xAF\xED\xA0\x80"), "\\x80\\xE4\\xC0\\xAF\\xED\\xA0\\x80");
    EXPECT_EQ(ShownText(std::string(200, 'x')), std::string(200, 'x'));
    EXPECT_EQ(ShownText(std::string(201, 'x')), std::string(200, 'x') + "...");
    // The cut falls between characters and escapes, never inside one.
    const std::string cut = ShownText(std::string(199, 'x') + "\xC3\xA4" + "y");
    EXPECT_EQ(cut, std::string(199, 'x') + "...");
    EXPECT_EQ(ShownText(std::string(198, 'x') + "\x01"), std::string(198, 'x') + "...");
}

TEST(JsonDepth, CountsNestingOutsideStrings) {
    EXPECT_FALSE(host::JsonNestsDeeperThan(R"({"a": [1, {"b": 2}]})", 3));
    EXPECT_TRUE(host::JsonNestsDeeperThan(R"({"a": [1, {"b": 2}]})", 2));
    EXPECT_FALSE(host::JsonNestsDeeperThan(R"({"a\"[[[": "{{{"})", 1));
    EXPECT_FALSE(host::JsonNestsDeeperThan("[][][][]", 1));
}
