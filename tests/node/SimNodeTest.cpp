#include "host/node/SimNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using host::SimNode;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(SimNode& node, int nv, std::size_t bufferSize = 32) {
    Bytes buffer(bufferSize, 0xEE);
    std::size_t returned = 99;
    if (!node.Read(nv, buffer, returned)) {
        EXPECT_EQ(returned, 0u);
        return {};
    }
    buffer.resize(returned);
    return buffer;
}

void Set(SimNode& node, int nv, const Bytes& bytes) {
    std::string error;
    ASSERT_TRUE(node.SetNv(nv, bytes, error)) << error;
}

}  // namespace

TEST(SimNode, SizesAndReads) {
    // The sizes themselves show in every trace of the page tests.
    SimNode node;
    Set(node, 22, {1, 2, 3});
    const Bytes value = ReadAll(node, 22);
    ASSERT_EQ(value.size(), 31u);
    EXPECT_EQ(value[2], 3);
    EXPECT_EQ(value[3], 0);  // filled up with zeros

    // A short buffer gets the first bytes; bytes beyond the value stay untouched.
    Bytes buffer(4, 0xEE);
    std::size_t returned = 0;
    ASSERT_TRUE(node.Read(22, std::span(buffer).first(2), returned));
    EXPECT_EQ(returned, 2u);
    EXPECT_EQ(buffer, (Bytes{1, 2, 0xEE, 0xEE}));
    ASSERT_TRUE(node.Read(5, buffer, returned));
    EXPECT_EQ(returned, 2u);
    EXPECT_EQ(buffer, (Bytes{0, 0, 0xEE, 0xEE}));

    EXPECT_TRUE(ReadAll(node, 44).empty());
    EXPECT_TRUE(ReadAll(node, -1).empty());
}

TEST(SimNode, PartsThroughSelector) {
    SimNode node;
    const Bytes part(31, 0x43);
    for (const std::uint16_t selector : {0, 13, 0x0100, 0xFFFF}) {
        node.SetSelector(selector);
        EXPECT_TRUE(ReadAll(node, 43).empty()) << selector;
        EXPECT_FALSE(node.Write(43, part)) << selector;
        EXPECT_FALSE(node.GetNv(43).has_value());
        std::string error;
        EXPECT_FALSE(node.SetNv(43, part, error));
        EXPECT_FALSE(error.empty());
    }
    // The selector is NV 42, written by the host like any word.
    ASSERT_TRUE(node.Write(42, Bytes{0x00, 0x0C}));
    EXPECT_EQ(node.Selector(), 12);
    ASSERT_TRUE(node.Write(43, part));
    EXPECT_EQ(Bytes(node.Part(12).begin(), node.Part(12).end()), part);
    EXPECT_EQ(ReadAll(node, 43), part);
    node.SetSelector(1);
    EXPECT_EQ(ReadAll(node, 43), Bytes(31, 0));
    EXPECT_EQ(ReadAll(node, 42), (Bytes{0, 1}));
    EXPECT_TRUE(node.Part(0).empty());
    EXPECT_TRUE(node.Part(13).empty());
}

TEST(SimNode, WritesNeedTheExactSize) {
    SimNode node;
    Set(node, 5, {0x12, 0x34});
    const std::uint64_t before = node.Generation();
    EXPECT_FALSE(node.Write(5, Bytes{0x99}));
    EXPECT_FALSE(node.Write(5, Bytes{0x99, 0x99, 0x99}));
    EXPECT_FALSE(node.Write(0, Bytes(32, 1)));
    EXPECT_FALSE(node.Write(0, Bytes(30, 1)));
    EXPECT_FALSE(node.Write(44, Bytes{1, 1}));
    EXPECT_EQ(node.Generation(), before);
    EXPECT_EQ(ReadAll(node, 5), (Bytes{0x12, 0x34}));
    EXPECT_TRUE(node.Write(5, Bytes{0xAB, 0xCD}));
    EXPECT_GT(node.Generation(), before);
    EXPECT_EQ(ReadAll(node, 5), (Bytes{0xAB, 0xCD}));
    const std::uint64_t written = node.Generation();
    node.SetName("x");  // a new name is a change to save too
    EXPECT_GT(node.Generation(), written);
}

TEST(SimNode, ResetWordClearsItsCounter) {
    // 00 0n in NV 29 clears NV 39, 40, 38, 41 for n = 1, 2, 3, 4.
    const std::array<int, 4> counterOf = {39, 40, 38, 41};
    for (std::uint8_t n = 0; n <= 5; ++n) {
        SimNode node;
        for (const int counter : counterOf) {
            Set(node, counter, {0x01, static_cast<std::uint8_t>(counter)});
        }
        ASSERT_TRUE(node.Write(29, Bytes{0x00, n}));
        EXPECT_EQ(ReadAll(node, 29), (Bytes{0x00, n}));
        for (std::uint8_t k = 1; k <= 4; ++k) {
            const int counter = counterOf[k - 1u];
            const Bytes expected =
                k == n ? Bytes{0, 0} : Bytes{0x01, static_cast<std::uint8_t>(counter)};
            EXPECT_EQ(ReadAll(node, counter), expected) << "n=" << int{n} << " NV " << counter;
        }
    }
    SimNode node;
    Set(node, 39, {0x01, 0x02});
    ASSERT_TRUE(node.Write(29, Bytes{0x01, 0x01}));  // high byte set: no reset
    EXPECT_EQ(ReadAll(node, 39), (Bytes{0x01, 0x02}));
    Set(node, 29, {0x00, 0x01});  // the script setting the word is no host write
    EXPECT_EQ(ReadAll(node, 39), (Bytes{0x01, 0x02}));
}

TEST(SimNode, FailuresAndHealing) {
    SimNode node;
    node.SetName("AHU1");
    node.Fail(SimNode::Failure::Read, std::vector{5, 6});
    node.Fail(SimNode::Failure::Write, std::vector{7});
    node.Fail(SimNode::Failure::All, std::vector{8});
    node.FailName();

    const Bytes word = {0x11, 0x22};
    EXPECT_TRUE(ReadAll(node, 5).empty());
    EXPECT_TRUE(node.Write(5, word));  // writes of a read failure still go through
    EXPECT_EQ(ReadAll(node, 7), (Bytes{0, 0}));
    EXPECT_FALSE(node.Write(7, word));
    EXPECT_TRUE(std::ranges::equal(*node.GetNv(7), Bytes{0, 0}));
    EXPECT_TRUE(ReadAll(node, 8).empty());
    EXPECT_FALSE(node.Write(8, word));
    std::array<char, 8> name{};
    EXPECT_FALSE(node.ReadName(name));

    node.Heal(std::vector{5, 8});
    EXPECT_EQ(ReadAll(node, 5), word);
    EXPECT_TRUE(node.Write(8, word));
    EXPECT_TRUE(ReadAll(node, 6).empty());
    EXPECT_FALSE(node.Write(7, word));
    EXPECT_FALSE(node.ReadName(name));

    node.HealAll();
    EXPECT_EQ(ReadAll(node, 6), (Bytes{0, 0}));
    EXPECT_TRUE(node.Write(7, word));
    ASSERT_TRUE(node.ReadName(name));
    EXPECT_EQ(std::string(name.data(), name.size()), std::string("AHU1\0\0\0\0", 8));
}
