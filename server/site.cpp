#include "site.h"

#include "basic_auth.h"
#include "correction_desk.h"
#include "directory/server_urls.h"
#include "html.h"
#include "info_pages.h"
#include "keywords.h"
#include "listing_pages.h"
#include "search_pages.h"

#include "directory/utf8.h"

#include <malloc.h>

#include <algorithm>
#include <future>
#include <initializer_list>
#include <map>
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

// Behind credentials: the user's own cache may keep a page for a minute, no shared one may.
constexpr std::string_view kPrivate = "private, max-age=60";
// The same for everyone: shared caches too, for five minutes, so a reload shows soon.
constexpr std::string_view kPublic = "public, max-age=300";
// Error pages say what was wrong with one request.
constexpr std::string_view kNoStore = "no-store";

using Headers = std::vector<std::pair<std::string, std::string>>;

// The pages load nothing, run nothing and only style themselves; say so to the browser, and ask
// Windows' browser component for its newest document mode, whose CSS the pages are written for.
Headers HtmlHeaders()
{
    return {
        {"Content-Type", "text/html; charset=utf-8"},
        {"Content-Security-Policy",
         "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'"},
        {"X-Content-Type-Options", "nosniff"},
        {"X-UA-Compatible", "IE=edge"},
    };
}

// Only printable ASCII of an exception's message goes to the error log, which a client must
// not be able to forge lines in.
std::string Printable(std::string_view text)
{
    std::string printable;
    for (char c : text.substr(0, 256))
        printable += c >= 0x20 && c < 0x7F ? c : '?';
    return printable;
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
    case 503:
        return "Server busy";
    case 500:
        return "Server error";
    default:
        return status >= 500 ? "Server error" : "Bad request";
    }
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

std::string ListingKey(const RegionInfo& region, std::string_view place)
{
    return std::string(region.code) + '\n' + std::string(place);
}

std::string SearchKey(const RegionInfo& region, std::string_view typed, std::size_t page)
{
    return std::to_string(page) + '\n' + ListingKey(region, typed);
}

using PapersByPlace =
    std::map<std::pair<const RegionInfo*, std::string_view>, std::vector<const catalogue::Paper*>>;

PapersByPlace GroupByPlace(const catalogue::Catalogue& catalogue)
{
    PapersByPlace places;
    for (const catalogue::Paper& paper : catalogue.papers)
        places[{paper.region, paper.place}].push_back(&paper);
    return places;
}

