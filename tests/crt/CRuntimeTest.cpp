#include "platform/crt/CRuntime.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string_view>
#include <tuple>
#include <utility>

#include "platform/crt/Clock.h"

using namespace platform::crt;

TEST(Atof, ReadsOnlyTheLeadingDecimalNumber) {
    const std::pair<std::string_view, double> cases[] = {
        {"  12.5abc", 12.5}, {"\t\r\n -1", -1.0}, {"+3", 3.0},  {".5", 0.5},  {"7.", 7.0},
        {"1e3", 1000.0},     {"2E-2x", 0.02},     {"1e", 1.0},  {"1e+", 1.0}, {"1,5", 1.0},
        {"0x10", 0.0},       {"inf", 0.0},        {"nan", 0.0}, {"", 0.0},    {".", 0.0},
        {"-", 0.0},          {"abc", 0.0},        {"1e-400", 0}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(Atof(text), value) << text;
    }
    EXPECT_EQ(Atof(std::string_view("5\0009", 3)), 5.0);  // stops at the NUL
    EXPECT_TRUE(std::isinf(Atof("1e400")));
}

TEST(FormatFixed, PrintsTheExactBinaryValueWithTiesToEven) {
    const std::tuple<double, int, std::string_view> cases[] = {
        {36.5, 0, "36"}, {37.5, 0, "38"}, {0.5, 0, "0"},       {29 * 0.01 * 0.5, 3, "0.145"},
        {5.0, 1, "5.0"}, {-0.4, 0, "-0"}, {65535, 0, "65535"}, {1e20, 0, "100000000000000000000"}};
    for (const auto& [value, digits, text] : cases) {
        EXPECT_EQ(FormatFixed(value, digits), text) << value;
    }
}

TEST(Trunc64, TruncatesTowardZeroAndMapsTheUnrepresentableToTheIndefiniteValue) {
    constexpr std::int64_t kIndefinite = std::numeric_limits<std::int64_t>::min();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Trunc64(12.99), 12);
    EXPECT_EQ(Trunc64(-12.99), -12);
    EXPECT_EQ(Trunc64(-0.5), 0);
    for (const double value : {std::nan(""), kInfinity, -kInfinity, 1e300, 9223372036854775808.0,
                               -9223372036854775808.0}) {
        EXPECT_EQ(Trunc64(value), kIndefinite) << value;
    }
}

TEST(RuntimeDateAndTime, FollowTheCurrentClock) {
    VirtualClock clock;
    SetCurrentClock(&clock);
    clock.SetLocal({2026, 12, 5, 9, 5, 7});
    EXPECT_EQ(StrDate(), "12/05/26");
    EXPECT_EQ(StrTime(), "09:05:07");
    clock.SleepMs(86400 * 1000 - 7000);  // one day less seven seconds later
    EXPECT_EQ(StrDate(), "12/06/26");
    EXPECT_EQ(StrTime(), "09:05:00");
    SetCurrentClock(nullptr);

    LocalDateTime parsed;
    EXPECT_TRUE(ParseLocalDateTime("2026-02-28 23:59:59", parsed));
    EXPECT_EQ(parsed.day, 28);
    EXPECT_FALSE(ParseLocalDateTime("2026-02-30 00:00:00", parsed));
    EXPECT_FALSE(ParseLocalDateTime("2026-01-01 24:00:00", parsed));
    EXPECT_FALSE(ParseLocalDateTime("2026-01-01", parsed));
}

TEST(Locale, NumbersIgnoreTheProcessLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed; run scripts/setup";
    }
    EXPECT_EQ(Atof("70.000"), 70.0);
    EXPECT_EQ(Atof("70,5"), 70.0);
    EXPECT_EQ(FormatFixed(70.0, 3), "70.000");
    EXPECT_EQ(FormatFixed(2.5, 1), "2.5");
    std::setlocale(LC_ALL, "C");
}
