// Which addresses are a newspaper's own website: the table of addresses that are not (parked
// and suspended pages, directories, platforms, blog hosts without the paper's name), and the
// domains of partisan networks that no source may list as a newspaper.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tnews::catalogue
{

/// Why `url` is not the website of the paper called `name`, for the build's summary; nothing
/// when it may be. Social-media pages, domain-sale and parked pages, suspended hosting pages,
/// bare IP addresses, directories, shared platforms and portals are never a paper's own site;
/// a page on a blog or e-edition host is when its own part of the address (the labels before
/// the host's domain, and the path) carries a word of the paper's name: one of four letters or
/// more other than "news", "newspaper", "online", "daily" and "weekly".
std::optional<std::string> NotOwnSiteReason(std::string_view url, std::string_view name);

/// The domains of partisan networks of sites styled as local news.
class PartisanDomains
{
public:
    PartisanDomains() = default;

    /// The domains of the "domain" column of the CSV `text` (with a header row naming its
    /// columns); throws CatalogueError naming `fileName` and the row for a malformed file.
    static PartisanDomains Parse(std::string_view text, std::string_view fileName);

    /// True if the host of `url` is one of the domains or under one ("news.a.com" under "a.com").
    bool Lists(std::string_view url) const;

    std::size_t Size() const { return m_domains.size(); }

private:
    std::set<std::string, std::less<>> m_domains; // lower case, without "www."
};

} // namespace tnews::catalogue
