#include "site_data.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tnews::server
{
namespace
{

// The whole file, or nothing when there is none; a file that is there but can't be read is an
// error, not an absent export.
std::shared_ptr<const std::string> ReadIfPresent(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return nullptr;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream contents;
    if (in)
        contents << in.rdbuf();
    if (!in || in.bad() || std::filesystem::is_directory(file, error))
        throw catalogue::CatalogueError(file.string() + ": cannot read: " + std::strerror(errno));
    return std::make_shared<const std::string>(std::move(contents).str());
}

} // namespace

std::vector<Export> ExportSlots()
{
    return {
        {"newspapers.csv", "text/csv; charset=utf-8", nullptr},
        {"newspapers.json", "application/json", nullptr},
    };
}

SiteData LoadSiteData(const std::filesystem::path& catalogueFile,
                      const std::filesystem::path& checksFile)
{
    SiteData data;
    data.catalogue = catalogue::LoadCatalogue(catalogueFile);
    data.checks = catalogue::LoadCheckHistory(
        checksFile.empty() ? catalogue::ChecksFileFor(catalogueFile) : checksFile);
    data.exports = ExportSlots();
    for (Export& file : data.exports)
        file.bytes = ReadIfPresent(catalogueFile.parent_path() / file.fileName);
    return data;
}

} // namespace tnews::server
