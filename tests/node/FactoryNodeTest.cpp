#include "host/node/FactoryNode.h"

#include <gtest/gtest.h>

#include <vector>

#include "plugin/codec/NvTextCodec.h"
#include "plugin/settingsfile/FactoryDefaults.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes NvOf(const host::SimNode& node, int nv) {
    const auto value = node.GetNv(nv);
    return value ? Bytes(value->begin(), value->end()) : Bytes{};
}

}  // namespace

TEST(FactoryNode, PartsAreTheFactoryConfiguration) {
    // The node's parts are what "Default settings" writes.
    const NvTextCodec codec;
    const host::SimNode node = host::FactoryNode::Make();
    const auto& texts = settingsfile::kFactoryPartTexts;
    for (int k = 1; k <= 12; ++k) {
        const auto& literal = host::FactoryNode::Parts()[static_cast<std::size_t>(k - 1)];
        for (int i = 0; i < 31; ++i) {
            const std::uint8_t expected = codec.TextToStrInt(texts[static_cast<std::size_t>(k - 1)], i);
            EXPECT_EQ(literal[static_cast<std::size_t>(i)], expected)
                << "part " << k << " byte " << i;
            EXPECT_EQ(node.Part(k)[static_cast<std::size_t>(i)], expected);
        }
    }
}

TEST(FactoryNode, Values) {
    host::SimNode node = host::FactoryNode::Make();
    EXPECT_EQ(node.Name(), "AHU1");
    EXPECT_EQ(node.Selector(), 0);
    EXPECT_FALSE(node.GetNv(43).has_value());
    const Bytes nv0 = NvOf(node, 0);
    EXPECT_EQ(nv0[22], 0x0C);
    EXPECT_EQ(nv0[27], 0x04);
    EXPECT_EQ(nv0[28], 0xD2);
    EXPECT_EQ(NvOf(node, 22)[21], 0x00);
    EXPECT_EQ(NvOf(node, 22)[22], 0x01);
    EXPECT_EQ(NvOf(node, 1), (Bytes{0x36, 0xB0}));
    EXPECT_EQ(NvOf(node, 12), (Bytes{0x01, 0x00}));
    EXPECT_EQ(NvOf(node, 10), (Bytes{0x00, 0x00}));
    EXPECT_EQ(NvOf(node, 37), (Bytes{0x00, 0x00}));
    EXPECT_EQ(NvOf(node, 41), (Bytes{0x0F, 0xA0}));
    const Bytes nv25 = NvOf(node, 25);
    EXPECT_EQ(nv25[26], 0x02);  // word 13: Automatic
    EXPECT_EQ(nv25[28], 0x00);  // word 14: Off
    const Bytes nv26 = NvOf(node, 26);
    EXPECT_EQ(nv26[8], 0x32);  // word 4: 25 %
    EXPECT_EQ(nv26[10], 0x00);

    // Every tab is shown: the sheet's page check reads a non-zero word in bytes 21-22.
    std::uint8_t buffer[32]{};
    std::size_t returned = 0;
    ASSERT_TRUE(node.Read(22, buffer, returned));
    EXPECT_NE(buffer[21] << 8 | buffer[22], 0);
}
