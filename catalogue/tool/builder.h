// tnews-catalogue build: the curated list and the open data sets merged into one catalogue.
#pragma once

#include "import.h"

#include <filesystem>

namespace tnews::catalogue
{

/// Where the builder reads: the curated list, the folder of data sets as published
/// (data/sources: local-memory/, wikidata/, wikidata-items/, 3dlnews/, nz-newspapers/,
/// news-feeds/ and partisan-local-news/, each with its licence), the readers' reviewed
/// corrections, and optionally a checks file whose redirects join a paper's addresses.
struct BuildInputs
{
    std::filesystem::path curated;
    std::filesystem::path sources;
    std::filesystem::path corrections{}; // corrections_file.h; empty: none
    std::filesystem::path checks{};      // empty: none
};

/// What a build did, for its summary.
struct BuildSummary
{
    std::map<std::string, std::size_t> read;      // entries read per source
    std::map<std::string, std::size_t> papers;    // papers whose fields come from the source
    std::map<std::string, std::size_t> merged;    // entries merged into a paper listed before
    std::map<std::string, std::size_t> evidence;  // pieces of evidence that found their paper
    std::map<std::string, std::size_t> samePaper; // entries joined as one paper, by reason
    Tally dropped;
    Tally leftOut;
    std::size_t total = 0;
    std::size_t reportedClosed = 0; // papers whose evidence, without link checks, says closed
};

/// The catalogue built from `inputs`: every entry placed or left out with a reason, what is no
/// paper's own website and every partisan network's domain dropped, the same website
/// (WebsiteKey) listed once with curated entries and then the corrections' winning, each
/// paper's evidence attached (the corrections' closure reports too), the entries that are one
/// paper (SamePaper) joined, the corrections' moves, places and removals applied, the table's
/// rules, notes and other names added, and everything sorted so that the same inputs give the
/// same catalogue. Throws CatalogueError naming file and line (or entry) for any malformed
/// input.
Catalogue BuildCatalogue(const BuildInputs& inputs, BuildSummary& summary);

/// The summary as text for the terminal: papers per source, duplicates merged, what was
/// dropped and what was left out, by reason.
std::string FormatSummary(const BuildSummary& summary);

/// The source records the builder writes, with the licence texts the data sets in `sources`
/// carry as their notices.
std::vector<Source> SourceRecords(const std::filesystem::path& sources);

} // namespace tnews::catalogue
