// tnews-catalogue build: the curated list and the open data sets merged into one catalogue.
#pragma once

#include "import.h"

#include <filesystem>

namespace tnews::catalogue
{

/// Where the builder reads: the curated list, the folder of data sets as published
/// (data/sources: local-memory/ with its LICENSE, wikidata/), and the readers' corrections.
struct BuildInputs
{
    std::filesystem::path curated;
    std::filesystem::path sources;
    std::filesystem::path corrections{}; // corrections_file.h; empty: none
};

/// What a build did, for its summary.
struct BuildSummary
{
    std::map<std::string, std::size_t> read;   // entries read per source
    std::map<std::string, std::size_t> papers; // papers whose fields come from the source
    std::map<std::string, std::size_t> merged; // entries merged into a paper listed before
    Tally dropped;
    Tally leftOut;
    std::size_t total = 0;
};

/// The catalogue built from `inputs`: every entry placed or left out with a reason, the same
/// website (WebsiteKey) listed once, curated entries winning, then the corrections' (added
/// papers, moves, places and removals), the table's rules and other names added, and everything sorted so that the same inputs give the same catalogue.
/// Throws CatalogueError naming file and line (or entry) for any malformed input.
Catalogue BuildCatalogue(const BuildInputs& inputs, BuildSummary& summary);

/// The summary as text for the terminal: papers per source, duplicates merged, what was
/// dropped and what was left out, by reason.
std::string FormatSummary(const BuildSummary& summary);

/// The source records the builder writes: the curated list, Local Memory with the licence
/// text from `localMemoryLicence`, and Wikidata.
std::vector<Source> SourceRecords(const std::filesystem::path& localMemoryLicence);

} // namespace tnews::catalogue
