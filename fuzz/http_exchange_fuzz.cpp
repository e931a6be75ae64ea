// The raw request path without a socket: any bytes a client may send on a connection, through
// Beast's request parser, the server's limits and the Site, to the bytes it sends back and the
// access log lines it writes; the same Conversation serves every connection of the server.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "fuzz_check.h"
#include "fuzz_store.h"
#include "server/http_server.h"
#include "server/site.h"
#include "server/site_data.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using tnews::fuzz::Check;
using tnews::fuzz::Contains;
using namespace tnews::server;

namespace
{

std::vector<std::string> g_log;

const HttpServer& TheServer()
{
    static const Site site(LoadSiteData(TNEWS_FUZZ_CATALOGUE), Version{6, 1, 3},
                           SiteOptions{.corrections = &tnews::fuzz::FuzzStore()});
    static const HttpServer server(
        site, HttpOptions{1, [](const std::string& line) { g_log.push_back(line); }});
    return server;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view received(reinterpret_cast<const char*>(data), size);
    g_log.clear();
    const std::vector<std::string> answers = TheServer().Exchange(received);

    for (const std::string& answer : answers)
    {
        Check(answer.starts_with("HTTP/1.1 "), "the server answers in HTTP/1.1");
        Check(!answer.starts_with("HTTP/1.1 5"), "no request makes a server error");
        Check(Contains(answer, "\r\nContent-Security-Policy: default-src 'none'"),
              "every answer is one of the Site's pages");
        // Framed: the body is as long as announced, or absent (HEAD).
        const std::size_t end = answer.find("\r\n\r\n");
        const std::size_t field = answer.find("\r\nContent-Length: ");
        Check(end != std::string::npos && field < end, "every answer has a Content-Length");
        const std::string length = std::to_string(answer.size() - end - 4);
        Check(answer.size() == end + 4 || answer.compare(field + 18, length.size() + 2,
                                                         length + "\r\n") == 0,
              "every body is as long as its Content-Length says");
    }
    Check(g_log.size() == answers.size(), "every answer is logged, once");
    for (const std::string& line : g_log)
    {
        for (std::string_view password : {tnews::kListingPassword, tnews::kUpdatePassword})
        {
            Check(Contains(received, password) || !Contains(line, password),
                  "the log never holds a password sent only in an Authorization header");
        }
    }
    return 0;
}
