// The real server under hostile clients: malformed, oversized and smuggling requests, and
// clients that stall, trickle, never read or hold every connection. Each request gets one framed
// answer with the right status at once, nothing after it is read unless the connection is kept
// alive, and a fresh client is answered after each.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <optional>

namespace tnews::server
{
namespace
{

using testing::Contains;
using testing::RawExchange;
using testing::TestServer;

const std::string kTexas = "/software/news/tnewsudb.php?region=usa&state=Texas";

std::string AuthField(std::string_view password)
{
    return "Authorization: " + testing::BasicAuth(kUserName, password).begin()->second + "\r\n";
}

// A GET of `target` with a Host field and `fields` (each ending in CR LF).
std::string Get(std::string_view target, std::string_view fields = {},
                std::string_view method = "GET")
{
    return std::string(method) + ' ' + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
           std::string(fields) + "\r\n";
}

std::string Fields(std::size_t count)
{
    std::string fields;
    for (std::size_t i = 0; i < count; ++i)
        fields += "X-Filler-" + std::to_string(i) + ": x\r\n";
    return fields;
}

struct Answer
{
    int status = 0;
    std::string head;
    std::string body;
};

// The answers in `stream`, each cut at its Content-Length (the first gets no body when `head`);
// fails the test for an answer that is not framed so.
std::vector<Answer> Answers(std::string_view stream, bool head)
{
    std::vector<Answer> answers;
    while (!stream.empty())
    {
        Answer answer;
        answer.status = testing::RawStatus(stream);
        const std::size_t end = stream.find("\r\n\r\n");
        const std::size_t field = stream.find("\r\nContent-Length: ");
        if (end == std::string_view::npos || field == std::string_view::npos || field > end)
        {
            ADD_FAILURE() << "not framed: " << stream.substr(0, 300);
            break;
        }
        answer.head = stream.substr(0, end + 4);
        const std::size_t length =
            answers.empty() && head ? 0 : std::stoul(std::string(stream.substr(field + 18, 12)));
        EXPECT_GE(stream.size(), end + 4 + length) << "cut short";
        answer.body = stream.substr(end + 4, length);
        stream.remove_prefix(std::min(stream.size(), end + 4 + length));
        answers.push_back(std::move(answer));
    }
    return answers;
}

struct HostileCase
{
    std::string what;
    std::string request;
    int status;
    bool keepsAlive;         // else the connection closes after the answer, reading nothing more
    std::string_view user;   // in the log line
    std::string_view page{}; // in the answer
};

TEST(HostileClientsTest, EachRequestGetsOneFramedAnswerAtOnce)
{
    const TestServer server;
    const std::string listing = AuthField(kListingPassword);
    std::string ranges = "Range: bytes=0-";
    for (int i = 0; i < 1000; ++i)
        ranges += ",0-";
    ranges += "\r\n";
    const HostileCase cases[] = {
        {"listing", Get(kTexas, listing), 200, true, "tnewsuser", "Houston Chronicle"},
        {"Range ignored", Get(kTexas, listing + ranges), 200, true, "tnewsuser", "Houston"},
        {"HEAD", Get("/", "", "HEAD"), 200, true, "-"},
        {"HTTP/1.0", "GET / HTTP/1.0\r\n\r\n", 200, false, "-"},
        {"HTTP/1.0 kept alive", "GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", 200, true, "-"},
        {"wrong password", Get(kTexas, AuthField(kUpdatePassword)), 401, true, "-"},
        {"two Authorization fields", Get(kTexas, listing + listing), 401, true, "-"},
        {"unknown place", Get(kTexas + "x", listing), 404, true, "tnewsuser"},
        {"absolute form", Get("http://127.0.0.1" + kTexas, listing), 200, true, "tnewsuser",
         "Houston"},
        {"Expect", Get("/", "Expect: 100-continue\r\n"), 417, true, "-", "Expect"},
        {"Expect with a body",
         "POST / HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\nContent-Length: 5\r\n\r\nhello",
         417, false, "-"},
        {"unknown method", Get("/", "", "BREW"), 405, true, "-", "\u201CBREW\u201D"},
        {"POST with a body", "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello", 405,
         false, "-"},
        {"body on GET", "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello", 413, false,
         "-"},
        {"chunked GET", "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello",
         413, false, "-"},
        {"two lengths",
         "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\nContent-Length: 5\r\n\r\n", 400, false,
         "-"},
        {"bare LF", "GET / HTTP/1.1\nHost: x\n\n", 400, false, "-"},
        {"bare LF, head unfinished", "GET / HTTP/1.1\r\nHost: x\nX-Y: z", 400, false, "-", "CR LF"},
        {"bare CR, head unfinished", "GET / HTTP/1.1\r\nHost: x\rX-Y: z", 400, false, "-"},
        {"no Host", "GET / HTTP/1.1\r\n\r\n", 400, false, "-", "Host"},
        {"HTTP/9.9", "GET / HTTP/9.9\r\nHost: x\r\n\r\n", 400, false, "-"},
        {"TLS hello", std::string("\x16\x03\x01\x02\x00\x01\x00", 7) + "\r\n\r\n", 400, false, "-"},
        {"malformed query", Get(kTexas + "&skwords=%zz", listing), 400, true, "-",
         "two hexadecimal digits"},
        {"%u escape", Get(kTexas + "&skwords=%u00E9", listing), 400, true, "-", "%u00E9"},
        {"request line of 9 KB", Get("/" + std::string(9000, 'a')), 414, false, "-"},
        {"1 MB without a line end", std::string(1 << 20, 'G'), 414, false, "-"},
        {"header field of 9 KB", Get("/", "X-Big: " + std::string(9000, 'b') + "\r\n"), 431, false,
         "-"},
        {"101 header fields", Get("/", Fields(100)), 431, false, "-"},
        {"100 header fields", Get("/", Fields(99)), 200, true, "-"},
    };
    // The next request on the same connection, sent with the first: answered only when the
    // first keeps the connection alive, and then rightly.
    const std::string next = Get("/updates/tnewss.php?version=6.1.3",
                                 AuthField(kUpdatePassword) + "Connection: close\r\n");
    for (const HostileCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::size_t logged = server.LogLines().size();
        // Within 2 s: a refusal that waited for the 5 s head timeout would come too late.
        const std::string stream =
            RawExchange(server.Port(), c.request + next,
                        {.timeout = std::chrono::seconds(2), .untilClosed = true});
        const std::vector<Answer> answers = Answers(stream, c.request.starts_with("HEAD"));
        ASSERT_EQ(answers.size(), c.keepsAlive ? 2u : 1u) << stream.substr(0, 400);
        EXPECT_EQ(answers[0].status, c.status) << answers[0].head;
        EXPECT_TRUE(Contains(answers[0].head, "\r\nContent-Security-Policy: default-src 'none'"));
        EXPECT_TRUE(Contains(answers[0].body, c.page)) << answers[0].body;
        EXPECT_EQ(Contains(answers[0].head, "\r\nConnection: close\r\n"), !c.keepsAlive);
        EXPECT_EQ(Contains(answers[0].head, "\r\nAllow: GET, HEAD\r\n"), c.status == 405);
        if (c.keepsAlive)
        {
            EXPECT_TRUE(Contains(answers[1].body, "is the current version"));
        }
        const std::string line = server.LogLines(logged + 1)[logged];
        EXPECT_EQ(line.rfind("127.0.0.1 - " + std::string(c.user) + " [", 0), 0u) << line;
        EXPECT_FALSE(Contains(line, "Basic")) << line;

        EXPECT_EQ(testing::Fetch(server, "/").status, 200) << "a fresh client after it";
    }
}

// A connection that has sent `sent` and then waits for what the server does.
class Stalled
{
public:
    Stalled(int port, std::string_view sent)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int small = 4096; // so that answers nobody reads fill it soon
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        Send(sent);
    }
    ~Stalled() { ::close(m_fd); }
    Stalled(const Stalled&) = delete;
    Stalled& operator=(const Stalled&) = delete;