// What the page of `place` shows: its own papers, or, without any, what its rule gives.
PlaceListing ListingOf(const catalogue::Catalogue& catalogue, const PapersByPlace& byPlace,
                       const RegionInfo& region, std::string_view place)
{
    PlaceListing listing{&region, place, nullptr, nullptr, {}, catalogue.sources};
    const auto note = std::ranges::find_if(catalogue.notes, [&](const catalogue::PlaceNote& n)
                                           { return n.region == &region && n.place == place; });
    if (note != catalogue.notes.end())
        listing.note = &*note;
    const auto papersOf = [&](std::string_view which)
    {
        if (const auto found = byPlace.find({&region, which}); found != byPlace.end())
            listing.papers = found->second;
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

// A page with what goes with it, before the request's Accept-Encoding and If-None-Match choose
// what is sent.
struct Site::Reply
{
    int status = 200;
    SharedEncodedPage page;
    Headers headers; // those of the page's kind
    std::string_view cacheControl = kNoStore;
    std::string user;    // see Response::user
    std::string problem; // see Response::problem
};

namespace
{

using Reply = Site::Reply;

Reply HtmlReply(int status, SharedEncodedPage page, std::string_view cacheControl)
{
    return Reply{status, std::move(page), HtmlHeaders(), cacheControl, {}, {}};
}

Reply ErrorReply(int status, std::string_view message)
{
    return HtmlReply(status, PlainPage(ErrorPage(StatusTitle(status), message)), kNoStore);
}

// The response that sends `reply` to `request` (none: as it is): gzipped if the request
// prefers it, and 304 without a body when the request already has this page.
Response Finish(const Request* request, Reply reply)
{
    const bool varies = reply.page->HasGzip();
    const Coding coding =
        request ? ChooseCoding(request->acceptEncoding, varies) : Coding::Identity;
    const std::string& etag = reply.page->Etag(coding);
    Response response;
    response.user = std::move(reply.user);
    response.problem = std::move(reply.problem);
    // What a 304 keeps of the page's fields (RFC 9110, 15.4.5).
    Headers validators = {{"ETag", etag}, {"Cache-Control", std::string(reply.cacheControl)}};
    if (varies)
        validators.emplace_back("Vary", "Accept-Encoding");
    if (request && reply.status == 200 && NoneMatchNames(request->ifNoneMatch, etag))
    {
        response.status = 304;
        response.headers = std::move(validators);
        return response;
    }
    response.status = reply.status;
    response.headers = std::move(reply.headers);
    response.headers.insert(response.headers.end(), validators.begin(), validators.end());
    if (coding == Coding::Gzip)
        response.headers.emplace_back("Content-Encoding", "gzip");
    response.body = reply.page->Bytes(coding);
    response.file = reply.page->File(coding);
    return response;
}

Reply Unauthorized(std::string_view realm)
{
    Reply reply =
        ErrorReply(401, "This page needs the user name and password that Tavi's Newspapers sends.");
    reply.headers.emplace_back("WWW-Authenticate", "Basic realm=\"" + std::string(realm) + "\"");
    return reply;
}

// A 400 reply if one of `keys` is given more than once: the server refuses rather than guess
// which one the client meant.
std::optional<Reply> RepeatedKeyError(const Request& request,
                                      std::initializer_list<std::string_view> keys)
{
    for (std::string_view key : keys)
    {
        const auto count = std::ranges::count(
            request.query, key, [](const auto& p) -> std::string_view { return p.first; });
        if (count > 1)
            return ErrorReply(400, "The parameter " + Quoted(key) + " is given more than once.");
    }
    return std::nullopt;
}

// The scripts check credentials before anything else and answer 401 exactly when they are
// missing or wrong, so any other answer of theirs was given to the user they name.
template <typename Answer>
Answer Authenticated(Answer answer)
{
    if (answer.status != 401)
        answer.user = kUserName;
    return answer;
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
    return Finish(nullptr, HtmlReply(status, PlainPage(std::move(body)), kNoStore));
}

Response ErrorResponse(int status, std::string_view message)
{
    return Finish(nullptr, ErrorReply(status, message));
}

Site::Site(SiteData data, Version latest, SiteOptions options)
    : Site(std::move(data), latest, std::move(options), Alphabetical())
{
}

Site::Site(SiteData data, Version latest, SiteOptions options, const Alphabetical& order)
    : m_catalogue(std::move(data.catalogue)), m_checks(data.checks),
      m_exports(std::move(data.exports)), m_latest(latest), m_options(std::move(options)),
      m_corrections(std::make_unique<CorrectionDesk>(m_catalogue, m_options.corrections))
{
    // Start-up does three things apart: indexing for search, compressing the exports, the
    // largest files by far, and rendering the listing pages. Each takes a third or more of
    // it, so they run at once, the first two on threads of their own with an order of their
    // own (an Alphabetical serves one thread).
    auto store =
        std::async(std::launch::async, [this]
                   { return std::make_unique<const SearchStore>(m_catalogue, Alphabetical()); });
    auto exports =
        std::async(std::launch::async,
                   [this]
                   {
                       std::vector<SharedEncodedPage> pages;
                       for (const Export& file : m_exports)
                           pages.push_back(file.content ? EncodeFile(file.content, file.gzipContent)
                                                        : nullptr);
                       return pages;
                   });
    // Listing pages never change while the server runs, so each is rendered once here.
    const PapersByPlace byPlace = GroupByPlace(m_catalogue);
    for (const RegionInfo& region : Regions())
    {
        for (std::string_view place : region.places)
        {
            m_listingPages.emplace(
                ListingKey(region, place),
                EncodePage(
                    ListingPage(ListingOf(m_catalogue, byPlace, region, place), m_checks, order)));
        }
    }
    m_publisherPage = EncodePage(PublisherPage(m_catalogue, m_checks, m_exports, m_latest));
    m_exportPages = exports.get();
    m_store = store.get();
    // Start-up freed as much as it keeps (the catalogue's text, the index's filling, the
    // compressors' buffers); glibc keeps freed memory for later unless asked to hand it back.
    malloc_trim(0);
}

Site::~Site() = default;

Response Site::Handle(const Request& request) const noexcept
{
    try
    {
        if (CorrectionDesk::Serves(request.path))
        {
            // The forms are made for each request and answer POSTs: never compressed, cached
            // or answered 304.
            return HasBasicCredentials(request.authorization, kUserName, kListingPassword)
                       ? Authenticated(m_corrections->Answer(request))
                       : Finish(&request, Unauthorized(kDirectoryRealm));
        }
        return Finish(&request, Route(request));
    }
    catch (const std::exception& error)
    {
        // Running out of memory or a broken SQLite; the client learns nothing of it, the log
        // does.
        Response response = ErrorResponse(500, "The server could not answer this request.");
        response.problem = "the handler failed: " + Printable(error.what());
        return response;
    }
    catch (...)
    {
        Response response = ErrorResponse(500, "The server could not answer this request.");
        response.problem = "the handler failed";
        return response;
    }
}

Site::Reply Site::Route(const Request& request) const
{
    if (request.method != "GET" && request.method != "HEAD")
    {
        Reply reply = ErrorReply(405, "The method " + Quoted(request.method) +
                                          " is not allowed; use GET or HEAD.");
        reply.headers.emplace_back("Allow", "GET, HEAD");
        return reply;
    }
    if (request.path == "/")
        return HtmlReply(200, m_publisherPage, kPublic);
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
    return ErrorReply(404, "There is no page at " + Quoted(request.path) + ".");
}

Site::Reply Site::HandleDirectory(const RegionInfo& region, const Request& request) const
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
        return ErrorReply(400, "The parameter " + Quoted(expectedRegion) + " is missing.");
    if (*regionValue != region.regionValue)
    {
        return ErrorReply(400, "The region " + Quoted(*regionValue) + " is not answered by " +
                                   std::string(region.script) + "; expected " +
                                   Quoted(expectedRegion) + ".");
    }
    if (place && keywords)
    {
        return ErrorReply(400, "Give either " + Quoted(placeKey) + " or " + Quoted(kKeywordKey) +
                                   ", not both.");
    }
    if (place)
    {
        if (page)
        {
            return ErrorReply(400, "The parameter " + Quoted(kPageKey) +
                                       " belongs to a keyword search; a listing is one page.");
        }
        auto listing = m_listingPages.find(ListingKey(region, *place));
        if (listing == m_listingPages.end())
        {
            return ErrorReply(404, Quoted(*place) + " is not a " + placeKey + " of the " +
                                       std::string(RegionAdjective(region)) + " newspapers.");
        }
        return HtmlReply(200, listing->second, kPrivate);
    }
    if (keywords)
        return HandleSearch(region, *keywords, page);
    return ErrorReply(400, "The parameter " + Quoted(placeKey) + " or " + Quoted(kKeywordKey) +
                               " is missing.");
}

// A search page is rendered on the request that first asks for it, so it is compressed there,
// once, and kept compressed in the page cache for every later request.
Site::Reply Site::HandleSearch(const RegionInfo& region, std::string_view typed,
                               const std::string* pageValue) const
{
    if (const std::size_t characters = CodePointCount(typed); characters > kMaxKeywordCharacters)
    {
        return HtmlReply(
            400, PlainPage(TooManyCharactersPage(region, typed, characters, kMaxKeywordCharacters)),
            kNoStore);
    }
    const std::optional<std::size_t> page = pageValue ? ParsePageNumber(*pageValue) : 1;
    if (!page)
    {
        return ErrorReply(400, "The page " + Quoted(*pageValue) +
                                   " is not a page number; pages count from 1.");
    }
    const std::string key = SearchKey(region, typed, *page);
    if (SharedEncodedPage cached = m_searchPages.Find(key))
        return HtmlReply(200, std::move(cached), kPrivate);
    SearchResult result;
    try
    {
        result = m_store->Search(region, typed, (*page - 1) * kSearchPageSize, kSearchPageSize,
                                 m_options.searchBudget);
    }
    catch (const SearchOverBudget&)
    {
        Reply reply = ErrorReply(503, "This search took the server too long, so it was stopped. "
                                      "Try again later, or with longer or fewer words.");
        reply.problem = "search stopped at its budget of " +
                        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           m_options.searchBudget)
                                           .count()) +
                        " ms of processor time";
        return reply;
    }
    if (!result.hasWords)
        return HtmlReply(200, PlainPage(AskForWordPage(region, typed)), kPrivate);
    // Only a link edited by hand leads past the last page; say so rather than guess.
    if (const std::size_t pages = SearchPageCount(result.total); *page > pages)
    {
        return ErrorReply(400, "There is no page " + std::to_string(*page) +
                                   " of this search; its " + std::to_string(result.total) +
                                   " matches fill " + std::to_string(pages) +
                                   (pages == 1 ? " page." : " pages."));
    }
    SharedEncodedPage html =
        EncodePage(SearchPage(region, typed, *page, result, m_catalogue, m_checks),
                   Compression::Fast);
    m_searchPages.Insert(key, html);
    return HtmlReply(200, std::move(html), kPrivate);
}

