// The nodes a fleet command names: ranges, names of the node list, and the labels that name
// their files.
#include "host/fleet/FleetTargets.h"

#include <gtest/gtest.h>

using namespace host::fleet;

namespace {

std::optional<host::lon::NodeList> List() {
    std::string error;
    auto list = host::lon::NodeList::Parse(
        R"({"AHU1": {"address": "51/35/12"}, "Roof/West": {"address": "51/35/13", "host": "35/120"},
            "51-35-14": {"address": "51/35/20"}})",
        "nodes.json", error);
    EXPECT_TRUE(list) << error;
    return list;
}

std::vector<std::string> Labels(const std::vector<FleetNode>& nodes) {
    std::vector<std::string> labels;
    for (const FleetNode& node : nodes) {
        labels.push_back(node.label);
    }
    return labels;
}

}  // namespace

TEST(FleetTargetsTest, RangesCoverTheirEndsAndBadOnesAreRefused) {
    std::string error;
    const auto range = ParseAddressRange("51/35/1-3", error);
    ASSERT_TRUE(range) << error;
    ASSERT_EQ(range->size(), 3u);
    EXPECT_EQ(range->front().node, 1);
    EXPECT_EQ(range->back().node, 3);
    EXPECT_EQ(range->back().subnet, 35);
    EXPECT_EQ(ParseAddressRange("-/1/7", error)->size(), 1u);  // the zero-length domain's "-"
    EXPECT_EQ(ParseAddressRange("51/35/127-127", error)->size(), 1u);
    for (const char* bad :
         {"51/35/5-3", "51/35/1-128", "51/35/0-3", "51/35/1-", "51/35/1-x", "51/35", "51/35/-3"}) {
        error.clear();
        EXPECT_FALSE(ParseAddressRange(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(FleetTargetsTest, NamesAddressesAndAllResolveOnceEachWithUniqueFileLabels) {
    const auto list = List();
    std::string error;
    const auto nodes = ResolveNodes({"51/35/12-14", "AHU1", "51/35/20"}, false, &*list, error);
    ASSERT_TRUE(nodes) << error;
    // 51/35/12 is AHU1 (once); 51/35/13 has a "/" in its name; 51/35/14's own label is taken by
    // the list's name of 51/35/20, which comes later and gets the address added.
    EXPECT_EQ(Labels(*nodes),
              (std::vector<std::string>{"AHU1", "Roof_West", "51-35-14", "51-35-14-51-35-20"}));
    EXPECT_EQ((*nodes)[1].host->node, 120);
    EXPECT_EQ(*(*nodes)[0].listName, "AHU1");
    EXPECT_FALSE((*nodes)[2].listName);

    const auto all = ResolveNodes({}, true, &*list, error);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 3u);

    EXPECT_FALSE(ResolveNodes({"AHU9"}, false, &*list, error));
    EXPECT_NE(error.find("AHU9"), std::string::npos);
    EXPECT_FALSE(ResolveNodes({"AHU1"}, false, nullptr, error));
    EXPECT_FALSE(ResolveNodes({}, true, nullptr, error));
}
