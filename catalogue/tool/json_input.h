// Reading the data sets' JSON with nlohmann::json, with messages that say where input is bad.
#pragma once

#include "catalogue/catalogue_file.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::catalogue
{

/// The entries of `folder` that `keep` accepts, in byte order of name, so that the order of
/// reading doesn't depend on the file system; throws CatalogueError if it can't be listed.
std::vector<std::filesystem::path>
SortedEntries(const std::filesystem::path& folder,
              bool (*keep)(const std::filesystem::directory_entry&));

/// The whole contents of the gzip file `file`, uncompressed; throws CatalogueError "file:
/// problem" if it can't be read or is not a whole gzip file.
std::string ReadGzipFile(const std::filesystem::path& file);

/// The JSON document in `text`; throws CatalogueError "file:line: problem" for text that is not
/// JSON, a file cut short among them.
nlohmann::json ParseJson(std::string_view text, std::string_view fileName);

/// Where in a document a value is, for messages: "file: newspaper 3 (\"Albany News\")".
struct JsonPlace
{
    std::string_view fileName;
    std::string what;

    [[noreturn]] void Fail(std::string_view problem) const;

    /// The member `key` of `object`, which must be of `type`; a missing member counts as null,
    /// and null is allowed only when `optional`.
    const nlohmann::json& Member(const nlohmann::json& object, std::string_view key,
                                 nlohmann::json::value_t type, bool optional = false) const;
    /// The string member `key` (empty when optional and missing).
    std::string String(const nlohmann::json& object, std::string_view key,
                       bool optional = false) const;
};

} // namespace tnews::catalogue
