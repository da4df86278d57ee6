// LON addresses, the IP addresses LON/IP derives from them, and the node list.
#include <gtest/gtest.h>

#include "host/lon/LonAddress.h"
#include "host/lon/NodeList.h"

#include <sys/stat.h>

#include <filesystem>

#include "tests/support/BoundedRun.h"
#include "tests/support/Files.h"

using namespace host::lon;
namespace fs = std::filesystem;

namespace {

std::string Derived(const std::string& text) {
    std::string error;
    const auto address = ParseLonAddress(text, error);
    if (!address) {
        return "bad address";
    }
    const auto ip = DerivedIpv4(*address, error);
    return ip ? FormatIpv4(*ip) : "unmapped";
}

}  // namespace

TEST(LonAddress, ParsedFormattedAndDerived) {
    std::string error;
    const auto address = ParseLonAddress("51/35/12", error);
    ASSERT_TRUE(address);
    EXPECT_EQ(*address, (LonAddress{{0x51}, 35, 12}));
    EXPECT_EQ(FormatLonAddress(*address), "51/35/12");
    EXPECT_EQ(FormatLonAddress(*ParseLonAddress("abcd00/255/127", error)), "ABCD00/255/127");
    const auto host = ParseHostAddress("35/126", *address, error);
    ASSERT_TRUE(host);
    EXPECT_EQ(*host, (LonAddress{{0x51}, 35, 126}));
    EXPECT_FALSE(ParseHostAddress("35/128", *address, error));
    EXPECT_FALSE(ParseHostAddress("126", *address, error));

    EXPECT_EQ(Derived("51/35/12"), "10.81.35.12");
    EXPECT_EQ(Derived("-/35/12"), "192.168.35.12");
    EXPECT_EQ(Derived("ABCD00/1/2"), "171.205.1.2");
    // Six-byte domains, a third domain byte, and prefixes of other domains or no unicast.
    for (const char* text : {"0102030405AB/1/1", "ABCD01/1/1", "0A0100/1/1", "C0A800/1/1",
                             "E00100/1/1", "000100/1/1"}) {
        EXPECT_EQ(Derived(text), "unmapped") << text;
    }
    for (const char* text :
         {"51/0/12", "51/256/12", "51/35/0", "51/35/128", "5/35/12", "5152/35/12", "51/35",
          "5x/35/12", "51/35/12/1", "51/3 5/12", "", "/35/12", "51/-1/12"}) {
        EXPECT_EQ(Derived(text), "bad address") << text;
    }
}

TEST(LonAddress, AWrongAddressNamesThePartThatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"51/35/200", "the node \"200\" is not a number 1 to 127"},
        {"51/0/12", "the subnet \"0\" is not a number 1 to 255"},
        {"5152/35/12", "the domain \"5152\" is not 1, 3 or 6 bytes in hex"},
        {"51/35", "the node is missing"},
        {"AHU1", "it has no subnet and node"},
        {"51/35/12/1", "there is more after the node"},
    };
    for (const auto& [text, why] : cases) {
        std::string error;
        EXPECT_FALSE(ParseLonAddress(text, error));
        EXPECT_EQ(error.find("\"" + std::string(text) + "\" is no LON address: " + why), 0u)
            << error;
    }
    std::string error;
    EXPECT_FALSE(ParseHostAddress("35/0", LonAddress{}, error));
    EXPECT_NE(error.find("\"35/0\" is no host address: the node \"0\" is not"), std::string::npos)
        << error;
    // What the user typed comes back with its control characters escaped and cut short.
    EXPECT_FALSE(ParseLonAddress("51/35/\x1b]0;owned\x07" + std::string(500, '9'), error));
    EXPECT_NE(error.find("\"51/35/\\x1B]0;owned\\x07999"), std::string::npos) << error;
    EXPECT_EQ(error.find('\x1b'), std::string::npos);
    EXPECT_LT(error.size(), 600u);
}

