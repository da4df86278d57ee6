// The node link over LON/IP against a scripted node that keeps its variables in a simulated
// node: reads, writes by index and by selector, the name, a node that stops answering, and the
// sheet on such a node.
#include "host/lon/LonNodeLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "host/driver/LinkScriptNode.h"
#include "host/node/FactoryNode.h"
#include "host/node/SimNode.h"
#include "host/site/ClientSite.h"
#include "tests/lon/FakeLink.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::lon;
using lontest::FakeLink;
using lontest::Hex;

namespace {

constexpr int kOutputNv = 19;
constexpr int kNvs = 44;

// What a node answers, from the simulated node's variables. Selectors are 0x3FFF - index.
struct ScriptedNode {
    host::SimNode sim;
    bool updatesByIndex = true;
    bool takesSelectorUpdates = true;
    bool answers = true;
    std::string selfDocumentation = "AHU1";
    std::vector<Bytes> apdus;  // every request and message, in order

    int Count(std::uint8_t code) const {
        return static_cast<int>(std::count_if(apdus.begin(), apdus.end(),
                                              [&](const Bytes& a) { return a[0] == code; }));
    }

    Bytes Handle(const Bytes& a) {
        apdus.push_back(a);
        auto index = [&](std::size_t at) {
            return a[at] == 0xFF ? a[at + 1] << 8 | a[at + 2] : a[at];
        };
        std::array<std::uint8_t, 31> value{};
        std::size_t size = 0;
        switch (a[0]) {
            case 0x73: {
                if (!sim.Read(index(1), value, size)) {
                    return {0x13};
                }
                Bytes answer(a.begin(), a.end());
                answer[0] = 0x33;
                answer.insert(answer.end(), value.begin(), value.begin() + size);
                return answer;
            }
            case 0x60:
                if (a[1] == 0x01) {
                    return {0x20, 0x01, 0x01, 0x00,
                            updatesByIndex ? std::uint8_t{0x51} : std::uint8_t{0x11}};
                }
                return {sim.Write(a[2] << 8 | a[3], std::span(a).subspan(4)) ? std::uint8_t{0x20}
                                                                             : std::uint8_t{0x00},
                        0x02};
            case 0x68: {
                const int nv = index(1);
                if (nv >= kNvs) {
                    return {0x08};
                }
                const int selector = 0x3FFF - nv;
                return {0x28,
                        static_cast<std::uint8_t>((nv == kOutputNv ? 0x40 : 0) | selector >> 8),
                        static_cast<std::uint8_t>(selector & 0xFF), 0x0F};
            }
            case 0x6D:
                return {0x2D, 0x90, 0x51, 0x4D, 0x41, 0x37, 0x5F, 0x31, 0x6A};
            case 0x72: {
                Bytes data{0, 0, kNvs, 1, 0, 0};
                data.resize(6 + 2 * kNvs, 0);
                data.insert(data.end(), selfDocumentation.begin(), selfDocumentation.end());
                data.insert(data.end(), {0, ' ', 'n', 'v', '0', 0});
                data[0] = static_cast<std::uint8_t>(data.size() >> 8);
                data[1] = static_cast<std::uint8_t>(data.size() & 0xFF);
                const std::size_t offset = std::min<std::size_t>(a[1] << 8 | a[2], data.size());
                const std::size_t count = std::min<std::size_t>(a[3], data.size() - offset);
                Bytes answer{0x32};
                answer.insert(answer.end(), data.begin() + offset, data.begin() + offset + count);
                return answer;
            }
            default:  // an NV message by selector: acknowledged, stored if the node takes it
                if (takesSelectorUpdates) {
                    sim.Write(0x3FFF - ((a[0] & 0x3F) << 8 | a[1]), std::span(a).subspan(2));
                }
                return {};
        }
    }
};

class LonNodeLinkTest : public ::testing::Test {
  protected:
    LonNodeLinkTest() {
        platform::crt::SetCurrentClock(&clock);
        std::string error;
        node.sim.SetNv(0, Hex("0102030405060708090A0B0C"), error);
        node.sim.SetNv(1, Hex("36B0"), error);
        link.node = [this](const Bytes& d) {
            if (node.answers) {
                link.Answer(d, node.Handle(DecodeFrame(d)->apdu), 1);
            } else {
                silentSends.push_back(clock.NowMs());
            }
        };
    }
    ~LonNodeLinkTest() override { platform::crt::SetCurrentClock(nullptr); }

