// A small curated list and data sets in the layout of data/sources, written to a temporary
// folder, for the builder's and the exporter's tests.
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

/// Writes `text` to `file`, making its folders.
void WriteFile(const std::filesystem::path& file, const std::string& text);

/// The contents of `file`; empty when it can't be read.
std::string Slurp(const std::filesystem::path& file);

/// The fixture: `root`/curated.tsv and `root`/sources/{local-memory,wikidata}/...
void WriteFixture(const std::filesystem::path& root);

} // namespace tnews::catalogue::testing
