// tnews-catalogue check: whether each website still answers, with libcurl's multi interface.
#pragma once

#include "catalogue/catalogue_file.h"

#include <functional>
#include <string>
#include <vector>

namespace tnews::catalogue
{

struct CheckOptions
{
    std::size_t concurrency = 16; // requests in flight at once
    long timeoutSeconds = 20;     // for the whole of one request, redirects included
    long maxRedirects = 10;
    bool verifyTls = true;        // tests turn it off only to reach a TLS server at all
};

/// Checks every URL of `websites`, at most options.concurrency at a time, and calls `done`
/// with each result as it comes (in no particular order), on the calling thread. A site
/// counts as answering when the last response, after redirects, is 2xx. HEAD is asked first;
/// a site that answers HEAD with an error status is asked again with GET, since some servers
/// refuse HEAD. Never throws for a site's failure; each failure's detail says what happened.
void CheckWebsites(const std::vector<std::string>& websites, const CheckOptions& options,
                   const std::function<void(const LinkCheck&)>& done);

/// The current time in UTC as the checks file writes it: "2026-12-07T08:00:00Z".
std::string UtcNow();

/// True if `checkedAt` is within `days` days before `now` (both as UtcNow writes them).
bool CheckedWithin(const std::string& checkedAt, const std::string& now, int days);

} // namespace tnews::catalogue
