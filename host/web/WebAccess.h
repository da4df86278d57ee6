#pragma once
// Who may use the sheet in a browser. Every request must carry the token this start of qma7
// made (first in the URL it printed, then as a cookie set from it) and must not come from a
// page of another origin. One browser controls the sheet at a time; when its push channel has
// been gone for a while, another may take over, after confirming.

#include <cstdint>
#include <optional>
#include <string>

#include "host/web/HttpServer.h"

namespace host::web {

class WebAccess {
  public:
    static constexpr char kTokenQuery[] = "token";
    // How long a controlling browser's push channel may be gone before another may take over.
    static constexpr std::int64_t kReleaseAfterMs = 30000;

    explicit WebAccess(std::string token) : m_token(std::move(token)) {}
    // A browser keeps cookies by host, not by port: each qma7 web on a machine names its
    // cookies after its port, so that a browser can use two of them side by side.
    void NameCookiesFor(int port);
    const std::string& TokenCookie() const { return m_tokenCookie; }
    const std::string& ClientCookie() const { return m_clientCookie; }
    // A new random token (128 bits, hex) from the system's random source.
    static std::string RandomToken();

    enum class Verdict { Allowed, NoToken, WrongToken, ForeignOrigin };
    // Checks the origin and the token: the cookie's, or the URL's where urlTokenAllowed (the
    // first page only).
    Verdict Check(const HttpRequest& request, bool urlTokenAllowed) const;
    const std::string& Token() const { return m_token; }

    // The controlling browser, known by its client cookie.
    enum class Control { Yours, InUse, Released };
    // What the browser client may do now: it controls the sheet (Yours: it just became the
    // controller if nobody was), another does (InUse), or the controller's push channel has
    // been gone long enough that client may take over (Released).
    Control Claim(const std::string& client, std::int64_t nowMs);
    // Client takes over a released sheet; false when it is not released (any more).
    bool TakeOver(const std::string& client, std::int64_t nowMs);
    // The controller's push channel opened or closed.
    void ChannelOpened(const std::string& client, std::int64_t nowMs);
    void ChannelClosed(const std::string& client, std::int64_t nowMs);
    bool Controls(const std::string& client) const { return m_holder && *m_holder == client; }
    // When the present controller took the sheet.
    std::int64_t Since() const { return m_sinceMs; }
    // Whether client controlled the sheet until another took it over.
    bool WasTakenFrom(const std::string& client) const { return m_previous == client; }

  private:
    bool Released(std::int64_t nowMs) const;

    std::string m_token;
    std::string m_tokenCookie = "qma7_token";
    std::string m_clientCookie = "qma7_client";
    std::optional<std::string> m_holder;
    std::optional<std::string> m_previous;
    std::int64_t m_sinceMs = 0;
    int m_channels = 0;              // the controller's open push channels
    std::int64_t m_goneSinceMs = 0;  // when its last one closed (or it took the sheet)
};

}  // namespace host::web
