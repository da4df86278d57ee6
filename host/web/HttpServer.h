#pragma once
// A small HTTP server for the program's one thread: libmicrohttpd without threads of its own.
// The message loop waits on PollFd (with TimeoutMs) together with its other inputs and calls
// Run when it wakes; every request is answered from Run, never from another thread. A response
// may turn its connection into an event stream (server-sent events) that Push feeds until the
// browser goes or CloseStream ends it.

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

namespace host::web {

struct HttpRequest {
    std::string method;
    std::string path;
    std::map<std::string, std::string> query;    // decoded
    std::map<std::string, std::string> cookies;  // by name
    std::string host;                            // the Host header
    std::string origin;                          // the Origin header; empty when absent
    std::string fetchSite;                       // the Sec-Fetch-Site header; empty when absent
    std::string body;
    bool bodyTooLarge = false;  // the body exceeded the server's limit and was dropped

    const std::string* Query(const std::string& name) const;
    const std::string* Cookie(const std::string& name) const;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // The connection stays open as an event stream; body is its first event.
    bool eventStream = false;
    // An event stream that ends once its first event has gone.
    bool streamEnds = false;

    static HttpResponse Text(int status, std::string text);
};

class HttpServer {
  public:
    struct Handlers {
        // Answers a request; stream is the id the connection gets if the answer is an event
        // stream.
        std::function<HttpResponse(const HttpRequest& request, int stream)> request;
        // An event stream ended: the browser went, or CloseStream.
        std::function<void(int stream)> streamClosed;
    };

    // Listens on address (IPv4, dotted) and port (0: any free port). Nothing, with the reason
    // in error, when it cannot.
    static std::unique_ptr<HttpServer> Start(const std::string& address, int port,
                                             std::size_t maxBody, Handlers handlers,
                                             std::string& error);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int Port() const { return m_port; }
    // What to wait on: the server's own descriptor (readable when it has work for Run), and
    // each event stream's socket, which tells when its browser goes away.
    std::vector<pollfd> PollFds() const;
    // How long the server may wait before Run is due anyway; nothing: no limit.
    std::optional<std::int64_t> TimeoutMs() const;
    // Does the work there is, without waiting.
    void Run();
    // After a wait on PollFds: ends the streams whose browser went, then does the work there is.
    void Run(const std::vector<pollfd>& polled);

    // Sends data on an event stream (whole "data: ...\n\n" events).
    void Push(int stream, const std::string& data);
    // Ends an event stream once what was pushed has gone.
    void CloseStream(int stream);
    std::vector<int> Streams() const;

  private:
    struct Stream;
    struct Exchange;
    HttpServer(std::size_t maxBody, Handlers handlers);
    friend struct HttpGlue;  // the library's callbacks
    int Answer(MHD_Connection* connection, const char* url, const char* method, Exchange& exchange);

    MHD_Daemon* m_daemon = nullptr;
    int m_port = 0;
    std::size_t m_maxBody;
    Handlers m_handlers;
    std::map<int, std::unique_ptr<Stream>> m_streams;
    int m_nextStream = 1;
};

}  // namespace host::web
