#include "website_key.h"

#include "catalogue/text_fields.h"
#include "directory/ascii.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace tnews::catalogue
{
namespace
{

constexpr std::string_view kSocialMediaHosts[] = {
    "facebook.com", "fb.com",        "twitter.com", "x.com",      "instagram.com",
    "youtube.com",  "youtu.be",      "linkedin.com", "vk.com",    "t.me",
    "tiktok.com",   "pinterest.com", "flickr.com",  "myspace.com", "plus.google.com",
};

struct UrlParts
{
    std::string scheme, host, path, query;
};

std::string TakePart(CURLU* url, CURLUPart part)
{
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || !text)
        return {};
    std::string value(text);
    curl_free(text);
    return value;
}

std::optional<UrlParts> SplitUrl(std::string_view url)
{
    if (!IsWebUrl(url))
        return std::nullopt;
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), curl_url_cleanup);
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, std::string(url).c_str(), 0) !=
                       CURLUE_OK)
    {
        return std::nullopt;
    }
    UrlParts parts{TakePart(handle.get(), CURLUPART_SCHEME), TakePart(handle.get(), CURLUPART_HOST),
                   TakePart(handle.get(), CURLUPART_PATH), TakePart(handle.get(), CURLUPART_QUERY)};
    if (parts.host.empty())
        return std::nullopt;
    parts.host = AsciiLower(parts.host);
    return parts;
}

} // namespace

std::optional<std::string> UrlHost(std::string_view url)
{
    std::optional<UrlParts> parts = SplitUrl(url);
    if (!parts)
        return std::nullopt;
    return std::move(parts->host);
}

std::optional<std::string> WebsiteKey(std::string_view url)
{
    std::optional<UrlParts> parts = SplitUrl(url);
    if (!parts)
        return std::nullopt;
    std::string key = parts->host.starts_with("www.") ? parts->host.substr(4) : parts->host;
    std::string_view path = parts->path;
    while (path.ends_with('/'))
        path.remove_suffix(1);
    key += path;
    if (!parts->query.empty())
        key += "?" + parts->query;
    return key;
}

bool IsSocialMediaPage(std::string_view url)
{
    std::optional<UrlParts> parts = SplitUrl(url);
    if (!parts)
        return false;
    const std::string& host = parts->host;
    return std::ranges::any_of(kSocialMediaHosts, [&](std::string_view social)
                               {
                                   return host == social ||
                                          (host.size() > social.size() &&
                                           host.ends_with(social) &&
                                           host[host.size() - social.size() - 1] == '.');
                               });
}

} // namespace tnews::catalogue