    std::string Nv(int nv) {
        const auto bytes = node.sim.GetNv(nv);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "-";
    }

    platform::crt::VirtualClock clock;
    std::vector<std::int64_t> silentSends;  // when requests went to the node while it was silent
    std::array<std::uint8_t, 31> buffer{};
    std::size_t returned = 0;
    FakeLink link{clock};
    ScriptedNode node;
    Transactions transactions{link.packets, clock, lontest::kRoute, Timing{500, 2}, 1};
    LonNodeLink lon{transactions, {{0x51}, 35, 12}, {}};
};

}  // namespace

TEST_F(LonNodeLinkTest, ReadsCopyNoMoreThanTheBufferAndFailWhenRefused) {
    std::array<std::uint8_t, 10> small{};
    returned = 99;
    EXPECT_TRUE(lon.Read(0, small, returned));
    EXPECT_EQ(returned, 10u);
    EXPECT_EQ(Bytes(small.begin(), small.end()), Hex("0102030405060708090A"));
    EXPECT_TRUE(lon.Read(1, buffer, returned));
    EXPECT_EQ(returned, 2u);
    EXPECT_FALSE(lon.Read(43, buffer, returned));  // no part selected
    EXPECT_EQ(returned, 0u);
    EXPECT_FALSE(lon.Read(44, buffer, returned));
    const std::size_t sent = link.sent.size();
    EXPECT_FALSE(lon.Read(-1, buffer, returned));
    EXPECT_EQ(link.sent.size(), sent);
    EXPECT_EQ(lon.ReadProgramId(), (ProgramId{0x90, 0x51, 0x4D, 0x41, 0x37, 0x5F, 0x31, 0x6A}));
}

TEST_F(LonNodeLinkTest, WritesByIndexAskingTheVersionOncePerNode) {
    EXPECT_TRUE(lon.Write(1, Hex("1234")));
    EXPECT_EQ(Nv(1), "\x12\x34");
    EXPECT_FALSE(lon.Write(1, Hex("12")));  // the wrong length, refused by the node
    EXPECT_EQ(Nv(1), "\x12\x34");
    // Once a read told the length, another is refused before anything is sent.
    EXPECT_TRUE(lon.Read(1, buffer, returned));
    const std::size_t sent = link.sent.size();
    EXPECT_FALSE(lon.Write(1, Hex("123456")));
    EXPECT_EQ(link.sent.size(), sent);
    EXPECT_TRUE(lon.Write(42, Hex("0003")));
    Bytes part = Hex("A1B2");
    part.resize(31);
    EXPECT_TRUE(lon.Write(43, part));  // part 3
    EXPECT_EQ(node.sim.Part(3)[1], 0xB2);
    EXPECT_EQ(node.Count(0x60), 5);  // one version query, four updates
    EXPECT_EQ(node.Count(0x80 | 0x3F), 0);
}

