#include "about_text.h"

#include "directory/server_urls.h"

namespace tnews
{

std::string VersionCaption(std::int16_t major, std::int16_t minor, std::int16_t revision)
{
    return "Version: " + VersionText(major, minor, revision);
}

} // namespace tnews
