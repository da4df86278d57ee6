// The PID humidifier tab: scaling of P, I and D, the password, and the sensor enable test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
struct PidHumidifierTest : PageTest {
    PidHumidifierTest() : PageTest("PID humidifier") {}
};
// Part 5 with every byte set; P, I and D 2.5, 1 and 65535.
const std::string kPart5 = Long(
    "5F 5E5D 5C5B 5A59 5857 5655 5453 5251 504F 4E4D 4C4B 4A49 4847"
    "0019 0001 FFFF");
}  // namespace

TEST_F(PidHumidifierTest, ReadsTheParametersOnceAndTestsTheSensorOnEveryShow) {
    SetPart(5, kPart5);
    Show();
    EXPECT_THAT(Trace(), ElementsAre("0 read 42 31 ok 0000", "200 write 42 2 ok 0005",
                                     "400 read 43 31 ok " + kPart5, "400 read 7 31 ok 2710"));
    EXPECT_THAT((std::vector{Text(222), Text(223), Text(224)}), ElementsAre("2.5", "1", "65535"));
    for (const auto& [hex, present] : kHumidityEdges) {
        SetNv(7, hex);
        ShowAgain();
        EXPECT_THAT(Trace(), ElementsAre("400 read 7 31 ok " + std::string(hex)));
        EXPECT_EQ(EnabledOf({222, 223, 224}), present ? "111" : "000") << hex;
    }
}

TEST_F(PidHumidifierTest, WriteScalesTheParametersAndKeepsTheRestOfThePart) {
    SetPart(5, kPart5);
    Show();
    Trace();
    Set(222, "2.5");
    Set(223, "300");
    Set(224, "7");
    Set(221, "Talvik");
    Click(207);
    const std::string written = kPart5.substr(0, 50) + "0019012C0007";
    EXPECT_THAT(Trace(), ElementsAre("400 read 42 31 ok 0005", "400 read 43 32 ok " + kPart5,
                                     "400 write 43 31 ok " + written, "400 read 42 31 ok 0005",
                                     "400 read 43 31 ok " + written));
    EXPECT_EQ(Text(221), "");
    EXPECT_EQ(Text(207), "Write");

    Set(222, "1.25");  // tenths are truncated: 12 goes out and reads back as 1.2
    Set(221, "Talvik");
    Click(207);
    EXPECT_EQ(Part(5).substr(50, 4), "000C");
    EXPECT_EQ(Text(222), "1.2");
    EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(PidHumidifierTest, WrongPasswordOrFailedPartAccessWritesNothing) {
    Show();
    Trace();
    Set(221, "talvik");
    Click(207);
    EXPECT_THAT(Trace(), IsEmpty());
    EXPECT_THAT(Boxes(), ElementsAre("box \"QMA7\" \"Wrong Password\" ok none -> OK"));
    EXPECT_EQ(Text(221), "");

    FailReads({43});
    Set(221, "Talvik");
    Click(207);
    EXPECT_THAT(Trace(), ElementsAre("400 read 42 31 ok 0005", "400 read 43 32 fail",
                                     "400 read 42 31 ok 0005", "400 read 43 31 fail"));
    EXPECT_EQ(Text(221), "");

    // A failed selection: NV 43 is left alone, the pauses stay.
    node.HealAll();
    node.SetSelector(1);
    node.Fail(host::SimNode::Failure::Write, std::vector{42});
    Set(221, "Talvik");
    Click(207);
    EXPECT_THAT(Trace(), ElementsAre("400 read 42 31 ok 0001", "600 write 42 2 fail 0005",
                                     "800 read 42 31 ok 0001", "1000 write 42 2 fail 0005"));
    EXPECT_THAT(Boxes(), IsEmpty());
}
