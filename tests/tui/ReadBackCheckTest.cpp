// Which values came back from the node different from what the user typed.
#include <gtest/gtest.h>

#include "host/tui/ReadBackCheck.h"

using host::tui::ReadBackCheck;

TEST(TuiReadBack, AValueDiffersByMoreThanOneUnitOfItsLastShownDigit) {
    EXPECT_TRUE(ReadBackCheck::Differs(U"300", U"44"));
    EXPECT_TRUE(ReadBackCheck::Differs(U"12", U"10"));
    EXPECT_TRUE(ReadBackCheck::Differs(U"-3.5", U"-3.3"));
    EXPECT_FALSE(ReadBackCheck::Differs(U"40.5", U"40"));
    EXPECT_FALSE(ReadBackCheck::Differs(U"41", U"40"));
    EXPECT_FALSE(ReadBackCheck::Differs(U" -200", U"-200.0"));
    EXPECT_FALSE(ReadBackCheck::Differs(U"+7", U"7"));
    // Text that is not a number: the same or not.
    EXPECT_TRUE(ReadBackCheck::Differs(U"40,5", U"40"));
    EXPECT_TRUE(ReadBackCheck::Differs(U"", U"0"));
    EXPECT_FALSE(ReadBackCheck::Differs(U"On ", U"On"));
}

TEST(TuiReadBack, MarksLastUntilTypedAgainAndARead) {
    ReadBackCheck check;
    EXPECT_FALSE(check.Compare([](int) { return U"1"; }));  // nothing typed
    check.Typed(3, U"300");
    check.Typed(5, U"12");
    check.Typed(5, U"10");  // the last text typed counts
    check.Typed(8, U"9");   // a field that is gone by the Write
    const auto shown = [](int field) -> std::optional<std::u32string> {
        if (field == 8) {
            return std::nullopt;
        }
        return field == 3 ? U"44" : U"10";
    };
    EXPECT_EQ(check.Compare(shown), 1);
    EXPECT_TRUE(check.Marked(3));
    EXPECT_FALSE(check.Marked(5));
    EXPECT_FALSE(check.Compare(shown)) << "what was typed counts for one Write";
    EXPECT_TRUE(check.Marked(3));
    check.Typed(3, U"4");
    EXPECT_FALSE(check.Marked(3));
    check.Typed(5, U"0");
    check.Discard();
    EXPECT_FALSE(check.Compare(shown));
}