TEST(NodeList, NamesNodesAndSaysWhatIsWrong) {
    std::string error;
    const auto list = NodeList::Parse(
        R"({"AHU1": {"address": "51/35/12"}, "AHU2": {"address": "51/35/13", "host": "35/125"},
            "twin": {"address": "51/35/12"}})",
        "nodes.json", error);
    ASSERT_TRUE(list) << error;
    ASSERT_TRUE(list->Find("AHU2"));
    EXPECT_EQ(list->Find("AHU2")->address, (LonAddress{{0x51}, 35, 13}));
    EXPECT_EQ(list->Find("AHU2")->host, (LonAddress{{0x51}, 35, 125}));
    EXPECT_FALSE(list->Find("AHU1")->host);
    EXPECT_FALSE(list->Find("ahu1"));
    EXPECT_EQ(list->FindAddress({{0x51}, 35, 12})->name, "AHU1");  // the first, in file order
    EXPECT_FALSE(list->FindAddress({{0x51}, 35, 14}));

    const std::pair<const char*, const char*> bad[] = {
        {"[1]", "nodes.json: the node list is not a JSON object of named nodes"},
        {"{\"A\": {}}", "nodes.json: node \"A\": needs an \"address\": \"DOMAIN/SUBNET/NODE\""},
        {"{\"A\": {\"address\": \"51/35/12\", \"adress\": \"x\"}}",
         "nodes.json: node \"A\": unknown member \"adress\""},
        {"{\"A\": {\"address\": \"51/35/12\", \"host\": 5}}",
         "nodes.json: node \"A\": \"host\" is not a string"},
        {"{\"A\": {\"address\": \"51/35\"}}",
         "nodes.json: node \"A\": \"51/35\" is no LON address: the node is missing "
         "(DOMAIN/SUBNET/NODE, the domain in hex, subnet 1-255 and node 1-127 in decimal, e.g. "
         "51/35/12)"},
        {"{\"A\": {\"address\": \"51/35/12\"}, \"B\": {\"address\": \"51/35/13\"}, "
         "\"A\": {\"address\": \"51/35/14\"}}",
         "nodes.json: the node \"A\" is given twice, as entries 1 and 3"},
        {"{\"\\u001b[2J\": {}}",
         "nodes.json: node \"\\x1B[2J\": needs an \"address\": \"DOMAIN/SUBNET/NODE\""},
        {"{\"A\": {\"address\": [[[[[\"51/35/12\"]]]]]}}",
         "nodes.json: nested deeper than a node list is"},
    };
    for (const auto& [text, message] : bad) {
        EXPECT_FALSE(NodeList::Parse(text, "nodes.json", error)) << text;
        EXPECT_EQ(error, message);
    }
    EXPECT_FALSE(NodeList::Parse("{", "nodes.json", error));
    EXPECT_FALSE(NodeList::Parse("{\"" + std::string(256, 'n') + "\": {\"address\": \"51/35/12\"}}",
                                 "nodes.json", error));
    EXPECT_NE(error.find("a name longer than 255 bytes"), std::string::npos) << error;
    EXPECT_TRUE(NodeList::Load("/nonexistent/nodes.json", error)->Empty());

    EXPECT_EQ(DefaultNodeListPath("/cfg", "/home/u"), "/cfg/qma7/nodes.json");
    EXPECT_EQ(DefaultNodeListPath("relative", "/home/u"), "/home/u/.config/qma7/nodes.json");
    EXPECT_FALSE(DefaultNodeListPath(nullptr, nullptr));
}

TEST(NodeList, OnlyARegularFileOfBoundedSizeIsRead) {
    ScratchFolder folder;
    const fs::path fifo = folder.Dir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // no writer: a read would block for ever
    for (const fs::path& path : {fifo, fs::path("/dev/zero"), folder.Dir()}) {
        const BoundedResult run = RunBounded(
            [&] {
                std::string error;
                return !NodeList::Load(path, error) &&
                       error == "the node list " + path.string() + " is not a regular file";
            },
            std::chrono::seconds(2));
        EXPECT_TRUE(run.succeeded) << path << ": " << run.Text();
        EXPECT_LT(run.peakKilobytes, 256 * 1024) << run.Text();
    }
    WriteFile(folder.Dir() / "big.json", std::string(2 << 20, ' '));
    std::string error;
    EXPECT_FALSE(NodeList::Load(folder.Dir() / "big.json", error));
    EXPECT_NE(error.find("is larger than 1 MB"), std::string::npos) << error;
}
