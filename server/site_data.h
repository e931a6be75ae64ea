// What the directory server serves, as read from disk at start-up: the catalogue, the results
// of its latest link check, and the downloadable exports built beside it.
#pragma once

#include "catalogue/catalogue_file.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tnews::server
{

/// One downloadable file of the whole catalogue.
struct Export
{
    std::string fileName;    // "newspapers.csv", the name a browser saves it under
    std::string contentType; // "text/csv; charset=utf-8"
    std::optional<std::string> bytes; // nothing when the file was not there at start-up
};

struct SiteData
{
    catalogue::Catalogue catalogue;
    std::vector<catalogue::LinkCheck> checks; // the latest check of each website; may be empty
    std::vector<Export> exports;              // the CSV and the JSON export, in that order
};

/// The exports a server offers, by file name, with nothing loaded.
std::vector<Export> ExportSlots();

/// Loads `catalogueFile`, the checks file beside it (catalogue::ChecksFileFor; none when it is
/// absent) and the exports beside it (each left empty when absent). Throws
/// catalogue::CatalogueError naming the file, and the line where there is one, for a malformed
/// catalogue or checks file, or for a file that exists but can't be read.
SiteData LoadSiteData(const std::filesystem::path& catalogueFile);

} // namespace tnews::server
