// Whether a paper is live or reported closed, decided from its dated evidence: the newest
// evidence wins.
#pragma once

#include "catalogue_file.h"

#include <optional>
#include <span>
#include <string_view>

namespace tnews::catalogue
{

/// True if `date` is "YYYY", "YYYY-MM" or "YYYY-MM-DD", each part in its range.
bool IsEvidenceDate(std::string_view date);

/// True if every day that `later` may mean comes after every day that `earlier` may mean:
/// "2023" is after "2022-04-22", but "2022-05" is not after "2022". Both are evidence dates.
bool SurelyAfter(std::string_view later, std::string_view earlier);

/// True if `a` is the newer date: its last possible day later than `b`'s, or the same with a
/// later first day (the more precise).
bool IsNewerDate(std::string_view a, std::string_view b);

/// The sign of life that one link check gives: the day of a check that got a page from the
/// site it asked, redirects within that host allowed. Nothing for a failed check, nor for one
/// that ended on another host, which may be a new owner's site or a seller of domains.
std::optional<SignOfLife> SignOfLifeFromCheck(const LinkCheck& check);

/// What the evidence says of a paper.
struct PaperStatus
{
    bool reportedClosed = false;
    std::optional<SignOfLife> lastSeen;     // the newest first-hand sign of life, if any
    const ClosureReport* closure = nullptr; // the newest closure report, if any (in the paper)
};

/// The status of `paper` from its signs of life, those of `checks` (the checks of its website,
/// in any order) and its closure reports: reported closed when no sign of life, the curated
/// list's word included, is surely after its newest closure report, live otherwise (a live
/// paper still shows the report).
PaperStatus DecidePaperStatus(const Paper& paper, std::span<const LinkCheck> checks);

/// The source with the latest date among those that list `paper`, the first of equals; null
/// when `sources` defines none of them.
const Source* NewestListing(const Paper& paper, std::span<const Source> sources);

} // namespace tnews::catalogue
