// The server's request handling without a socket: Site::Handle with any method, path,
// Authorization value, Host and query, and the parsers behind it. Input lines: method, path,
// Authorization, Host, then one "key=value" per line with the value percent-decoded, so seeds
// can carry any byte.
#include "directory/catalogue.h"
#include "directory/query_encoding.h"
#include "directory/server_urls.h"
#include "fuzz_check.h"
#include "fuzz_store.h"
#include "server/basic_auth.h"
#include "server/html.h"
#include "server/keywords.h"
#include "server/site.h"
#include "server/site_data.h"
#include "directory/utf8.h"
#include "server/version.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using tnews::fuzz::Check;
using tnews::fuzz::Contains;
using namespace tnews::server;
using tnews::IsValidUtf8;

namespace
{

const Site& TheSite()
{
    static const Site site(LoadSiteData(TNEWS_FUZZ_CATALOGUE), Version{6, 1, 3},
                           SiteOptions{.corrections = &tnews::fuzz::FuzzStore()});
    return site;
}

std::string TakeLine(std::string_view& input)
{
    const std::size_t end = std::min(input.find('\n'), input.size());
    std::string line(input.substr(0, end));
    input.remove_prefix(std::min(end + 1, input.size()));
    return line;
}

std::string Decoded(std::string_view value)
{
    return tnews::DecodeQueryValue(value).value_or(std::string(value));
}

// True if `authorization` is Basic credentials decoding to exactly "tnewsuser:<password>".
bool Authorizes(std::string_view authorization, std::string_view password)
{
    const std::size_t blank = authorization.find(' ');
    if (blank == std::string_view::npos)
        return false;
    std::string_view token = authorization.substr(blank);
    token.remove_prefix(std::min(token.find_first_not_of(' '), token.size()));
    const auto decoded = DecodeBase64(token);
    return decoded && *decoded == std::string(tnews::kUserName) + ":" + std::string(password);
}

void CheckParsers(const Request& request)
{
    for (const auto& [key, value] : request.query)
    {
        if (const auto version = ParseVersion(value))
        {
            Check(version->major <= 32767 && version->minor <= 32767 && version->revision <= 32767,
                  "version parts fit 16 bits");
            Check(ParseVersion(FormatVersion(*version)) == version, "versions round-trip");
        }
        static const KeywordSplitter splitter;
        const Keywords keywords = splitter.Split(value);
        for (const Keyword& keyword : keywords)
        {
            Check(!keyword.text.empty() && keyword.text.find_first_of("\" *") == std::string::npos,
                  "a keyword is a word of the tokenizer, never empty or FTS syntax");
        }
        if (const auto match = MatchExpression(keywords))
        {
            Check(std::count(match->begin(), match->end(), '"') % 2 == 0,
                  "every word of a MATCH expression is a closed FTS string");
        }
        const std::string escaped = tnews::EscapeHtml(value);
        Check(IsValidUtf8(escaped), "escaped text is valid UTF-8");
        Check(escaped.find_first_of("<>\"'") == std::string::npos, "escaped text has no markup");
    }
    if (const auto user = BasicUserName(request.authorization))
        Check(!Contains(*user, ":"), "the logged user name never holds the password part");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Request request;
    request.method = TakeLine(input);
    request.path = Decoded(TakeLine(input));
    request.authorization = TakeLine(input);
    request.host = TakeLine(input);
    // A POST sends the rest, lines joined by "&", as a form's body too.
    if (request.method == "POST")
    {
        request.contentType = "application/x-www-form-urlencoded";
        request.body = input;
        std::replace(request.body.begin(), request.body.end(), '\n', '&');
    }
    while (!input.empty())
    {
        const std::string pair = TakeLine(input);
        const std::size_t equals = std::min(pair.find('='), pair.size());
        request.query.emplace_back(Decoded(pair.substr(0, equals)),
                                   Decoded(pair.substr(std::min(equals + 1, pair.size()))));
    }
    CheckParsers(request);

    const Response response = TheSite().Handle(request);
    Check(response.status == 200 || (response.status >= 400 && response.status < 500),
          "every answer is a page or a 4xx; never a server error");
    const bool download = response.status == 200 && request.path.starts_with("/exports/");
    Check(download || response.Header("Content-Type") == "text/html; charset=utf-8",
          "every answer but a download is HTML");
    Check(!download || response.Header("Content-Disposition").starts_with("attachment;"),
          "a download is an attachment");
    Check(IsValidUtf8(*response.body), "every page is valid UTF-8");
    Check(!Contains(*response.body, "<script"), "no page carries a script");

    const bool script =
        request.path.starts_with("/software/news/") || request.path == "/updates/tnewss.php";
    if (script && response.status != 401 && response.status != 405 && response.status != 404)
    {
        const std::string_view password = request.path.starts_with("/updates/")
                                              ? tnews::kUpdatePassword
                                              : tnews::kListingPassword;
        Check(Authorizes(request.authorization, password),
              "a script answers only with its own credentials");
    }
    for (std::string_view password : {tnews::kListingPassword, tnews::kUpdatePassword})
    {
        const bool typed = std::any_of(request.query.begin(), request.query.end(),
                                       [&](const auto& pair) {
                                           return Contains(pair.first, password) ||
                                                  Contains(pair.second, password);
                                       }) ||
                           Contains(request.path, password) || Contains(request.method, password) ||
                           Contains(request.host, password);
        Check(typed || !Contains(*response.body, password), "no page shows a password");
    }
    return 0;
}
