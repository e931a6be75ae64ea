// The real server under hostile clients: malformed, oversized and smuggling requests, and
// clients that stall, trickle, never read or hold every connection.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "fixture_sources.h"
#include "server/corrections_store.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>

namespace tnews::server
{
namespace
{

using testing::Contains;
using testing::TestServer;
using namespace std::string_view_literals;

const std::string kTexas = "/software/news/tnewsudb.php?region=usa&state=Texas";

std::string AuthField(std::string_view password)
{
    return "Authorization: " + testing::BasicAuth(kUserName, password).begin()->second + "\r\n";
}

// A request for `target` with a Host field and `fields` (each ending in CR LF).
std::string Get(std::string_view target, std::string_view fields = {},
                std::string_view method = "GET")
{
    return std::string(method) + ' ' + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
           std::string(fields) + "\r\n";
}

const std::string kSuggest = "/software/news/suggest.php?region=usa&state=Texas";
const std::string kReportUnlisted =
    "/software/news/report.php?region=usa&state=Texas&website=https://unlisted.example/";

// A POST to `target` (the suggest form by default) with `fields` (each ending in CR LF) and
// `body` as it is.
std::string Post(std::string_view fields, std::string_view body,
                 std::string_view target = kSuggest)
{
    return "POST " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
           AuthField(kListingPassword) + std::string(fields) + std::string(body);
}

// `data` as one chunk of a chunked body.
std::string Chunk(std::string_view data)
{
    char size[16];
    std::snprintf(size, sizeof size, "%zx\r\n", data.size());
    return size + std::string(data) + "\r\n";
}

std::string FormFields(std::size_t length, std::string_view type = "application/x-www-form-urlencoded")
{
    return "Content-Type: " + std::string(type) + "\r\nContent-Length: " + std::to_string(length) +
           "\r\n\r\n";
}

// A form sent with POST, with the given Content-Type and body.
std::string Form(std::string_view type, std::string_view body)
{
    return "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " + std::string(type) +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

int StatusOf(std::string_view answer)
{
    return answer.starts_with("HTTP/1.1 ") && answer.size() >= 12
               ? std::stoi(std::string(answer.substr(9, 3)))
               : 0;
}

// A loopback connection with a small receive buffer, so that answers nobody reads fill it soon.
class Connection
{
public:
    explicit Connection(int port, std::string_view sent = {})
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int small = 4096;
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        Send(sent);
    }
    ~Connection() { ::close(m_fd); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Sends what fits without waiting; false once the server has closed.
    bool Send(std::string_view bytes)
    {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) >= 0;
    }

    /// Reads at most `bytes` of what has arrived, adding their count to `read`; false once the
    /// server has reset the connection, whatever is still unread.
    bool Sip(std::size_t bytes, std::size_t& read)
    {
        pollfd state{m_fd, POLLIN, 0};
        if (::poll(&state, 1, 0) < 0 || (state.revents & (POLLERR | POLLHUP)) != 0)
            return false;
        char buffer[256];
        const ssize_t got = ::recv(m_fd, buffer, std::min(bytes, sizeof buffer), MSG_DONTWAIT);
        read += got > 0 ? static_cast<std::size_t>(got) : 0;
        return got > 0 || (got < 0 && errno == EAGAIN);
    }

    /// All the server sends until it closes, while sending `request` as it reads; nothing if the
    /// server hasn't closed within `timeout`.
    std::optional<std::string> UntilClosed(std::chrono::milliseconds timeout,
                                           std::string_view request = {})
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string answer;
        for (char buffer[16384];;)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd watch{m_fd, static_cast<short>(POLLIN | (request.empty() ? 0 : POLLOUT)), 0};
            if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            if ((watch.revents & POLLOUT) != 0)
            {
                const ssize_t put =
                    ::send(m_fd, request.data(), request.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                // Once the server has closed, only what it said is left to read.
                request.remove_prefix(put > 0 ? static_cast<std::size_t>(put) : request.size());
            }
            if ((watch.revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got < 0 && errno == EAGAIN)
                continue;
            if (got <= 0)
                return answer;
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    int m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
};

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
        const std::size_t end = stream.find("\r\n\r\n");
        const std::size_t field = stream.find("\r\nContent-Length: ");
        if (end == std::string_view::npos || field == std::string_view::npos || field > end)
        {
            ADD_FAILURE() << "not framed: " << stream.substr(0, 300);
            break;
        }
        const std::size_t length =
            answers.empty() && head ? 0 : std::stoul(std::string(stream.substr(field + 18, 12)));
        EXPECT_GE(stream.size(), end + 4 + length) << "cut short";
        answers.push_back({StatusOf(stream), std::string(stream.substr(0, end + 4)),
                           std::string(stream.substr(end + 4, length))});
        stream.remove_prefix(std::min(stream.size(), end + 4 + length));
    }
    return answers;
}

struct HostileCase
{
    std::string what;
    std::string request;
    int status;
    bool keepsAlive;         // else the connection closes after the answer, reading nothing more
    std::string_view user;   // in the log line: only behind the right credentials
    std::string_view page{}; // in the answer
};

TEST(HostileClientsTest, EachRequestGetsOneFramedAnswerAtOnce)
{
    const catalogue::testing::TempFolder state;
    CorrectionsStore store(state.Path());
    const TestServer server(testing::TestServerOptions{.site = {.corrections = &store}});
    const std::string listing = AuthField(kListingPassword);
    const std::string form = "name=Paper&website=https%3A%2F%2Fp.example%2F&town=Austin";
    const std::string chunked = "Content-Type: application/x-www-form-urlencoded\r\n"
                                "Transfer-Encoding: chunked\r\n\r\n";
    std::string ranges = "Range: bytes=0-";
    for (int i = 0; i < 1000; ++i)
        ranges += ",0-";
    std::string fields;
    for (int i = 0; i < 101; ++i)
        fields += "X-Filler-" + std::to_string(i) + ": x\r\n";
    // A request hidden in a body that the server must not skip: answered, it would come back 200.
    const std::string smuggled = Get("/updates/tnewss.php?version=6.1.3", AuthField(kUpdatePassword));
    const HostileCase cases[] = {
        {"Range ignored", Get(kTexas, listing + ranges + "\r\n"), 200, true, "tnewsuser",
         "Houston Chronicle"},
        {"HEAD", Get("/", "", "HEAD"), 200, true, "-"},
        {"HTTP/1.0", "GET / HTTP/1.0\r\n\r\n", 200, false, "-"},
        // The exports come from their files, a piece at a time: whole, then the next request.
        {"export", Get("/exports/newspapers.json"), 200, true, "-", "Houston Chronicle"},
        {"HEAD of an export", Get("/exports/newspapers.json", "", "HEAD"), 200, true, "-"},
        {"wrong password", Get(kTexas, AuthField(kUpdatePassword)), 401, true, "-"},
        {"unknown place", Get(kTexas + "x", listing), 404, true, "tnewsuser"},
        {"Expect", Get("/", "Expect: 100-continue\r\n"), 417, true, "-", "Expect"},
        {"unknown method", Get("/", "", "BREW"), 405, true, "-", "\u201CBREW\u201D"},
        {"body on GET", "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello", 400, false,
         "-"},
        {"chunked GET", "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello",
         400, false, "-"},
        {"body on HEAD", "HEAD / HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\n\r\nx", 400, false, "-"},
        {"GET with Transfer-Encoding: gzip", "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: gzip\r\n\r\n" + smuggled, 400, false, "-"},
        {"GET with Transfer-Encoding: identity", "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: identity\r\n\r\n" + smuggled, 400, false, "-"},
        {"GET with Transfer-Encoding: xchunked", "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: xchunked\r\n\r\n" + smuggled, 400, false, "-"},
        {"GET with Transfer-Encoding: ", "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: \r\n\r\n" + smuggled, 400, false, "-"},
        {"GET with Transfer-Encoding: chunked, identity", "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked, identity\r\n\r\n" + smuggled, 400, false, "-"},
        {"folded field", Get("/", "X-A: a\r\n\tb\r\n"), 400, false, "-", "folding"},
        {"blank after the request line", "GET / HTTP/1.1\r\n Host: x\r\n\r\n", 400, false, "-"},
        {"close in the second Connection field",
         Get("/", "Connection: keep-alive\r\nConnection: close\r\n"), 200, false, "-"},
        {"HEAD too long", "HEAD /" + std::string(9000, 'a'), 414, false, "-", ""},
        {"HEAD with fields too large", Get("/", "X-Big: " + std::string(9000, 'b') + "\r\n", "HEAD"),
         431, false, "-", ""},
        {"HEAD with a bare LF", "HEAD / HTTP/1.1\nHost: x\n\n", 400, false, "-", ""},
        {"encoded slash", Get("/software%2Fnews/tnewsudb.php?region=usa&state=Texas", listing), 400,
         true, "-", "%2F"},
        {"form read", Form("application/x-www-form-urlencoded", "a=1&b=%C3%A9"), 405, true, "-"},
        {"form over 4 KiB", Form("application/x-www-form-urlencoded", std::string(4097, 'a')), 413,
         false, "-"},
        {"form of another type", Form("text/plain", "a=1"), 415, false, "-"},
        {"chunked form",
         "POST / HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
         "Transfer-Encoding: chunked\r\n\r\n3\r\na=1\r\n0\r\n\r\n",
         411, false, "-"},
        {"two lengths",
         "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\nContent-Length: 5\r\n\r\n", 400, false,
         "-"},
        {"bare LF, head unfinished", "GET / HTTP/1.1\r\nHost: x\nX-Y: z", 400, false, "-", "CR LF"},
        {"bare CR, head unfinished", "GET / HTTP/1.1\r\nHost: x\rX-Y: z", 400, false, "-"},
        {"no Host", "GET / HTTP/1.1\r\n\r\n", 400, false, "-", "Host"},
        {"malformed query", Get(kTexas + "&skwords=%zz", listing), 400, true, "-",
         "two hexadecimal digits"},
        {"1 MB without a line end", std::string(1 << 20, 'G'), 414, false, "-"},
        {"header field of 9 KB", Get("/", "X-Big: " + std::string(9000, 'b') + "\r\n"), 431, false,
         "-"},
        {"101 header fields", Get("/", fields), 431, false, "-"},
        {"form", Post(FormFields(form.size()), form), 200, true, "tnewsuser", "Thank you"},
        {"the same form again", Post(FormFields(form.size()), form), 200, true, "tnewsuser",
         "Readers have sent the same website 2 times"},
        {"form in chunks",
         Post(chunked, Chunk(form.substr(0, 10)) + Chunk(form.substr(10)) + "0\r\n\r\n"), 411,
         false, "-"},
        {"form of 5000 bytes", Post(FormFields(5000), std::string(5000, 'x')), 413, false, "-"},
        {"form expecting 100 Continue", Post("Expect: 100-continue\r\n" + FormFields(form.size()), ""),
         417, false, "-", "Expect"},
        {"form as text/plain", Post(FormFields(form.size(), "text/plain"), form), 415, false, "-"},
        {"report on a paper not listed", Post(FormFields(form.size()), form, kReportUnlisted), 404,
         true, "tnewsuser", "No paper at"},
        {"report in chunks",
         Post(chunked, Chunk(form.substr(0, 10)) + "0\r\n\r\n", kReportUnlisted), 411, false, "-"},
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
        const std::optional<std::string> stream =
            Connection(server.Port()).UntilClosed(std::chrono::seconds(2), c.request + next);
        ASSERT_TRUE(stream.has_value()) << "not closed within 2 s";
        const std::vector<Answer> answers = Answers(*stream, c.request.starts_with("HEAD"));
        ASSERT_EQ(answers.size(), c.keepsAlive ? 2u : 1u) << stream->substr(0, 400);
        EXPECT_EQ(answers[0].status, c.status) << answers[0].head;
        EXPECT_TRUE(Contains(answers[0].head, "\r\nContent-Security-Policy: default-src 'none'"));
        EXPECT_TRUE(Contains(answers[0].body, c.page)) << answers[0].body;
        EXPECT_EQ(Contains(answers[0].head, "\r\nConnection: close\r\n"), !c.keepsAlive);
        EXPECT_EQ(Contains(answers[0].head, "\r\nAllow: GET, HEAD\r\n"), c.status == 405);
        EXPECT_TRUE(!c.keepsAlive || Contains(answers[1].body, "is the current version"));
        const std::string line = server.LogLines(logged + 1)[logged];
        EXPECT_EQ(line.rfind("127.0.0.1 - " + std::string(c.user) + " [", 0), 0u) << line;
        EXPECT_TRUE(Contains(line, "\" " + std::to_string(c.status) + " ")) << line;
        for (std::string_view secret : {"Basic"sv, kListingPassword, kUpdatePassword})
            EXPECT_FALSE(Contains(line, secret)) << line;

        EXPECT_EQ(testing::Fetch(server, "/").status, 200) << "a fresh client after it";
    }
}

TEST(HostileClientsTest, SlowClientsHoldUpNoOne)
{
    // One thread serves every connection, so any wait on a client would show.
    const TestServer server(testing::TestServerOptions{.threads = 1});
    const auto start = std::chrono::steady_clock::now();
    Connection half(server.Port(), "GET /software/news/tnewsudb.php?region=usa&state=Tex");
    Connection silent(server.Port());
    Connection trickling(server.Port(), "GET / HTTP/1.1\r\n");
    Connection slowBody(server.Port(), Post(FormFields(40), "name=Paper"));
    std::string pipelined;
    for (int i = 0; i < 2000; ++i)
        pipelined += Get(kTexas, AuthField(kListingPassword));
    Connection neverReads(server.Port(), pipelined);
    Connection sipping(server.Port(), pipelined);

    // A slow client gains nothing by trickling: the request's time runs from its first byte. Nor
    // by sipping its answers a few bytes at a time: each must go within a deadline of its own.
    std::size_t sipped = 0;
    for (int i = 0; i < 75 && sipping.Sip(16, sipped); ++i)
    {
        trickling.Send("x");
        if (i % 5 == 0)
        {
            EXPECT_EQ(testing::Fetch(server, "/").status, 200) << "a fresh client meanwhile";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(14))
        << "a client that reads " << sipped << " bytes at 80 bytes a second is never dropped";
    for (Connection* timedOut : {&half, &trickling, &slowBody, &silent})
        EXPECT_EQ(timedOut->UntilClosed(std::chrono::seconds(1)), "") << "a stalled request stays";
    EXPECT_TRUE(neverReads.UntilClosed(std::chrono::seconds(10)).has_value())
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
        std::vector<std::unique_ptr<Connection>> held;
        for (int i = 0; i < 8; ++i)
            held.push_back(std::make_unique<Connection>(server.Port(), sent));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // As many fresh clients at once: each must make room for itself, not for another.
        std::vector<std::unique_ptr<Connection>> fresh;
        for (int i = 0; i < 8; ++i)
            fresh.push_back(
                std::make_unique<Connection>(server.Port(), Get("/", "Connection: close\r\n")));
        for (const auto& client : fresh)
        {
            const std::string answer = client->UntilClosed(std::chrono::seconds(1)).value_or("");
            EXPECT_EQ(StatusOf(answer), 200) << answer.substr(0, 200);
        }
    }
}

TEST(HostileClientsTest, AFloodOfFormsFromOneAddressIsHeldToTenAnHour)
{
    const catalogue::testing::TempFolder state;
    CorrectionsStore store(state.Path());
    const TestServer server(testing::TestServerOptions{.site = {.corrections = &store}});
    std::string flood;
    for (int i = 0; i < 12; ++i)
    {
        const std::string form = "name=P&town=A&website=https%3A%2F%2Fp" + std::to_string(i) + ".example";
        flood += Post(FormFields(form.size()), form);
    }
    flood += Get(kTexas, AuthField(kListingPassword) + "Connection: close\r\n");
    const std::optional<std::string> stream =
        Connection(server.Port()).UntilClosed(std::chrono::seconds(10), flood);
    ASSERT_TRUE(stream.has_value());
    const std::vector<Answer> answers = Answers(*stream, false);
    ASSERT_EQ(answers.size(), 13u);
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(answers[i].status, i < 10 ? 200 : 429) << i;
    EXPECT_TRUE(Contains(answers[11].head, "\r\nRetry-After: "));
    EXPECT_EQ(answers[12].status, 200) << "the listing is still served";
    EXPECT_EQ(store.OpenItems().size(), 10u);
}

TEST(HostileClientsTest, FullTableTakesConnectionsEndingWhileOthersArrive)
{
    // Evictions cross with connections ending on both threads; scripts/test also runs this
    // under ThreadSanitizer.
    const TestServer server(testing::TestServerOptions{.threads = 2, .maxConnections = 4});
    std::vector<std::jthread> clients;
    for (int c = 0; c < 4; ++c)
    {
        clients.emplace_back(
            [&server, c]
            {
                for (int i = 0; i < 100; ++i)
                {
                    Connection connection(server.Port(), i % 3 == c % 3 ? "" : Get("/"));
                    if (i % 2 == 0)
                        connection.UntilClosed(std::chrono::milliseconds(i % 7));
                }
            });
    }
    clients.clear();
    EXPECT_EQ(testing::Fetch(server, "/").status, 200);
}

} // namespace
} // namespace tnews::server
