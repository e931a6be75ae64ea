// What the directory server serves, as read from disk at start-up: the catalogue, the results
// of its latest link check, and the downloadable exports built beside it.
#pragma once

#include "catalogue/catalogue_file.h"
#include "file_content.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tnews::server
{

/// One downloadable file of the whole catalogue.
struct Export
{
    std::string fileName;    // "newspapers.csv", the name a browser saves it under
    std::string contentType; // "text/csv; charset=utf-8"
    // Null when the file was not there when the data was loaded; shared with the answers that
    // send it, which read it from the file.
    SharedFile content;
    // Its gzip form as the catalogue tool wrote it, the file name with ".gz", when there.
    SharedFile gzipContent;
};

struct SiteData
{
    catalogue::Catalogue catalogue;
    std::vector<catalogue::LinkCheck> checks; // every check of every website; may be empty
    std::vector<Export> exports;              // the CSV and the JSON export, in that order
};

/// The exports a server offers, by file name, with nothing loaded.
std::vector<Export> ExportSlots();

/// Loads `catalogueFile`, the checks file `checksFile` (empty: the one beside the catalogue,
/// catalogue::ChecksFileFor; none when it is absent) and the exports beside the catalogue (each
/// left empty when absent, opened to be read as it is served, with its ".gz" when there). Throws
/// catalogue::CatalogueError naming the file, and the line where there is one, for a malformed
/// catalogue or checks file, or for a file that exists but can't be read.
SiteData LoadSiteData(const std::filesystem::path& catalogueFile,
                      const std::filesystem::path& checksFile = {});

} // namespace tnews::server