TEST_F(LonNodeLinkTest, WritesBySelectorWithAReadBackWhereUpdatesByIndexCannotBeUsed) {
    node.updatesByIndex = false;
    EXPECT_TRUE(lon.Write(1, Hex("5678")));
    EXPECT_EQ(Nv(1), "\x56\x78");
    // The version, the selector, the length, the message, the read back.
    ASSERT_EQ(node.apdus.size(), 5u);
    EXPECT_EQ(node.apdus[3], Hex("BF FE 56 78"));
    EXPECT_EQ(node.apdus[4], Hex("73 01"));
    EXPECT_TRUE(lon.Write(1, Hex("0001")));
    EXPECT_EQ(node.apdus.size(), 7u);  // the message and the read back only

    // Nothing is sent that could store part of a value, or write an output.
    EXPECT_FALSE(lon.Write(1, Hex("123456")));
    EXPECT_FALSE(lon.Write(kOutputNv, Hex("0001")));
    EXPECT_EQ(node.Count(0xBF) + node.Count(0xBF - kOutputNv), 2);
    // A message that arrived but was not taken is a failed write.
    node.takesSelectorUpdates = false;
    EXPECT_FALSE(lon.Write(1, Hex("0002")));
    EXPECT_EQ(Nv(1), std::string("\x00\x01", 2));

    // Asked for, the fallback is taken on a node that could update by index too.
    node.updatesByIndex = true;
    node.takesSelectorUpdates = true;
    node.apdus.clear();
    LonNodeLink bySelector(transactions, {{0x51}, 35, 12}, {true, std::nullopt});
    EXPECT_TRUE(bySelector.Write(5, Hex("4268")));
    EXPECT_EQ(node.Count(0x60), 0);
    EXPECT_EQ(node.Count(0xBF), 1);
}

TEST_F(LonNodeLinkTest, TheNameIsTheGivenOneElseTheSelfDocumentationReadOnce) {
    node.selfDocumentation = "Air handling unit, east wing, floor 3";  // over two chunks
    std::array<char, 50> name{};
    name.fill('x');
    EXPECT_TRUE(lon.ReadName(name));
    EXPECT_EQ(std::string(name.data()), node.selfDocumentation);
    EXPECT_EQ(name.back(), '\0');
    std::array<char, 9> cut{};
    EXPECT_TRUE(lon.ReadName(cut));
    EXPECT_EQ(std::string(cut.data(), cut.size()), "Air handl");
    EXPECT_EQ(node.Count(0x72), 3);  // the header and two chunks, once

    LonNodeLink given(transactions, {{0x51}, 35, 12}, {false, "AHU east"});
    EXPECT_TRUE(given.ReadName(cut));
    EXPECT_EQ(std::string(cut.data()), "AHU east");
    EXPECT_EQ(node.Count(0x72), 3);

    LonNodeLink silent(transactions, {{0x51}, 35, 12}, {});
    node.answers = false;
    EXPECT_FALSE(silent.ReadName(cut));
    node.answers = true;
    silent.UserActionBegins();
    EXPECT_TRUE(silent.ReadName(cut));  // read when it answers again
}

TEST_F(LonNodeLinkTest, ANodeThatStopsAnsweringIsTheLinksProblemUntilItAnswersAgain) {
    EXPECT_EQ(lon.Problem(), "");
    clock.SetLocal({2026, 12, 7, 17, 2, 11});
    node.answers = false;
    EXPECT_FALSE(lon.Read(1, buffer, returned));
    EXPECT_EQ(lon.LastError().kind, host::LinkError::Kind::NoAnswer);
    EXPECT_EQ(lon.LastError().text, "no answer from 51/35/12");
    // Silent now: the write fails at once, and says why.
    EXPECT_FALSE(lon.Write(1, Hex("0001")));
    EXPECT_EQ(clock.NowMs(), 1500);
    EXPECT_EQ(lon.LastError().text, "no answer from 51/35/12");
    EXPECT_EQ(lon.Problem(), "no answer from 51/35/12 since 17:02:12");  // when found silent
    EXPECT_EQ(lon.Kind(), "LON/IP");
    node.answers = true;
    lon.UserActionBegins();
    EXPECT_TRUE(lon.Write(1, Hex("0001")));  // the version query is asked again
    EXPECT_EQ(lon.Problem(), "");
    EXPECT_FALSE(lon.LastError().Failed());
}