Site::Reply Site::HandleExport(std::string_view fileName) const
{
    const auto file = std::ranges::find(m_exports, fileName, &Export::fileName);
    if (file == m_exports.end() || !file->content)
        return ErrorReply(404, "There is no export " + Quoted(fileName) + " on this server.");
    return Reply{200,
                 m_exportPages[static_cast<std::size_t>(file - m_exports.begin())],
                 {
                     {"Content-Type", file->contentType},
                     {"Content-Disposition", "attachment; filename=\"" + file->fileName + "\""},
                     {"Content-Security-Policy", "default-src 'none'"},
                     {"X-Content-Type-Options", "nosniff"},
                 },
                 kPublic,
                 {},
                 {}};
}

Site::Reply Site::HandleUpdate(const Request& request) const
{
    if (!HasBasicCredentials(request.authorization, kUserName, kUpdatePassword))
        return Unauthorized(kUpdateRealm);

    if (auto error = RepeatedKeyError(request, {"version"}))
        return *error;
    const std::string* version = FindParam(request, "version");
    if (!version)
        return ErrorReply(400, "The parameter " + Quoted("version=A.B.C") + " is missing.");
    const std::optional<Version> running = ParseVersion(*version);
    if (!running)
    {
        return ErrorReply(400, "The version " + Quoted(*version) +
                                   " is malformed; expected three numbers from 0 to 32767, "
                                   "as in " +
                                   FormatVersion(m_latest) + ".");
    }
    return HtmlReply(
        200, PlainPage(UpdatePage(*running, m_latest, PublisherWebsiteUrl(m_options.publicHost))),
        kPrivate);
}

} // namespace tnews::server
