// A temporary folder, and a small curated list and data sets in the layout of data/sources for
// the builder's and the exporter's tests.
#pragma once

#include "catalogue/catalogue_file.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tnews::catalogue::testing
{

/// A fresh temporary folder, removed with the object.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& file, const std::string& text); // makes its folders
std::string Slurp(const std::filesystem::path& file); // throws when it can't be read

/// `root`/curated.tsv and `root`/sources/{local-memory,wikidata}/...
void WriteFixture(const std::filesystem::path& root);

/// A paper's fields in the order of the export's columns, its sources joined by commas.
std::vector<std::string> Fields(const Paper& paper);

} // namespace tnews::catalogue::testing
