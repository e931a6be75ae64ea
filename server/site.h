// Request handling of the directory server, independent of any socket: a request in, a complete
// response out, so tests and fuzzers can drive it directly.
#pragma once

#include "encoded_page.h"
#include "page_cache.h"
#include "paper_items.h"
#include "search_store.h"
#include "site_data.h"
#include "tnews/build_config.h"
#include "version.h"

#include <chrono>
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
/// Processor time a search may take before it is stopped and answered 503: a hundred times what
/// the slowest search of a catalogue ten times today's takes.
inline constexpr std::chrono::milliseconds kSearchBudget{200};

/// How a Site answers, beyond what it serves.
struct SiteOptions
{
    /// host[:port] of the directory server as the program knows it; the update page links to
    /// the publisher's page there. Never taken from a request.
    std::string publicHost = std::string(DirectoryHost);
    std::chrono::nanoseconds searchBudget = kSearchBudget;
    /// Where readers' corrections go; it outlives the Site. Null: none are taken.
    CorrectionsStore* corrections = nullptr;
};

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
    std::string acceptEncoding; // Accept-Encoding fields, joined; "" if none
    std::string ifNoneMatch;    // If-None-Match fields, joined; "" if none
};

struct Response
{
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    // Never null. Shared with the Site where it keeps the page (listings, cached searches,
    // exports), so that answers waiting for slow clients hold no copies of it.
    SharedPage body = std::make_shared<const std::string>();
    // When not null, the body is this file's bytes, and `body` is empty: an export as it is.
    SharedFile file;
    std::string user; // for the access log: set only when the credentials were checked and right
    // For the error log: why the server could not answer (a 5xx it caused), "" otherwise. Never
    // holds what the client sent unescaped.
    std::string problem;

    /// The length of the body, wherever it is.
    std::uint64_t BodySize() const { return file ? file->Size() : body->size(); }
    /// The value of header `name` (exact case), or "" when absent.
    std::string_view Header(std::string_view name) const;
};

/// An HTML page answer with the security headers every page carries, sent as it is and kept
/// by no cache: a page made for one request.
Response HtmlResponse(int status, std::string body);

/// A complete HTML error response for `status` with the given explanation, carrying the same
/// security headers as every other answer and kept by no cache; used for errors the HTTP layer
/// detects itself.
Response ErrorResponse(int status, std::string_view message);

/// The directory server's answers over one catalogue. Immutable after construction, so any
/// number of threads may call Handle at once.
class Site
{
public:
    /// Renders and compresses every listing page and export and indexes the catalogue of
    /// `data` for search. `latest` is the newest program version, for the update script.
    /// Throws std::runtime_error if SQLite, ICU or zlib fails.
    Site(SiteData data, Version latest, SiteOptions options = {});
    ~Site();

    /// The answer to `request`; never throws. The correction forms answer as CorrectionDesk
    /// says, behind the listing credentials. Elsewhere methods other than GET and HEAD get 405,
    /// unknown paths and absent exports 404, missing or wrong credentials 401 (checked before
    /// any parameter), bad parameters 400, unknown places 404, a search over its budget 503 and
    /// a failure of the server's own 500, with `problem` set. A page comes gzipped when the
    /// request's Accept-Encoding prefers it, with its entity tag, a Cache-Control fit for its
    /// route, and 304 without a body when If-None-Match names it. A HEAD answer still carries
    /// the body; the HTTP layer drops it. An answer behind right credentials names their user.
    Response Handle(const Request& request) const noexcept;

    /// A page and what goes with it before the request chooses what is sent; see site.cpp.
    struct Reply;

private:
    Site(SiteData data, Version latest, SiteOptions options, const Alphabetical& order);

    Reply Route(const Request& request) const;
    Reply HandleDirectory(const RegionInfo& region, const Request& request) const;
    Reply HandleSearch(const RegionInfo& region, std::string_view typed,
                       const std::string* pageValue) const;
    Reply HandleUpdate(const Request& request) const;
    Reply HandleExport(std::string_view fileName) const;

    catalogue::Catalogue m_catalogue;
    CheckResults m_checks;
    std::vector<Export> m_exports;
    Version m_latest;
    SiteOptions m_options;
    std::unique_ptr<const SearchStore> m_store;                        // never null
    std::unordered_map<std::string, SharedEncodedPage> m_listingPages; // ListingKey -> page
    // The catalogue never changes while the server runs, so neither does a search's page.
    mutable PageCache m_searchPages{kSearchCacheBytes}; // SearchKey -> page
    SharedEncodedPage m_publisherPage;
    std::vector<SharedEncodedPage> m_exportPages; // of m_exports, null for those absent
    std::unique_ptr<CorrectionDesk> m_corrections;
};

} // namespace tnews::server