TEST_F(LonNodeLinkTest, AnAnswerOfAnotherLengthThanTheNvsIsRefusedWithTheReason) {
    std::map<int, std::size_t> lengths;
    for (int nv = 0; nv <= 43; ++nv) {
        lengths[nv] = host::SimNode::NvSize(nv);
    }
    lon.SetNvLengths(lengths);
    // A node (or a network) that cuts or pads its answers.
    std::optional<int> resize;
    link.node = [&](const Bytes& d) {
        Bytes answer = node.Handle(DecodeFrame(d)->apdu);
        if (resize && answer[0] == 0x33) {
            answer.resize(static_cast<std::size_t>(2 + *resize));
        }
        link.Answer(d, answer, 1);
    };
    resize = 1;  // a 1-byte answer for a 2-byte NV
    EXPECT_FALSE(lon.Read(1, buffer, returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(lon.LastError().kind, host::LinkError::Kind::WrongLength);
    EXPECT_EQ(lon.LastError().text, "NV 1: the node answered 1 byte for a value of 2");
    resize = 5;  // 5 bytes for a 31-byte NV
    EXPECT_FALSE(lon.Read(0, buffer, returned));
    EXPECT_EQ(lon.LastError().text, "NV 0: the node answered 5 bytes for a value of 31");
    resize = 0;  // an empty success
    EXPECT_FALSE(lon.Read(0, buffer, returned));
    EXPECT_EQ(lon.LastError().text, "NV 0: the node answered 0 bytes for a value of 31");
    resize.reset();
    EXPECT_TRUE(lon.Read(1, buffer, returned));
    EXPECT_EQ(returned, 2u);

    // A write of another length is the host's refusal: nothing is sent.
    const std::size_t sent = link.sent.size();
    EXPECT_FALSE(lon.Write(0, Hex("0102")));
    EXPECT_EQ(link.sent.size(), sent);
    EXPECT_EQ(lon.LastError().kind, host::LinkError::Kind::NotSent);
    EXPECT_EQ(lon.LastError().text, "not sent: 2 bytes for NV 0 of 31");
}

TEST_F(LonNodeLinkTest, OnTheSheetASilentNodeShowsWithinATimeoutAndAStopAbandonsTheCallInFlight) {
    using host::tui::InputEvent;
    using host::tui::Key;
    node.sim = host::FactoryNode::Make();
    host::ClientSite site(lon);
    tuitest::SheetSession session(site, clock,
                                  {"AHU1", "90 51 4D 41 37 5F 31 6A", lon.Kind(), lon.Address(),
                                   [this] { return lon.Problem(); }});
    tuitest::FakeTerminal& terminal = session.terminal;
    std::optional<std::int64_t> problemShown;
    std::optional<std::int64_t> signalled;
    terminal.onPoll = [&] {
        if (silentSends.empty()) {
            return;
        }
        if (!problemShown &&
            terminal.lastRows.find("no answer from 51/35/12") != std::string::npos) {
            problemShown = clock.NowMs();
        }
        if (!signalled && clock.NowMs() >= silentSends.front() + 700) {
            signalled = clock.NowMs();
            terminal.typed = {InputEvent{Key::Terminate, 0, 15}};
        }
    };
    session.Run([&](int wait) {
        if (wait == 1) {
            terminal.input.push_back(InputEvent::AltKey(U'4'));  // Cooling
        } else if (wait == 2) {
            node.answers = false;
            session.Click("Read");
        }
    });

    // The first try went unanswered: the status line says so while the call still waits.
    ASSERT_FALSE(silentSends.empty());
    ASSERT_TRUE(problemShown);
    EXPECT_GE(*problemShown, silentSends.front() + 500);
    EXPECT_LE(*problemShown, silentSends.front() + 500 + platform::crt::kBlockingSliceMs);
    // The stop abandons the call in flight within a slice, whatever the timeout: no further
    // try and no other call is sent.
    ASSERT_TRUE(signalled);
    ASSERT_EQ(session.stops.size(), 1u);
    const std::int64_t stopped = session.stops[0].at;
    EXPECT_LE(stopped, *signalled + platform::crt::kBlockingSliceMs);
    EXPECT_EQ(silentSends.size(), 2u);
}

TEST_F(LonNodeLinkTest, OnTheSheetAFailedWriteSaysSoAndWhyAndAGoodOneHowManyValues) {
    node.sim = host::FactoryNode::Make();
    // The node takes everything but the update of the part.
    bool takesParts = true;
    link.node = [&](const Bytes& d) {
        const Bytes apdu = DecodeFrame(d)->apdu;
        if (!takesParts && apdu[0] == 0x60 && apdu[1] == 0x02 && apdu[3] == 43) {
            return;
        }
        link.Answer(d, node.Handle(apdu), 1);
    };
    host::ClientSite site(lon);
    tuitest::SheetSession session(site, clock,
                                  {"AHU1", "90 51 4D 41 37 5F 31 6A", lon.Kind(), lon.Address(),
                                   [this] { return lon.Problem(); }});
    std::string afterGoodWrite;
    std::string afterWrite;
    session.Run([&](int wait) {
        if (wait == 1) {
            session.terminal.input.push_back(host::tui::InputEvent::AltKey(U'5'));  // Temperatures
        } else if (wait == 2) {
            session.Click("Write");
        } else if (wait == 3) {
            afterGoodWrite = session.terminal.lastRows;
            takesParts = false;
            session.Click("Write");
        } else if (wait == 4) {
            afterWrite = session.terminal.lastRows;
            session.terminal.input.push_back(host::tui::InputEvent::Of(host::tui::Key::Escape));
        }
    });
    EXPECT_NE(afterGoodWrite.find("1 value written"), std::string::npos) << afterGoodWrite;
    EXPECT_NE(afterWrite.find("Write on Temperatures: 1 value not written (no answer from "
                              "51/35/12)"),
              std::string::npos)
        << afterWrite;
}

// An update whose answer never came may have reached the node: once the node answers again,
// the NV is read back and the link tells what became of it.
TEST_F(LonNodeLinkTest, AnUnansweredUpdateIsReadBackOnceTheNodeAnswers) {
    EXPECT_TRUE(lon.Write(1, Hex("0001")));  // the version asked while the node answers
    // NV 1's update arrives, NV 5's does not; neither answer comes back.
    link.node = [&](const Bytes& d) {
        const Bytes apdu = DecodeFrame(d)->apdu;
        if (apdu[0] == 0x60 && apdu[1] == 0x02) {
            if (apdu[3] == 1) {
                node.Handle(apdu);
            }
            return;
        }
        link.Answer(d, node.Handle(apdu), 1);
    };
    EXPECT_FALSE(lon.Write(1, Hex("1234")));
    lon.UserActionBegins();
    EXPECT_FALSE(lon.Write(5, Hex("5678")));
    EXPECT_EQ(lon.TakeNotice(), "");
    lon.UserActionBegins();
    EXPECT_TRUE(lon.Read(0, buffer, returned));  // the node answers again
    EXPECT_FALSE(lon.LastError().Failed());
    EXPECT_EQ(lon.TakeNotice(),
              "NV 1, whose write got no answer: written; NV 5, whose write got no answer: not "
              "written");
    EXPECT_EQ(lon.TakeNotice(), "");
    EXPECT_TRUE(lon.Read(0, buffer, returned));
    EXPECT_EQ(lon.TakeNotice(), "");  // told once
}

// A script says whether a write was the host's own refusal, the node's, or went unanswered.
TEST_F(LonNodeLinkTest, AScriptErrorSaysWhoRefusedAWrite) {
    node.updatesByIndex = false;
    host::LinkScriptNode script(lon);
    std::string error;
    EXPECT_FALSE(script.SetNv(kOutputNv, Hex("0001"), error));
    EXPECT_EQ(error, "not sent: NV 19 is an output, which this node lets no message write");
    node.takesSelectorUpdates = false;
    EXPECT_FALSE(script.SetNv(1, Hex("0002"), error));
    EXPECT_EQ(error, "the node did not take the new value of NV 1");
    node.answers = false;
    EXPECT_FALSE(script.SetNv(1, Hex("0003"), error));
    EXPECT_EQ(error, "no answer from 51/35/12");
    std::optional<std::vector<std::uint8_t>> bytes;
    EXPECT_FALSE(script.GetNv(1, bytes, error));
    EXPECT_EQ(error, "no answer from 51/35/12");
}
