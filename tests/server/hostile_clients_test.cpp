// The real server under hostile clients: oversized and malformed requests, invalid bytes in
// every parameter, paths that climb out, clients that stall halfway, and ten thousand such
// requests mixed with valid ones. Each hostile request gets a 4xx or a closed connection, each
// valid one its right answer, and the server keeps serving with bounded memory.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "server/utf8.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

namespace tnews::server
{
namespace
{

using testing::BasicAuth;
using testing::Contains;
using testing::RawExchange;
using testing::RawOptions;
using testing::RawStatus;
using testing::TestServer;

const std::string kTexas = "/software/news/tnewsudb.php?region=usa&state=Texas";

std::string AuthField(std::string_view password)
{
    return "Authorization: " + BasicAuth(kUserName, password).begin()->second + "\r\n";
}

// A GET of `target` with a Host field and `fields` (each ending in CR LF).
std::string Get(std::string_view target, std::string_view fields = {})
{
    return "GET " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + std::string(fields) +
           "\r\n";
}

std::string Fields(std::size_t count)
{
    std::string fields;
    for (std::size_t i = 0; i < count; ++i)
        fields += "X-Filler-" + std::to_string(i) + ": x\r\n";
    return fields;
}

std::string Base64Of(std::size_t bytes)
{
    return BasicAuth(std::string(bytes, 'u'), "p").begin()->second.substr(6);
}

struct HostileCase
{
    std::string what;
    std::string request;
    int status;
};

TEST(HostileClientsTest, OversizedAndMalformedRequestsGet4xx)
{
    const TestServer server;
    constexpr char kRawBytes[] = "Authorization: Basic \0\xFF\xFE==\r\n";
    const std::string rawAuthorization(kRawBytes, sizeof kRawBytes - 1);
    const std::string listing = AuthField(kListingPassword);
    const HostileCase cases[] = {
        {"no Authorization", Get(kTexas), 401},
        {"empty Authorization", Get(kTexas, "Authorization:\r\n"), 401},
        {"Authorization of raw bytes", Get(kTexas, rawAuthorization), 401},
        {"Authorization of %00", Get(kTexas, "Authorization: Basic %00%00\r\n"), 401},
        {"8 KB of base64", Get(kTexas, "Authorization: Basic " + Base64Of(6000) + "\r\n"), 401},
        {"Authorization past a field's 8192 bytes",
         Get(kTexas, "Authorization: Basic " + Base64Of(7000) + "\r\n"), 400},
        {"Authorization of 40 KB", Get(kTexas, "Authorization: Basic " + Base64Of(30000) + "\r\n"),
         431},
        {"1 MB query", Get(kTexas + "&skwords=" + std::string(1 << 20, 'a'), listing), 414},
        {"1 MB request line without an end", std::string(1 << 20, 'G'), 414},
        {"1 MB header field", Get(kTexas, listing + "X-Big: " + std::string(1 << 20, 'b') + "\r\n"),
         431},
        {"thousands of header fields", Get(kTexas, listing + Fields(5000)), 431},
        {"101 header fields", Get(kTexas, listing + Fields(99)), 431},
        {"request line of NUL bytes", std::string(64, '\0') + "\r\n\r\n", 400},
        {"no request line", "\r\n\r\n", 400},
        {"1 MB body",
         "POST / HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n" + std::string(1 << 20, 'x'), 413},
        {"chunked body of a GET",
         "GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nffffff\r\n" + std::string(1000, 'x'),
         200},
    };
    for (const HostileCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string answer = RawExchange(server.Port(), c.request);
        EXPECT_EQ(RawStatus(answer), c.status) << answer.substr(0, 200);
        // Whatever follows a refused head or an unread body is never read as a request.
        if (c.status == 413 || c.status == 414 || c.status == 431)
        {
            EXPECT_TRUE(Contains(answer, "\r\nConnection: close\r\n"));
        }
        EXPECT_TRUE(Contains(answer, "Content-Security-Policy: default-src 'none'"));
    }
    // One field fewer than the limit is still answered.
    EXPECT_EQ(RawStatus(RawExchange(server.Port(), Get(kTexas, listing + Fields(98)))), 200);
}

TEST(HostileClientsTest, BodyIsNeverReadAsTheNextRequest)
{
    const TestServer server;
    const std::string smuggled =
        Get("/updates/tnewss.php?version=1.0.0", AuthField(kUpdatePassword));
    const std::pair<std::string, std::string> cases[] = {
        {"GET with a Content-Length",
         "GET / HTTP/1.1\r\nContent-Length: " + std::to_string(smuggled.size()) + "\r\n\r\n"},
        {"GET with chunks", "GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"},
        {"POST",
         "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(smuggled.size()) + "\r\n\r\n"},
        {"two lengths", "GET / HTTP/1.1\r\nContent-Length: 0\r\nContent-Length: " +
                            std::to_string(smuggled.size()) + "\r\n\r\n"},
    };
    for (const auto& [what, head] : cases)
    {
        SCOPED_TRACE(what);
        const std::string answer =
            RawExchange(server.Port(), head + smuggled, RawOptions{.untilClosed = true});
        EXPECT_NE(RawStatus(answer), 0);
        EXPECT_TRUE(Contains(answer, "\r\nConnection: close\r\n")) << answer.substr(0, 300);
        EXPECT_FALSE(Contains(answer, "newer version")) << "the body was answered";
    }
}

TEST(HostileClientsTest, InvalidBytesInEveryParameterGet4xx)
{
    const TestServer server;
    struct Script
    {
        std::string path;
        std::string_view password;
        std::vector<std::pair<std::string, std::string>> params;
    };
    const Script scripts[] = {
        {"/software/news/tnewscdb.php",
         kListingPassword,
         {{"region", "canada"}, {"province", "Quebec"}}},
        {"/software/news/tnewsudb.php", kListingPassword, {{"region", "usa"}, {"state", "Texas"}}},
        {"/software/news/tnewsidb.php",
         kListingPassword,
         {{"region", "international"}, {"country", "S%C3%A9n%C3%A9gal"}}},
        {"/software/news/tnewsudb.php", kListingPassword, {{"region", "usa"}, {"skwords", "tex"}}},
        {"/updates/tnewss.php", kUpdatePassword, {{"version", "6.1.3"}}},
    };
    const std::string bad[] = {
        "%00",
        "Texas%00",
        "%00Texas",
        "%FF%FE",
        "%C3%28",
        "%ED%A0%80",
        "%C0%AF",
        "%F8%88%80%80%80",
        "%E2%80%AE",
        "..%2F..%2Fetc%2Fpasswd",
        "%",
        "%zz",
        "%0D%0ALocation:%20x",
    };
    for (const Script& script : scripts)
    {
        const httplib::Headers auth = BasicAuth(kUserName, script.password);
        for (std::size_t i = 0; i < script.params.size(); ++i)
        {
            for (const std::string& value : bad)
            {
                for (bool inKey : {false, true})
                {
                    std::string target = script.path;
                    for (std::size_t j = 0; j < script.params.size(); ++j)
                    {
                        const auto& [key, good] = script.params[j];
                        target += (j == 0 ? "?" : "&") + key + (j == i && inKey ? value : "") +
                                  "=" + (j == i && !inKey ? value : good);
                    }
                    SCOPED_TRACE(target);
                    const httplib::Response response = testing::Fetch(server, target, auth);
                    // Keywords are text to search for: any bytes get a page that shows them.
                    const bool keywords = script.params[i].first == "skwords" && !inKey;
                    if (keywords)
                        EXPECT_EQ(response.status, 200);
                    else
                        EXPECT_TRUE(response.status == 400 || response.status == 404)
                            << response.status;
                    testing::ExpectHtmlHeaders(response);
                    EXPECT_TRUE(IsValidUtf8(response.body));
                    EXPECT_FALSE(Contains(response.body, "\r\nLocation"));
                }
            }
        }
    }
}

TEST(HostileClientsTest, PathsThatClimbOutFindNothing)
{
    const TestServer server;
    const httplib::Headers auth = BasicAuth(kUserName, kListingPassword);
    const std::string paths[] = {
        "/../../../../etc/passwd",
        "/%2E%2E/%2E%2E/%2E%2E/etc/passwd",
        "/..%2F..%2F..%2Fetc%2Fpasswd",
        "/software/news/../../../etc/passwd",
        "/software/news/..%5C..%5Cetc%5Cpasswd",
        "/software/news/./tnewsudb.php?region=usa&state=Texas",
        "/software/news//tnewsudb.php?region=usa&state=Texas",
        "/updates/../software/news/tnewsudb.php?region=usa&state=Texas",
        "/software/news/tnewsudb.php/../tnewsudb.php?region=usa&state=Texas",
        "/software/news/tnewsudb.php%00.html?region=usa&state=Texas",
        "/" + std::string(4000, '.') + "/etc/passwd",
    };
    for (const std::string& path : paths)
    {
        SCOPED_TRACE(path);
        const httplib::Response response = testing::Fetch(server, path, auth);
        EXPECT_EQ(response.status, 404);
        EXPECT_FALSE(Contains(response.body, "root:"));
        EXPECT_FALSE(Contains(response.body, "Houston Chronicle"));
    }
}

// A connection that has sent `sent` and then waits for what the server does.
class Stalled
{
public:
    Stalled(int port, std::string_view sent)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                      ::send(m_fd, sent.data(), sent.size(), MSG_NOSIGNAL) ==
                          static_cast<ssize_t>(sent.size());
    }
    ~Stalled() { ::close(m_fd); }
    Stalled(const Stalled&) = delete;
    Stalled& operator=(const Stalled&) = delete;

    bool Connected() const { return m_connected; }

    /// Sends one more byte; false once the server has closed.
    bool Trickle() { return ::send(m_fd, "x", 1, MSG_NOSIGNAL) == 1; }

    /// All the server sends until it closes the connection, or nothing after `timeout`.
    std::optional<std::string> UntilClosed(std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string answer;
        for (;;)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd watch{m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char buffer[4096];
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return answer;
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

// Stalled clients of every kind, opened at once; ExpectDropped checks how each one ended.
struct StalledClients
{
    std::vector<std::unique_ptr<Stalled>> halfRequests;
    std::vector<std::unique_ptr<Stalled>> silent;

    StalledClients(int port, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
        {
            halfRequests.push_back(std::make_unique<Stalled>(
                port, "GET /software/news/tnewsudb.php?region=usa&state=Tex"));
            silent.push_back(std::make_unique<Stalled>(port, ""));
        }
    }

    void ExpectDropped()
    {
        for (auto& client : halfRequests)
        {
            const auto answer = client->UntilClosed(std::chrono::seconds(20));
            ASSERT_TRUE(answer.has_value()) << "a stalled request is never dropped";
            EXPECT_EQ(RawStatus(*answer), 408) << *answer;
        }
        for (auto& client : silent)
        {
            const auto answer = client->UntilClosed(std::chrono::seconds(20));
            ASSERT_TRUE(answer.has_value()) << "a silent connection is never dropped";
            EXPECT_EQ(*answer, "");
        }
    }
};

TEST(HostileClientsTest, StalledClientsHoldUpNoOne)
{
    // One thread serves every connection, so any wait on a client would show.
    const TestServer server(testing::TestServerOptions{.threads = 1});
    StalledClients stalled(server.Port(), 100);
    // A slow client gains nothing by trickling: the head's time runs from its first byte.
    Stalled trickling(server.Port(), "GET / HTTP/1.1\r\n");
    std::atomic<bool> dropped{false};
    std::thread trickler(
        [&]
        {
            while (trickling.Trickle())
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            dropped = true;
        });

    const httplib::Headers auth = BasicAuth(kUserName, kListingPassword);
    for (int i = 0; i < 50; ++i)
    {
        const httplib::Response response = testing::Fetch(server, kTexas, auth);
        ASSERT_EQ(response.status, 200);
        ASSERT_TRUE(Contains(response.body, "Houston Chronicle"));
    }
    EXPECT_FALSE(dropped) << "the trickling client was dropped before its time";

    stalled.ExpectDropped();
    const auto trickled = trickling.UntilClosed(std::chrono::seconds(20));
    trickler.join();
    ASSERT_TRUE(trickled.has_value());
    EXPECT_EQ(RawStatus(*trickled), 408);
}

std::size_t ProcessKilobytes(std::string_view field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.starts_with(field))
            return std::stoul(line.substr(field.size()));
    }
    return 0;
}

struct MixedRequest
{
    std::string what;
    std::string request;
    bool hostile;
    std::string fragment; // in a valid request's answer
    RawOptions options;
};

// Request `i` of the mix: every third one valid, the others cycling through hostile kinds.
MixedRequest MixedRequestNumber(std::size_t i)
{
    const std::string listing = AuthField(kListingPassword);
    const std::string update = AuthField(kUpdatePassword);
    if (i % 3 == 0)
    {
        switch (i / 3 % 4)
        {
        case 0:
            return {"listing", Get(kTexas, listing), false, "Houston Chronicle", {}};
        case 1:
            return {"search",
                    Get("/software/news/tnewsudb.php?region=usa&skwords=houst", listing),
                    false,
                    "Houston Chronicle",
                    {}};
        case 2:
            return {"update",
                    Get("/updates/tnewss.php?version=6.1.3", update),
                    false,
                    "is the current version",
                    {}};
        default:
            return {"publisher", Get("/"), false, "Tavi", {}};
        }
    }
    const RawOptions giveUp{.shutdownAfterSending = true};
    switch (i % 13)
    {
    case 1:
        return {"wrong password", Get(kTexas, AuthField(kUpdatePassword)), true, "", {}};
    case 2:
        return {"no credentials", Get(kTexas), true, "", {}};
    case 4:
        return {"malformed Basic", Get(kTexas, "Authorization: Basic %00\xFF\r\n"), true, "", {}};
    case 5:
        return {"huge Authorization",
                Get(kTexas, "Authorization: Basic " + Base64Of(40000) + "\r\n"),
                true,
                "",
                {}};
    case 7:
        if (i % 91 == 7)
        {
            return {"1 MB query",
                    Get(kTexas + "&skwords=" + std::string(1 << 20, 'q'), listing),
                    true,
                    "",
                    {}};
        }
        return {"64 KB query",
                Get(kTexas + "&skwords=" + std::string(1 << 16, 'q'), listing),
                true,
                "",
                {}};
    case 8:
        return {"thousands of headers", Get(kTexas, listing + Fields(3000)), true, "", {}};
    case 10:
        return {"invalid UTF-8 place",
                Get("/software/news/tnewsudb.php?region=usa&state=Tex%C3%28as", listing),
                true,
                "",
                {}};
    case 11:
        return {"%00 version", Get("/updates/tnewss.php?version=6.1.3%00", update), true, "", {}};
    case 12:
        // Refused before parsing; its first line must still not reach the log.
        return {"credentials first",
                listing.substr(0, listing.size() - 2) + std::string(9000, 'x'),
                true,
                "",
                {}};
    default:
        break;
    }
    switch (i % 4)
    {
    case 0:
        return {"../ path", Get("/software/news/../../etc/passwd", listing), true, "", {}};
    case 1:
        return {"half a request, then gone", "GET /software/news/tnewsudb.php?reg", true, "",
                giveUp};
    case 2:
        return {"garbage",
                std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xFC\x03\x03", 11) + "\r\n\r\n",
                true,
                "",
                {}};
    default:
        return {
            "POST with a body", "POST / HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello", true, "", {}};
    }
}

TEST(HostileClientsTest, TenThousandHostileRequestsAmongValidOnes)
{
    const TestServer server;
    StalledClients stalled(server.Port(), 50);

    // The peak from here on, over what the process holds now (clear_refs 5 resets the peak).
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::size_t before = ProcessKilobytes("VmRSS:");

    constexpr std::size_t kHostile = 10000;
    constexpr std::size_t kTotal = kHostile * 3 / 2;
    constexpr std::size_t kClients = 8;
    std::mutex mutex;
    std::vector<std::string> failures;
    std::size_t hostileSent = 0;
    std::vector<std::thread> clients;
    for (std::size_t c = 0; c < kClients; ++c)
    {
        clients.emplace_back(
            [&, c]
            {
                for (std::size_t i = c; i < kTotal; i += kClients)
                {
                    const MixedRequest mixed = MixedRequestNumber(i);
                    const std::string answer =
                        RawExchange(server.Port(), mixed.request, mixed.options);
                    const int status = RawStatus(answer);
                    const bool right = mixed.hostile
                                           ? (answer.empty() || (status >= 400 && status < 500))
                                           : (status == 200 && Contains(answer, mixed.fragment));
                    std::lock_guard lock(mutex);
                    hostileSent += mixed.hostile ? 1 : 0;
                    if (!right && failures.size() < 20)
                        failures.push_back(mixed.what + ": " + answer.substr(0, 120));
                }
            });
    }
    for (std::thread& client : clients)
        client.join();
    EXPECT_GE(hostileSent, kHostile);
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;

        // Nothing the server holds grows with the number of requests: buffers are capped per
        // connection, so the peak stays far below what the hostile requests carried.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr std::size_t kBoundKilobytes = 512 * 1024; // the sanitizers hold memory of their own
#else
    constexpr std::size_t kBoundKilobytes = 64 * 1024;
#endif
    const std::size_t peak = ProcessKilobytes("VmHWM:");
    EXPECT_LT(peak - std::min(peak, before), kBoundKilobytes)
        << "RSS before " << before << " kB, peak " << peak << " kB";

    stalled.ExpectDropped();
    for (const std::string& line : server.LogLines())
    {
        EXPECT_FALSE(Contains(line, kListingPassword)) << line;
        EXPECT_FALSE(Contains(line, kUpdatePassword)) << line;
        EXPECT_FALSE(Contains(line, "Basic")) << line;
    }
    const httplib::Response after =
        testing::Fetch(server, kTexas, BasicAuth(kUserName, kListingPassword));
    EXPECT_EQ(after.status, 200);
    EXPECT_TRUE(Contains(after.body, "Houston Chronicle"));
}

} // namespace
} // namespace tnews::server
