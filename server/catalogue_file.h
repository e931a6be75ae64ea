// The newspaper catalogue file: one newspaper per line, each checked against the region
// catalogue of the program, so every listing URL the program sends has an answer.
#pragma once

#include "directory/catalogue.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

/// One newspaper of the catalogue file.
struct Newspaper
{
    const RegionInfo* region = nullptr; // never null once loaded
    std::string_view place;             // an entry of region->places, so it lives forever
    std::string name;
    std::string city;
    std::string website; // absolute http or https URL
};

/// An unreadable or malformed catalogue file; what() reads "file:line: problem".
class CatalogueError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// The newspapers of `text` in file order. Lines starting with '#' and blank lines are skipped;
/// every other line needs five TAB-separated fields: region code, place, name, city, website.
/// Throws CatalogueError naming `fileName` and the line for a wrong field count, an empty field,
/// blanks around a field, control characters, malformed UTF-8, an unknown region code or place,
/// a website that is not an http or https URL, a repeated (region, place, name), or no
/// newspaper at all. A CR before the LF is tolerated.
std::vector<Newspaper> ParseNewspapers(std::string_view text, std::string_view fileName);

/// ParseNewspapers over the contents of `file`; also throws CatalogueError if it can't be read.
std::vector<Newspaper> LoadNewspapers(const std::filesystem::path& file);

} // namespace tnews::server
