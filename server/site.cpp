#include "site.h"

#include "basic_auth.h"
#include "correction_desk.h"
#include "directory/server_urls.h"
#include "info_pages.h"
#include "keywords.h"
#include "listing_pages.h"
#include "search_pages.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace tnews::server
{
namespace
{

constexpr std::string_view kDirectoryPrefix = "/software/news/";
constexpr std::string_view kUpdatePath = "/updates/tnewss.php";
constexpr std::string_view kDirectoryRealm = "Tavi's Newspapers directory";
constexpr std::string_view kUpdateRealm = "Tavi's Newspapers updates";
constexpr std::string_view kKeywordKey = "skwords";
constexpr std::string_view kPageKey = "page";
// More pages than a search can have; a longer number is refused before it is read.
constexpr std::size_t kMaxPageDigits = 6;

Response HtmlResponse(int status, SharedPage body)
{
    Response response;
    response.status = status;
    // The pages load nothing, run nothing and only style themselves; say so to the browser.
    response.headers = {
        {"Content-Type", "text/html; charset=utf-8"},
        {"Content-Security-Policy",
         "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'"},
        {"X-Content-Type-Options", "nosniff"},
    };
    response.body = std::move(body);
    return response;
}

// A page number as a link writes it: 1 to 999999, without sign, blanks or leading zeros.
std::optional<std::size_t> ParsePageNumber(std::string_view text)
{
    if (text.empty() || text.size() > kMaxPageDigits || text.front() == '0' ||
        !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
    {
        return std::nullopt;
    }
    std::size_t page = 0;
    for (char c : text)
        page = page * 10 + static_cast<std::size_t>(c - '0');
    return page;
}

std::string_view StatusTitle(int status)
{
    switch (status)
    {
    case 400:
        return "Bad request";
    case 401:
        return "Authorization required";
    case 404:
        return "Not found";
    case 405:
        return "Method not allowed";
    case 413:
        return "Request too large";
    case 414:
        return "Address too long";
    case 500:
        return "Server error";
    default:
        return status >= 500 ? "Server error" : "Bad request";
    }
}

Response Unauthorized(std::string_view realm)
{
    Response response = ErrorResponse(
        401, "This page needs the user name and password that Tavi's Newspapers sends.");
    response.headers.emplace_back("WWW-Authenticate", "Basic realm=\"" + std::string(realm) + "\"");
    return response;
}

std::string Quoted(std::string_view text)
{
    return "\u201C" + std::string(text) + "\u201D";
}

// The last value of `key`, or nullptr when the query lacks it.
const std::string* FindParam(const Request& request, std::string_view key)
{
    const std::string* found = nullptr;
    for (const auto& [name, value] : request.query)
    {
        if (name == key)
            found = &value;
    }
    return found;
}

// A 400 response if one of `keys` is given more than once: the server refuses rather than
// guess which one the client meant.
std::optional<Response> RepeatedKeyError(const Request& request,
                                         std::initializer_list<std::string_view> keys)
{
    for (std::string_view key : keys)
    {
        const auto count = std::ranges::count(
            request.query, key, [](const auto& p) -> std::string_view { return p.first; });
        if (count > 1)
            return ErrorResponse(400, "The parameter " + Quoted(key) + " is given more than once.");
    }
    return std::nullopt;
}

// Only a plausible host[:port] goes into the link back to the publisher's page; anything else
// gets a relative link.
bool IsPlainHost(std::string_view host)
{
    return !host.empty() && host.size() <= 255 &&
           std::ranges::all_of(host,
                               [](char c)
                               {
                                   return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                          (c >= '0' && c <= '9') || c == '.' || c == '-' ||
                                          c == ':' || c == '[' || c == ']';
                               });
}

// The scripts check credentials before anything else and answer 401 exactly when they are
// missing or wrong, so any other answer of theirs was given to the user they name.
Response Authenticated(Response response)
{
    if (response.status != 401)
        response.user = kUserName;
    return response;
}

std::string ListingKey(const RegionInfo& region, std::string_view place)
{
    return std::string(region.code) + '\n' + std::string(place);
}

std::string SearchKey(const RegionInfo& region, std::string_view typed, std::size_t page)
{
    return std::to_string(page) + '\n' + ListingKey(region, typed);
}

// What the page of `place` shows: its own papers, or, without any, what its rule gives.
PlaceListing ListingOf(const catalogue::Catalogue& catalogue, const RegionInfo& region,
                       std::string_view place)
{
    PlaceListing listing{&region, place, nullptr, nullptr, {}, catalogue.sources};
    const auto note = std::ranges::find_if(catalogue.notes, [&](const catalogue::PlaceNote& n)
                                           { return n.region == &region && n.place == place; });
    if (note != catalogue.notes.end())
        listing.note = &*note;
    const auto papersOf = [&](std::string_view which)
    {
        for (const catalogue::Paper& paper : catalogue.papers)
        {
            if (paper.region == &region && paper.place == which)
                listing.papers.push_back(&paper);
        }
    };
    papersOf(place);
    if (!listing.papers.empty())
        return listing;
    const auto rule = std::ranges::find_if(catalogue.rules, [&](const catalogue::PlaceRule& r)
                                           { return r.region == &region && r.place == place; });
    if (rule == catalogue.rules.end())
        return listing;
    listing.rule = &*rule;
    if (rule->how == catalogue::PlaceRule::How::SameAs)
    {
        papersOf(rule->value);
    }
    else if (rule->how == catalogue::PlaceRule::How::Language)
    {
        for (const catalogue::Paper& paper : catalogue.papers)
        {
            if (paper.region == &region && catalogue::HasLanguage(paper, rule->value))
                listing.papers.push_back(&paper);
        }
    }
    return listing;
}

} // namespace

std::string_view Response::Header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
    {
        if (key == name)
            return value;
    }
    return {};
}

Response HtmlResponse(int status, std::string body)
{
    return HtmlResponse(status, std::make_shared<const std::string>(std::move(body)));
}

Response ErrorResponse(int status, std::string_view message)
{
    return HtmlResponse(status, ErrorPage(StatusTitle(status), message));
}

Site::Site(SiteData data, Version latest, CorrectionsStore* corrections)
    : Site(std::move(data), latest, corrections, Alphabetical())
{
}

Site::Site(SiteData data, Version latest, CorrectionsStore* corrections, const Alphabetical& order)
    : m_catalogue(std::move(data.catalogue)), m_checks(data.checks),
      m_exports(std::move(data.exports)), m_latest(latest), m_store(m_catalogue, order),
      m_corrections(std::make_unique<CorrectionDesk>(m_catalogue, corrections))
{
    // Listing pages never change while the server runs, so each is rendered once here.
    for (const RegionInfo& region : Regions())
    {
        for (std::string_view place : region.places)
        {
            m_listingPages.emplace(ListingKey(region, place),
                                   std::make_shared<const std::string>(ListingPage(
                                       ListingOf(m_catalogue, region, place), m_checks, order)));
        }
    }
    m_publisherPage = std::make_shared<const std::string>(
        PublisherPage(m_catalogue, m_checks, m_exports, m_latest));
}

Site::~Site() = default;

Response Site::Handle(const Request& request) const noexcept
{
    try
    {
        if (CorrectionDesk::Serves(request.path))
        {
            return Authenticated(
                HasBasicCredentials(request.authorization, kUserName, kListingPassword)
                    ? m_corrections->Answer(request)
                    : Unauthorized(kDirectoryRealm));
        }
        if (request.method != "GET" && request.method != "HEAD")
        {
            Response response = ErrorResponse(405, "The method " + Quoted(request.method) +
                                                       " is not allowed; use GET or HEAD.");
            response.headers.emplace_back("Allow", "GET, HEAD");
            return response;
        }
        if (request.path == "/")
            return HtmlResponse(200, m_publisherPage);
        if (request.path == kUpdatePath)
            return Authenticated(HandleUpdate(request));
        if (request.path.starts_with(kExportsPath))
            return HandleExport(std::string_view(request.path).substr(kExportsPath.size()));
        if (request.path.starts_with(kDirectoryPrefix))
        {
            const std::string_view script =
                std::string_view(request.path).substr(kDirectoryPrefix.size());
            for (const RegionInfo& region : Regions())
            {
                if (region.script == script)
                    return Authenticated(HandleDirectory(region, request));
            }
        }
        return ErrorResponse(404, "There is no page at " + Quoted(request.path) + ".");
    }
    catch (...)
    {
        // Only running out of memory or a broken SQLite gets here; the client learns nothing.
        return ErrorResponse(500, "The server could not answer this request.");
    }
}

Response Site::HandleDirectory(const RegionInfo& region, const Request& request) const
{
    if (!HasBasicCredentials(request.authorization, kUserName, kListingPassword))
        return Unauthorized(kDirectoryRealm);

    const std::string placeKey(region.placeKey);
    if (auto error = RepeatedKeyError(request, {"region", placeKey, kKeywordKey, kPageKey}))
        return *error;
    const std::string* regionValue = FindParam(request, "region");
    const std::string* place = FindParam(request, placeKey);
    const std::string* keywords = FindParam(request, kKeywordKey);
    const std::string* page = FindParam(request, kPageKey);
    const std::string expectedRegion = "region=" + std::string(region.regionValue);
    if (!regionValue)
        return ErrorResponse(400, "The parameter " + Quoted(expectedRegion) + " is missing.");
    if (*regionValue != region.regionValue)
    {
        return ErrorResponse(400, "The region " + Quoted(*regionValue) + " is not answered by " +
                                      std::string(region.script) + "; expected " +
                                      Quoted(expectedRegion) + ".");
    }
    if (place && keywords)
    {
        return ErrorResponse(400, "Give either " + Quoted(placeKey) + " or " + Quoted(kKeywordKey) +
                                      ", not both.");
    }
    if (place)
    {
        if (page)
        {
            return ErrorResponse(400, "The parameter " + Quoted(kPageKey) +
                                          " belongs to a keyword search; a listing is one page.");
        }
        auto listing = m_listingPages.find(ListingKey(region, *place));
        if (listing == m_listingPages.end())
        {
            return ErrorResponse(404, Quoted(*place) + " is not a " + placeKey + " of the " +
                                          std::string(RegionAdjective(region)) + " newspapers.");
        }
        return HtmlResponse(200, listing->second);
    }
    if (keywords)
        return HandleSearch(region, *keywords, page);
    return ErrorResponse(400, "The parameter " + Quoted(placeKey) + " or " + Quoted(kKeywordKey) +
                                  " is missing.");
}

Response Site::HandleSearch(const RegionInfo& region, std::string_view typed,
                           const std::string* pageValue) const
{
    if (typed.size() > kMaxKeywordBytes)
    {
        return ErrorResponse(400, "The keywords are too long (" + std::to_string(typed.size()) +
                                      " bytes); at most " + std::to_string(kMaxKeywordBytes) +
                                      " are searched.");
    }
    const std::optional<std::size_t> page = pageValue ? ParsePageNumber(*pageValue) : 1;
    if (!page)
    {
        return ErrorResponse(400, "The page " + Quoted(*pageValue) +
                                      " is not a page number; pages count from 1.");
    }
    const std::string key = SearchKey(region, typed, *page);
    if (SharedPage cached = m_searchPages.Find(key))
        return HtmlResponse(200, std::move(cached));
    const SearchResult result =
        m_store.Search(region, typed, (*page - 1) * kSearchPageSize, kSearchPageSize);
    if (!result.hasWords)
        return HtmlResponse(200, AskForWordPage(region, typed));
    // Only a link edited by hand leads past the last page; say so rather than guess.
    if (const std::size_t pages = SearchPageCount(result.total); *page > pages)
    {
        return ErrorResponse(400, "There is no page " + std::to_string(*page) +
                                      " of this search; its " + std::to_string(result.total) +
                                      " matches fill " + std::to_string(pages) +
                                      (pages == 1 ? " page." : " pages."));
    }
    auto html = std::make_shared<const std::string>(
        SearchPage(region, typed, *page, result, m_catalogue, m_checks));
    m_searchPages.Insert(key, html);
    return HtmlResponse(200, std::move(html));
}

Response Site::HandleExport(std::string_view fileName) const
{
    const auto file = std::ranges::find(m_exports, fileName, &Export::fileName);
    if (file == m_exports.end() || !file->bytes)
    {
        return ErrorResponse(404, "There is no export " + Quoted(fileName) +
                                      " on this server.");
    }
    Response response;
    response.headers = {
        {"Content-Type", file->contentType},
        {"Content-Disposition", "attachment; filename=\"" + file->fileName + "\""},
        {"Content-Security-Policy", "default-src 'none'"},
        {"X-Content-Type-Options", "nosniff"},
    };
    response.body = file->bytes;
    return response;
}

Response Site::HandleUpdate(const Request& request) const
{
    if (!HasBasicCredentials(request.authorization, kUserName, kUpdatePassword))
        return Unauthorized(kUpdateRealm);

    if (auto error = RepeatedKeyError(request, {"version"}))
        return *error;
    const std::string* version = FindParam(request, "version");
    if (!version)
        return ErrorResponse(400, "The parameter " + Quoted("version=A.B.C") + " is missing.");
    const std::optional<Version> running = ParseVersion(*version);
    if (!running)
    {
        return ErrorResponse(400, "The version " + Quoted(*version) +
                                      " is malformed; expected three numbers from 0 to 32767, "
                                      "as in " +
                                      FormatVersion(m_latest) + ".");
    }
    const std::string publisherUrl =
        IsPlainHost(request.host) ? PublisherWebsiteUrl(request.host) : std::string("/");
    return HtmlResponse(200, UpdatePage(*running, m_latest, publisherUrl));
}

} // namespace tnews::server
