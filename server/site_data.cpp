#include "site_data.h"

#include <system_error>

namespace tnews::server
{
namespace
{

// The file opened, or nothing when there is none; a file that is there but can't be read is an
// error, not an absent export.
SharedFile OpenIfPresent(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return nullptr;
    try
    {
        return FileContent::Open(file);
    }
    catch (const std::system_error& failure)
    {
        throw catalogue::CatalogueError(failure.what());
    }
}

} // namespace

std::vector<Export> ExportSlots()
{
    return {
        {"newspapers.csv", "text/csv; charset=utf-8", nullptr, nullptr},
        {"newspapers.json", "application/json", nullptr, nullptr},
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
    {
        const std::filesystem::path path = catalogueFile.parent_path() / file.fileName;
        file.content = OpenIfPresent(path);
        if (file.content)
            file.gzipContent = OpenIfPresent(path.string() + ".gz");
    }
    return data;
}

} // namespace tnews::server
