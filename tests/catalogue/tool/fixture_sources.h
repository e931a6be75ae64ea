// A temporary folder, and a small curated list and data sets in the layout of data/sources for
// the builder's and the exporter's tests.
#pragma once

#include <filesystem>
#include <string>

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
std::string Slurp(const std::filesystem::path& file); // empty when it can't be read

/// `root`/curated.tsv and `root`/sources/{local-memory,wikidata}/...
void WriteFixture(const std::filesystem::path& root);

} // namespace tnews::catalogue::testing
