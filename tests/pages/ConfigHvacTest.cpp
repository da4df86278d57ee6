// The Config HVAC tab: five mode bits of part 10, read on every show, written with the password.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
struct ConfigHvacTest : PageTest {
    ConfigHvacTest() : PageTest("Config HVAC") {}
    std::string Modes() { return CheckedOf({274, 275, 276, 277, 280}); }
    void ClickAll() {
        for (const int id : {274, 275, 276, 277, 280}) {
            Click(id);
        }
    }
};
const std::string kFactoryPart10 = Long("0A FC6E FC7E F83E E888 9402 D806");
}  // namespace

TEST_F(ConfigHvacTest, EveryShowReadsTheModeMask) {
    Show();
    EXPECT_THAT(Trace(), ElementsAre("0 read 42 31 ok 0000", "200 write 42 2 ok 000A",
                                     "400 read 43 31 ok " + kFactoryPart10));
    EXPECT_EQ(Modes(), "11110");

    Click(274);  // an unsaved change gives way to the node's state on the next show
    SetPart(10, LongAt({{5, 0x04}, {6, 0xE1}}));
    ShowAgain();
    EXPECT_EQ(Modes(), "00001");
}

TEST_F(ConfigHvacTest, WriteChangesOnlyTheFiveModeBits) {
    Show();
    Trace();
    ClickAll();  // only HVAC_FREE_COOL checked
    Set(221, "Talvik");
    Click(207);
    const std::string written = Long("0A FC6E FC7E FC20 E888 9402 D806");
    EXPECT_THAT(Trace(),
                ElementsAre("400 read 42 31 ok 000A", "400 read 43 32 ok " + kFactoryPart10,
                            "400 write 43 31 ok " + written, "400 read 42 31 ok 000A",
                            "400 read 43 31 ok " + written));
    EXPECT_EQ(Text(221), "");
    EXPECT_EQ(Text(207), "Write");
}

TEST_F(ConfigHvacTest, WrongPasswordOrFailedPartReadWritesNothing) {
    Show();
    Trace();
    Click(280);
    Set(221, "Talvik ");
    Click(207);
    EXPECT_THAT(Trace(), IsEmpty());
    EXPECT_THAT(Boxes(), ElementsAre("box \"QMA7\" \"Wrong Password\" ok none -> OK"));
    EXPECT_EQ(Text(221), "");

    FailReads({43});
    Set(221, "Talvik");
    Click(207);
    EXPECT_THAT(Trace(), ElementsAre("400 read 42 31 ok 000A", "400 read 43 32 fail",
                                     "400 read 42 31 ok 000A", "400 read 43 31 fail"));
    EXPECT_EQ(Text(221), "");
    EXPECT_TRUE(Checked(280));  // the failed re-read keeps the box
}
