// tnews-catalogue export: the catalogue for anyone to download, as CSV and as JSON, each with
// the licences of its sources and the notice that Local Memory's MIT licence requires.
#pragma once

#include "catalogue/catalogue_file.h"

#include <string>
#include <vector>

namespace tnews::catalogue
{

/// The papers as CSV (RFC 4180: CRLF line ends, every field quoted), after comment lines that
/// start with '#': what the data is, each source with its licence, and each source's notice.
/// Then a header row and one row per paper: region, place, city, name, kind, language,
/// website, feed, sources (comma-separated ids), checked_at and check ("ok", "failed" or
/// empty) from `checks`, then its evidence: earlier_addresses (separated by blanks), listed
/// ("id date" of each source, separated by "; "), alive and closed (the catalogue's signs of
/// life and closure reports, "; " between them), status ("live" or "reported closed", from
/// DecidePaperStatus with `checks`) and last_seen_alive ("date what").
std::string ExportCsv(const Catalogue& catalogue, const std::vector<LinkCheck>& checks);

/// The whole catalogue as JSON: {"title", "licence", "attribution", "sources": [...],
/// "aliases": [...], "rules": [...], "notes": [...], "newspapers": [...]}, regions named "canada",
/// "usa" and "international" as the directory server's URLs name them; each paper with its evidence
/// as the CSV has it, as arrays and objects.
std::string ExportJson(const Catalogue& catalogue, const std::vector<LinkCheck>& checks);

} // namespace tnews::catalogue