    /// False once the server has closed.
    bool Send(std::string_view bytes)
    {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) >= 0;
    }

    /// All the server sends until it closes, or nothing if it hasn't within `timeout`.
    std::optional<std::string> UntilClosed(std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string answer;
        for (char buffer[16384];;)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd watch{m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return answer;
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    int m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
};

TEST(HostileClientsTest, SlowClientsHoldUpNoOne)
{
    // One thread serves every connection, so any wait on a client would show.
    const TestServer server(testing::TestServerOptions{.threads = 1});
    const auto start = std::chrono::steady_clock::now();
    Stalled half(server.Port(), "GET /software/news/tnewsudb.php?region=usa&state=Tex");
    Stalled silent(server.Port(), "");
    Stalled trickling(server.Port(), "GET / HTTP/1.1\r\n");
    std::string pipelined;
    for (int i = 0; i < 2000; ++i)
        pipelined += Get(kTexas, AuthField(kListingPassword));
    Stalled neverReads(server.Port(), pipelined);

    // A slow client gains nothing by trickling: the head's time runs from its first byte.
    for (int i = 0; i < 25 && trickling.Send("x"); ++i)
    {
        EXPECT_EQ(testing::Fetch(server, "/").status, 200) << "a fresh client meanwhile";
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    for (Stalled* timedOut : {&half, &trickling})
    {
        const std::optional<std::string> answer = timedOut->UntilClosed(std::chrono::seconds(10));
        ASSERT_TRUE(answer.has_value()) << "a stalled head is never dropped";
        EXPECT_EQ(testing::RawStatus(*answer), 408) << *answer;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(7));
    EXPECT_EQ(silent.UntilClosed(std::chrono::seconds(10)), "");
    EXPECT_TRUE(neverReads.UntilClosed(std::chrono::seconds(20)).has_value())
        << "a client that reads nothing is never dropped";
    EXPECT_EQ(testing::Fetch(server, "/").status, 200);
}

TEST(HostileClientsTest, FullServerMakesRoomForFreshClients)
{
    // Two threads, so that connections are accepted while others are still being started.
    const TestServer server(testing::TestServerOptions{.threads = 2, .maxConnections = 8});
    for (std::string_view sent : {"", "GET / HTTP/1.0\r\n\r\n", "GET / HTTP/1.1\r\nHost: x"})
    {
        SCOPED_TRACE(sent); // silent, lingering after their last answer, or halfway through a head
        std::vector<std::unique_ptr<Stalled>> held;
        for (int i = 0; i < 8; ++i)
            held.push_back(std::make_unique<Stalled>(server.Port(), sent));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // As many fresh clients at once: each must make room for itself, not for another.
        std::vector<std::unique_ptr<Stalled>> fresh;
        for (int i = 0; i < 8; ++i)
            fresh.push_back(
                std::make_unique<Stalled>(server.Port(), Get("/", "Connection: close\r\n")));
        for (const auto& client : fresh)
        {
            const std::string answer = client->UntilClosed(std::chrono::seconds(1)).value_or("");
            EXPECT_EQ(testing::RawStatus(answer), 200) << answer.substr(0, 200);
        }
    }
}

} // namespace
} // namespace tnews::server
