#include "host/web/WebAccess.h"

#include <gtest/gtest.h>

namespace host::web {
namespace {

constexpr char kToken[] = "0123456789abcdef0123456789abcdef";

HttpRequest WithCookie(const std::string& token) {
    HttpRequest request;
    request.host = "127.0.0.1:8742";
    request.cookies["qma7_token"] = token;
    return request;
}

TEST(WebAccess, TakesTheTokenFromTheCookieOrOnTheEntryPageFromTheAddress) {
    const WebAccess access(kToken);
    EXPECT_EQ(access.Check(WithCookie(kToken), false), WebAccess::Verdict::Allowed);
    EXPECT_EQ(access.Check(WithCookie("0123456789abcdef0123456789abcdee"), false),
              WebAccess::Verdict::WrongToken);
    EXPECT_EQ(access.Check(WithCookie(std::string(kToken) + "0"), false),
              WebAccess::Verdict::WrongToken);
    EXPECT_EQ(access.Check(WithCookie(""), false), WebAccess::Verdict::NoToken);
    EXPECT_EQ(access.Check(HttpRequest(), false), WebAccess::Verdict::NoToken);

    HttpRequest entry;
    entry.query[WebAccess::kTokenQuery] = kToken;
    EXPECT_EQ(access.Check(entry, true), WebAccess::Verdict::Allowed);
    // Only the entry page takes it from the address.
    EXPECT_EQ(access.Check(entry, false), WebAccess::Verdict::NoToken);
    // A wrong token in the address is not made good by a right cookie.
    HttpRequest both = WithCookie(kToken);
    both.query[WebAccess::kTokenQuery] = "guess";
    EXPECT_EQ(access.Check(both, true), WebAccess::Verdict::WrongToken);
}

TEST(WebAccess, RefusesRequestsFromPagesOfOtherOriginsEvenWithTheToken) {
    const WebAccess access(kToken);
    HttpRequest request = WithCookie(kToken);
    request.origin = "http://127.0.0.1:8742";
    EXPECT_EQ(access.Check(request, false), WebAccess::Verdict::Allowed);
    request.origin = "https://127.0.0.1:8742";  // behind a proxy that speaks TLS
    EXPECT_EQ(access.Check(request, false), WebAccess::Verdict::Allowed);
    for (const char* origin : {"http://evil.example", "http://127.0.0.1:8743", "null",
                               "http://127.0.0.1:8742.evil.example"}) {
        request.origin = origin;
        EXPECT_EQ(access.Check(request, false), WebAccess::Verdict::ForeignOrigin) << origin;
    }
    request.origin.clear();
    request.fetchSite = "cross-site";
    EXPECT_EQ(access.Check(request, false), WebAccess::Verdict::ForeignOrigin);
    request.fetchSite = "same-origin";
    EXPECT_EQ(access.Check(request, false), WebAccess::Verdict::Allowed);
}

TEST(WebAccess, TwoOnOneHostKeepTheirCookiesApart) {
    WebAccess first(kToken);
    WebAccess second(kToken);
    first.NameCookiesFor(8742);
    second.NameCookiesFor(8743);
    EXPECT_NE(first.TokenCookie(), second.TokenCookie());
    EXPECT_NE(first.ClientCookie(), second.ClientCookie());
    HttpRequest request;
    request.cookies[first.TokenCookie()] = kToken;
    EXPECT_EQ(first.Check(request, false), WebAccess::Verdict::Allowed);
    EXPECT_EQ(second.Check(request, false), WebAccess::Verdict::NoToken);
}

TEST(WebAccess, MakesADifferentLongTokenEachStart) {
    const std::string a = WebAccess::RandomToken();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(a, WebAccess::RandomToken());
}

TEST(WebAccess, OneBrowserControlsUntilItsPushChannelIsGoneThirtySecondsThenAnotherMayTakeOver) {
    WebAccess access(kToken);
    EXPECT_EQ(access.Claim("first", 1000), WebAccess::Control::Yours);
    EXPECT_EQ(access.Since(), 1000);
    access.ChannelOpened("first", 1500);
    EXPECT_EQ(access.Claim("second", 60000), WebAccess::Control::InUse);
    EXPECT_FALSE(access.TakeOver("second", 60000));

    // A reload: the old channel closes after the new one opened; the sheet stays held.
    access.ChannelOpened("first", 61000);
    access.ChannelClosed("first", 61100);
    EXPECT_EQ(access.Claim("second", 200000), WebAccess::Control::InUse);

    access.ChannelClosed("first", 300000);
    EXPECT_EQ(access.Claim("second", 329999), WebAccess::Control::InUse);
    EXPECT_EQ(access.Claim("second", 330000), WebAccess::Control::Released);
    EXPECT_EQ(access.Claim("first", 330000), WebAccess::Control::Yours);
    ASSERT_TRUE(access.TakeOver("second", 330000));
    EXPECT_TRUE(access.Controls("second"));
    EXPECT_TRUE(access.WasTakenFrom("first"));
    EXPECT_EQ(access.Claim("first", 330001), WebAccess::Control::InUse);
    // The new controller's own 30 s start now: a page that never connects releases it too.
    EXPECT_EQ(access.Claim("first", 359999), WebAccess::Control::InUse);
    EXPECT_EQ(access.Claim("first", 360000), WebAccess::Control::Released);
}

}  // namespace
}  // namespace host::web
