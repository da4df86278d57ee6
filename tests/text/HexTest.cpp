#include "host/text/Hex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

}  // namespace

TEST(Hex, ParsesEitherCaseAndFormatsUpperCase) {
    std::string error;
    EXPECT_EQ(host::ParseHex("0aFf 12\t3c", error), (Bytes{0x0A, 0xFF, 0x12, 0x3C}));
    EXPECT_EQ(host::ParseHex("-", error), Bytes{});
    EXPECT_EQ(host::ParseHex("", error), Bytes{});
    EXPECT_FALSE(host::ParseHex("123", error));
    EXPECT_NE(error.find("odd"), std::string::npos);
    EXPECT_FALSE(host::ParseHex("0x12", error));
    EXPECT_NE(error.find("\"x\""), std::string::npos) << error;
    EXPECT_FALSE(host::ParseHex("--", error));

    EXPECT_EQ(host::FormatHex(Bytes{0x0A, 0xFF, 0x00}), "0AFF00");
    EXPECT_EQ(host::FormatHex(Bytes{}), "-");
}
