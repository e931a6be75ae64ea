// Request handling of the directory server, independent of any socket: a request in, a complete
// response out, so tests and fuzzers can drive it directly.
#pragma once

#include "page_cache.h"
#include "paper_items.h"
#include "search_store.h"
#include "site_data.h"
#include "version.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tnews::server
{

class CorrectionDesk;
class CorrectionsStore;

/// Search pages kept for repeated searches, in bytes: some thousands of searches.
inline constexpr std::size_t kSearchCacheBytes = 4 * 1024 * 1024;

struct Request
{
    std::string method;                                     // "GET", "HEAD", ...
    std::string path;                                       // percent-decoded, without the query
    std::vector<std::pair<std::string, std::string>> query; // percent-decoded pairs
    std::string authorization;                              // Authorization header, "" if none
    std::string host;                                       // Host header, "" if none
    std::string client;         // the client's address as the socket has it, "" when unknown
    std::string contentType;    // Content-Type header, "" if none
    std::string body;           // the request's body, whole; "" when it has none
    std::string origin;         // Origin header, "" if none
    std::string referer;        // Referer header, "" if none
    std::string acceptEncoding; // Accept-Encoding header, "" if none
    std::string ifNoneMatch;    // If-None-Match header, "" if none
};

struct Response
{
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    // Never null. Shared with the Site where it keeps the page (listings, cached searches,
    // exports), so that answers waiting for slow clients hold no copies of it.
    SharedPage body = std::make_shared<const std::string>();
    std::string user; // for the access log: set only when the credentials were checked and right
    // For the error log: why the server could not answer (a 5xx it caused), "" otherwise. Never
    // holds what the client sent unescaped.
    std::string problem;

    /// The value of header `name` (exact case), or "" when absent.
    std::string_view Header(std::string_view name) const;
};

/// An HTML page answer with the security headers every page carries.
Response HtmlResponse(int status, std::string body);

/// A complete HTML error response for `status` with the given explanation, carrying the same
/// security headers as every other answer; used for errors the HTTP layer detects itself.
Response ErrorResponse(int status, std::string_view message);

/// The directory server's answers over one catalogue. Immutable after construction, so any
/// number of threads may call Handle at once.
class Site
{
public:
    /// Renders every listing page and indexes the catalogue of `data` for search. `latest` is
    /// the newest program version, for the update script. Readers' corrections go to
    /// `corrections`, which outlives the Site (null: none are taken). Throws std::runtime_error
    /// if SQLite or ICU fails.
    Site(SiteData data, Version latest, CorrectionsStore* corrections = nullptr);
    ~Site();

    /// The answer to `request`; never throws. The correction forms answer as CorrectionDesk
    /// says, behind the listing credentials. Elsewhere methods other than GET and HEAD get 405,
    /// unknown paths and absent exports 404, missing or wrong credentials 401 (checked before
    /// any parameter), bad parameters 400 and unknown places 404. A HEAD answer still carries
    /// the body; the HTTP layer drops it. An answer behind right credentials names their user.
    Response Handle(const Request& request) const noexcept;

    /// The catalogue being served.
    const catalogue::Catalogue& GetCatalogue() const { return m_catalogue; }

private:
    Site(SiteData data, Version latest, CorrectionsStore* corrections, const Alphabetical& order);

    Response HandleDirectory(const RegionInfo& region, const Request& request) const;
    Response HandleSearch(const RegionInfo& region, std::string_view typed,
                          const std::string* pageValue) const;
    Response HandleUpdate(const Request& request) const;
    Response HandleExport(std::string_view fileName) const;

    catalogue::Catalogue m_catalogue;
    CheckResults m_checks;
    std::vector<Export> m_exports;
    Version m_latest;
    SearchStore m_store;
    std::unordered_map<std::string, SharedPage> m_listingPages; // ListingKey -> page
    // The catalogue never changes while the server runs, so neither does a search's page.
    mutable PageCache m_searchPages{kSearchCacheBytes}; // SearchKey -> page
    SharedPage m_publisherPage;
    std::unique_ptr<CorrectionDesk> m_corrections;
};

} // namespace tnews::server
