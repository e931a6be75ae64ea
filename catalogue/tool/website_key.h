// What makes two entries the same paper: their website's host and path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tnews::catalogue
{

/// The de-duplication key of a website: host in lower case without a leading "www.", then the
/// path without trailing slashes, then "?query" if there is one; the scheme, port, user and
/// fragment aside. Nothing for a URL that isn't absolute http or https.
std::optional<std::string> WebsiteKey(std::string_view url);

/// The host of an absolute http or https URL in lower case ("www.example.com"), or nothing.
std::optional<std::string> UrlHost(std::string_view url);

/// True if `url` is a page on a social-media site (Facebook, Twitter, Instagram, YouTube, ...)
/// rather than a paper's own website.
bool IsSocialMediaPage(std::string_view url);

} // namespace tnews::catalogue
