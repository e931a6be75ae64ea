#include "server_urls.h"

#include "catalogue.h"
#include "query_encoding.h"

namespace tnews
{

std::optional<std::string> KeywordSearchUrl(std::string_view code, std::string_view keywords,
                                            std::string_view host)
{
    std::optional<std::string> url = RegionQueryUrl(code, host);
    if (url)
        url->append("&skwords=").append(EncodeQueryValue(keywords));
    return url;
}

std::string VersionText(int major, int minor, int revision)
{
    return std::to_string(major) + '.' + std::to_string(minor) + '.' + std::to_string(revision);
}

std::string UpdateQueryUrl(std::int16_t major, std::int16_t minor, std::int16_t revision,
                           std::string_view host)
{
    std::string url = "http://";
    url.append(kUserName).append(":").append(kUpdatePassword).append("@").append(host);
    url.append("/updates/tnewss.php?version=").append(VersionText(major, minor, revision));
    return url;
}

std::string PublisherWebsiteUrl(std::string_view host)
{
    return "http://" + std::string(host) + "/";
}

} // namespace tnews
