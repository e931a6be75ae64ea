// Newspapers of New Zealand (CC BY 3.0 NZ, from the National Library of New Zealand's
// Publications New Zealand metadata): one JSON file per title, data/papers/<id>.json.
#pragma once

#include "import.h"

#include <filesystem>

namespace tnews::catalogue
{

inline constexpr std::string_view kNzNewspapersSourceId = "nz-newspapers";

/// One title's record, as far as the catalogue uses it.
struct NzTitle
{
    std::string title;
    std::string place;     // its town
    bool current = false;  // the library lists it as still published
    std::string finalYear; // "2008"; "9999" or "19uu" when unknown
    std::string website;   // empty when it has none
    std::string revised;   // the day of the record's latest revision, "2014-05-07"
};

/// The title as a reader knows it: the library's "(1931)", "[2008]", "(Online)" or
/// "(Whitianga)" after a title, which tells records of one name apart, left off.
std::string UsualTitle(std::string_view title, std::string_view place);

/// Adds the library's current titles with a website to `import`, under New Zealand (the records
/// of one title's editions and mastheads merge where they share its website), and
/// its evidence about every website it gives: a sign of life where a current title has it, a
/// closure report with the latest final year where only titles no longer published have it.
/// `titles` are in the order read.
void AddNzTitles(const std::vector<NzTitle>& titles, Import& import);

/// The titles of the files in `folder` (data/papers), in byte order of file name; throws
/// CatalogueError naming the file for a malformed one.
std::vector<NzTitle> ReadNzTitles(const std::filesystem::path& folder);

} // namespace tnews::catalogue
