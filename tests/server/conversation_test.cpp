// The socket-free core fed in pieces: a request answered the same whether it arrives whole, a
// byte at a time or a line at a time, and a form read whole however it trickles in.
#include "server/conversation.h"
#include "test_server.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

using testing::Contains;

std::vector<std::string_view> Whole(std::string_view bytes)
{
    return {bytes};
}

std::vector<std::string_view> Bytes(std::string_view bytes)
{
    std::vector<std::string_view> pieces;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        pieces.push_back(bytes.substr(i, 1));
    return pieces;
}

// One field per piece, as a client that sends each line on its own would.
std::vector<std::string_view> Lines(std::string_view bytes)
{
    std::vector<std::string_view> pieces;
    while (!bytes.empty())
    {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size() - 1) + 1;
        pieces.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end);
    }
    return pieces;
}

// A GET whose head, empty line included, is `bytes` long, in fields of 100 bytes.
std::string HeadOfSize(std::size_t bytes)
{
    std::string head = "GET / HTTP/1.1\r\nHost: x\r\n";
    for (int i = 10; head.size() + 2 * 100 + 2 < bytes; ++i)
        head += "X-" + std::to_string(i) + ": " + std::string(94, 'a') + "\r\n";
    head += "X-Last: " + std::string(bytes - head.size() - 12, 'a') + "\r\n\r\n";
    return head;
}

std::string Form(std::string_view body)
{
    return "POST /corrections HTTP/1.1\r\nHost: x\r\nContent-Type: "
           "application/x-www-form-urlencoded; charset=UTF-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

struct PieceCase
{
    std::string what;
    std::string request;
    int status; // 0: whatever the Site answers
    bool keepsAlive;
};

TEST(ConversationTest, AnswersAlikeHoweverTheRequestArrives)
{
    const Site site(LoadSiteData(testing::FixtureCataloguePath()), Version{6, 1, 3});
    std::string fields;
    for (int i = 0; i < 101; ++i)
        fields += "X-" + std::to_string(i) + ": x\r\n";
    const PieceCase cases[] = {
        {"head of 8192 bytes", HeadOfSize(8192), 200, true},
        {"head of 8193 bytes", HeadOfSize(8193), 431, false},
        {"request line past 8 KiB", "GET /" + std::string(8200, 'a') + " HTTP/1.1\r\n", 414, false},
        {"101 fields", "GET / HTTP/1.1\r\nHost: x\r\n" + fields + "\r\n", 431, false},
        {"bare LF, head unfinished", "GET / HTTP/1.1\r\nHost: x\nX: y", 400, false},
        {"bare CR, head unfinished", "GET / HTTP/1.1\r\nHost: x\rX: y", 400, false},
        {"folded line", "GET / HTTP/1.1\r\nHost: x\r\nX: a\r\n\tb\r\n\r\n", 400, false},
        {"form", Form("a=1&b=%C3%A9"), 0, true},
    };
    const std::string next = "GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    for (const PieceCase& c : cases)
    {
        const std::string sent = c.request + next;
        for (const auto& [how, pieces] : {std::pair("whole", Whole(sent)),
                                          std::pair("by bytes", Bytes(sent)),
                                          std::pair("by lines", Lines(sent))})
        {
            SCOPED_TRACE(c.what + ", " + how);
            const std::vector<Exchanged> exchanged = Exchange(site, {}, pieces);
            ASSERT_EQ(exchanged.size(), c.keepsAlive ? 2u : 1u);
            EXPECT_TRUE(c.status == 0 ||
                        exchanged[0].answer.starts_with("HTTP/1.1 " + std::to_string(c.status)))
                << exchanged[0].answer.substr(0, 300);
            if (c.keepsAlive)
            {
                EXPECT_EQ(exchanged[0].request, c.request);
            }
        }
    }
}

TEST(ConversationTest, ReadsAFormInPiecesAndLogsAProblemOnce)
{
    std::vector<std::string> log;
    const LogFunction logFunction = [&](const std::string& line) { log.push_back(line); };
    Conversation conversation(logFunction, "192.0.2.7");
    const std::string form = Form("a=1&b=%C3%A9");
    std::string unread;
    std::optional<Request> request;
    for (const char byte : form)
    {
        unread += byte;
        Turn turn = conversation.Next(unread);
        unread.erase(0, turn.consumed);
        ASSERT_FALSE(turn.answer.has_value()) << unread;
        if ((request = std::move(turn.request)))
            break;
    }
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(unread, "");
    EXPECT_EQ(request->body, "a=1&b=%C3%A9");
    EXPECT_EQ(request->path, "/corrections");
    EXPECT_EQ(request->client, "192.0.2.7");

    Response response = ErrorResponse(503, "Try again.");
    response.problem = "the search took \"too\" long";
    const Answer answer = conversation.Reply(response);
    EXPECT_TRUE(answer.keep_alive());
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(Contains(log[0], "\"POST /corrections HTTP/1.1\" 503 ")) << log[0];
    EXPECT_EQ(log[1],
              "tnews-server: \"POST /corrections HTTP/1.1\": the search took \\x22too\\x22 long");
}

// Behind a trusted proxy the client is the one its X-Real-IP names, and only an address is taken
// from it; no other client can name itself so.
TEST(ConversationTest, TakesTheClientFromATrustedProxyOnly)
{
    struct Case
    {
        bool trusted;
        std::string field; // the X-Real-IP line, "" for none
        std::string client;
    };
    const Case cases[] = {
        {true, "X-Real-IP: 203.0.113.9\r\n", "203.0.113.9"},
        {true, "X-Real-IP: 2001:db8::1\r\n", "2001:db8::1"},
        {true, "", "127.0.0.1"},
        {true, "X-Real-IP: 203.0.113.9\" evil\r\n", "127.0.0.1"},
        {true, "X-Real-IP: 203.0.113.9\r\nX-Real-IP: 198.51.100.1\r\n", "127.0.0.1"},
        {false, "X-Real-IP: 203.0.113.9\r\n", "127.0.0.1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.field);
        std::vector<std::string> log;
        const LogFunction logFunction = [&](const std::string& line) { log.push_back(line); };
        Conversation conversation(logFunction, "127.0.0.1", c.trusted);
        Turn turn = conversation.Next("GET / HTTP/1.1\r\nHost: x\r\n" + c.field + "\r\n");
        ASSERT_TRUE(turn.request.has_value());
        EXPECT_EQ(turn.request->client, c.client);
        conversation.Reply(ErrorResponse(404, "No."));
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].rfind(c.client + " - - [", 0), 0u) << log[0];
    }
}

} // namespace
} // namespace tnews::server
