// Request handling of the directory server, independent of any socket: a request in, a complete
// response out, so tests and fuzzers can drive it directly.
#pragma once

#include "catalogue_file.h"
#include "page_cache.h"
#include "search_store.h"
#include "version.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tnews::server
{

/// Results shown by a keyword search; a note says when there are more.
inline constexpr std::size_t kMaxSearchResults = 50;
/// Search pages kept for repeated searches, in bytes: some thousands of searches.
inline constexpr std::size_t kSearchCacheBytes = 4 * 1024 * 1024;

struct Request
{
    std::string method;                                     // "GET", "HEAD", ...
    std::string path;                                       // percent-decoded, without the query
    std::vector<std::pair<std::string, std::string>> query; // percent-decoded pairs
    std::string authorization;                              // Authorization header, "" if none
    std::string host;                                       // Host header, "" if none
};

struct Response
{
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string user; // for the access log: set only when the credentials were checked and right

    /// The value of header `name` (exact case), or "" when absent.
    std::string_view Header(std::string_view name) const;
};

/// A complete HTML error response for `status` with the given explanation, carrying the same
/// security headers as every other answer; used for errors the HTTP layer detects itself.
Response ErrorResponse(int status, std::string_view message);

/// The directory server's answers over one catalogue. Immutable after construction, so any
/// number of threads may call Handle at once.
class Site
{
public:
    /// Renders every listing page and indexes `newspapers` for search. `latest` is the newest
    /// program version, for the update script. Throws std::runtime_error if SQLite fails.
    Site(std::vector<Newspaper> newspapers, Version latest);

    /// The answer to `request`; never throws. Methods other than GET and HEAD get 405,
    /// unknown paths 404, missing or wrong credentials 401 (checked before any parameter),
    /// bad parameters 400 and unknown places 404. A HEAD answer still carries the body; the
    /// HTTP layer drops it. An answer behind right credentials names their user.
    Response Handle(const Request& request) const noexcept;

    /// The catalogue being served, in file order.
    const std::vector<Newspaper>& Newspapers() const { return m_newspapers; }

private:
    Response HandleDirectory(const RegionInfo& region, const Request& request) const;
    Response HandleSearch(const RegionInfo& region, std::string_view typed) const;
    Response HandleUpdate(const Request& request) const;

    std::vector<Newspaper> m_newspapers;
    Version m_latest;
    SearchStore m_store;
    std::unordered_map<std::string, std::string> m_listingPages; // ListingKey -> page
    // The catalogue never changes while the server runs, so neither does a search's page.
    mutable PageCache m_searchPages{kSearchCacheBytes}; // ListingKey of the typed text -> page
    std::string m_publisherPage;
};

} // namespace tnews::server
