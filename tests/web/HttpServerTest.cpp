#include "host/web/HttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace host::web {
namespace {

constexpr std::size_t kMaxBody = 64;

// A client socket on loopback, read without blocking while the server runs on this thread.
class Client {
  public:
    explicit Client(int port) : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
    }
    ~Client() { Close(); }
    void Send(const std::string& text) {
        ASSERT_EQ(::send(m_fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
    }
    // Reads what arrived; false once the server closed the connection.
    bool Read() {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
        return n != 0;
    }
    void Close() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    std::string received;

  private:
    int m_fd;
};

class HttpServerTest : public ::testing::Test {
  protected:
    void Start() {
        HttpServer::Handlers handlers;
        handlers.request = [this](const HttpRequest& request, int stream) {
            last = request;
            return respond(request, stream);
        };
        handlers.streamClosed = [this](int stream) { closed.push_back(stream); };
        std::string error;
        server = HttpServer::Start("127.0.0.1", 0, kMaxBody, std::move(handlers), error);
        ASSERT_TRUE(server) << error;
        ASSERT_GT(server->Port(), 0);
    }
    // Runs the server until done says so, at most two seconds; false when the time ran out.
    bool RunUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::vector<pollfd> fds = server->PollFds();
            ::poll(fds.data(), fds.size(), 10);
            server->Run(fds);
        }
        return true;
    }

    std::function<HttpResponse(const HttpRequest&, int)> respond;
    std::unique_ptr<HttpServer> server;
    HttpRequest last;
    std::vector<int> closed;
};

TEST_F(HttpServerTest, AnswersWithTheRequestsPartsAndRefusesATooLargeBody) {
    respond = [](const HttpRequest& request, int) {
        HttpResponse response = HttpResponse::Text(request.bodyTooLarge ? 413 : 200, "hello");
        response.headers.emplace_back("X-Test", "yes");
        return response;
    };
    Start();
    Client client(server->Port());
    client.Send(
        "POST /input?name=a%20b HTTP/1.1\r\nHost: h:1\r\nOrigin: http://h:1\r\n"
        "Cookie: one=1; two=2\r\nContent-Length: 5\r\nConnection: close\r\n\r\nabcde");
    ASSERT_TRUE(RunUntil([&] { return !client.Read(); }));
    EXPECT_EQ(client.received.rfind("HTTP/1.1 200", 0), 0u) << client.received;
    EXPECT_NE(client.received.find("X-Test: yes"), std::string::npos);
    EXPECT_NE(client.received.find("\r\n\r\nhello"), std::string::npos);
    EXPECT_EQ(last.method, "POST");
    EXPECT_EQ(last.path, "/input");
    ASSERT_NE(last.Query("name"), nullptr);
    EXPECT_EQ(*last.Query("name"), "a b");
    ASSERT_NE(last.Cookie("two"), nullptr);
    EXPECT_EQ(*last.Cookie("two"), "2");
    EXPECT_EQ(last.origin, "http://h:1");
    EXPECT_EQ(last.host, "h:1");
    EXPECT_EQ(last.body, "abcde");

    Client big(server->Port());
    big.Send(
        "POST /upload HTTP/1.1\r\nHost: h\r\nContent-Length: 100\r\nConnection: close\r\n\r\n" +
        std::string(100, 'x'));
    ASSERT_TRUE(RunUntil([&] { return !big.Read(); }));
    EXPECT_EQ(big.received.rfind("HTTP/1.1 413", 0), 0u) << big.received;
    EXPECT_TRUE(last.bodyTooLarge);
    EXPECT_TRUE(last.body.empty());
}

TEST_F(HttpServerTest, AnEventStreamCarriesEachPushUntilItIsClosed) {
    int opened = 0;
    respond = [&](const HttpRequest&, int stream) {
        opened = stream;
        HttpResponse response;
        response.eventStream = true;
        response.body = "data: first\n\n";
        return response;
    };
    Start();
    Client client(server->Port());
    client.Send("GET /events HTTP/1.1\r\nHost: h\r\n\r\n");
    ASSERT_TRUE(RunUntil(
        [&] { return client.Read() && client.received.find("first") != std::string::npos; }));
    EXPECT_NE(client.received.find("text/event-stream"), std::string::npos);
    ASSERT_NE(opened, 0);
    EXPECT_EQ(server->Streams(), std::vector<int>{opened});

    // Nothing to send: the stream waits without the server spinning.
    const auto fds = server->PollFds();
    EXPECT_EQ(fds.size(), 2u) << "the server's descriptor and the stream's socket";

    server->Push(opened, "data: second\n\n");
    ASSERT_TRUE(RunUntil(
        [&] { return client.Read() && client.received.find("second") != std::string::npos; }));
    server->CloseStream(opened);
    ASSERT_TRUE(RunUntil([&] { return !closed.empty(); }));
    EXPECT_EQ(closed, std::vector<int>{opened});
    EXPECT_TRUE(server->Streams().empty());
}

TEST_F(HttpServerTest, ABrowserThatHangsUpOnAWaitingStreamIsSeenAtOnce) {
    respond = [&](const HttpRequest&, int) {
        HttpResponse response;
        response.eventStream = true;
        response.body = "data: first\n\n";
        return response;
    };
    Start();
    Client client(server->Port());
    client.Send("GET /events HTTP/1.1\r\nHost: h\r\n\r\n");
    ASSERT_TRUE(RunUntil([&] { return client.Read() && !client.received.empty(); }));
    client.Close();
    EXPECT_TRUE(RunUntil([&] { return !closed.empty(); }));
}

}  // namespace
}  // namespace host::web
