#include "site_rules.h"

#include "catalogue/catalogue_file.h"
#include "catalogue/text_fields.h"
#include "directory/ascii.h"
#include "import.h"
#include "website_key.h"

#include <csv.h>

#include <algorithm>
#include <vector>

namespace tnews::catalogue
{
namespace
{

enum class HostKind
{
    ForSale,   // a domain seller's or parking page: the name itself is on offer
    Platform,  // one platform's page for many papers, no site of the paper's own
    Directory, // a directory, archive, search engine or portal that lists papers
    Group,     // a publishing group's own site rather than one of its papers'
    Hosted,    // a blog, site-builder or e-edition host: the paper's if it carries its name
};

struct HostRule
{
    std::string_view domain; // the host or what it ends in; "blogspot." for any of its domains
    HostKind kind;
};

// The first rule whose domain the host is, or ends in, applies. Every entry here came from
// the data sets' own addresses (3DLNews above all); see data/README.md.
constexpr HostRule kHostRules[] = {
    {"hugedomains.com", HostKind::ForSale},
    {"afternic.com", HostKind::ForSale},
    {"buydomains.com", HostKind::ForSale},
    {"dan.com", HostKind::ForSale},
    {"sedo.com", HostKind::ForSale},
    {"zwire.com", HostKind::Platform},
    {"bcentral.com", HostKind::Platform},
    {"newspaperdirect.com", HostKind::Platform},
    {"topix.com", HostKind::Directory},
    {"topix.net", HostKind::Directory},
    {"smalltownpapers.com", HostKind::Directory},
    {"allbanglanewspapers.com", HostKind::Directory},
    // National libraries' archives of digitised issues: a paper's past, not its site.
    {"bnf.fr", HostKind::Directory},
    {"loc.gov", HostKind::Directory},
    {"nla.gov.au", HostKind::Directory},
    {"bn.gov.br", HostKind::Directory},
    {"retronews.fr", HostKind::Directory},
    {"sites.google.com", HostKind::Hosted},
    {"google.com", HostKind::Directory},
    {"cnhi.com", HostKind::Group},
    {"fairfaxmedia.co.nz", HostKind::Group},
    {"blogspot.", HostKind::Hosted},
    {"wordpress.com", HostKind::Hosted},
    {"weebly.com", HostKind::Hosted},
    {"squarespace.com", HostKind::Hosted},
    {"wixsite.com", HostKind::Hosted},
    {"wix.com", HostKind::Hosted},
    {"webs.com", HostKind::Hosted},
    {"homestead.com", HostKind::Hosted},
    {"tripod.com", HostKind::Hosted},
    {"angelfire.com", HostKind::Hosted},
    {"tumblr.com", HostKind::Hosted},
    {"medium.com", HostKind::Hosted},
    {"issuu.com", HostKind::Hosted},
    {"newsmemory.com", HostKind::Hosted},
    {"realviewdigital.com", HostKind::Hosted},
};

constexpr std::string_view kReasons[] = {
    "a domain-sale or parking page",
    "a page of a platform that hosts many papers",
    "a page of a directory, archive or portal",
    "a publishing group's own site",
    "a blog or e-edition host's page without the paper's name",
};

// Where `domain` sits at the end of `host` (a whole label), or npos.
std::size_t DomainAt(std::string_view host, std::string_view domain)
{
    if (domain.ends_with('.'))
    {
        const std::size_t at = host.find("." + std::string(domain));
        return at == std::string_view::npos ? at : at + 1;
    }
    if (host == domain)
        return 0;
    if (host.ends_with(domain) && host[host.size() - domain.size() - 1] == '.')
        return host.size() - domain.size();
    return std::string_view::npos;
}

// Lower-case ASCII letters and digits of `text`, nothing else.
std::string Compact(std::string_view text)
{
    std::string compact;
    for (char c : text)
    {
        const char lower = AsciiLower(c);
        if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9'))
            compact += lower;
    }
    return compact;
}

// The words of a name that an address carrying the name would spell: those of four letters
// or more, in lower case, but for the words that name no paper on their own. Words with
// letters beyond ASCII are left out: an address can't be compared with them.
std::vector<std::string> NameWords(std::string_view name)
{
    constexpr std::string_view kCommon[] = {"news", "newspaper", "online", "daily", "weekly"};
    std::vector<std::string> words;
    for (std::string_view word : SplitFields(name, ' '))
    {
        const bool ascii = std::ranges::all_of(word, [](char c) { return (c & 0x80) == 0; });
        std::string compact = Compact(word);
        if (ascii && compact.size() >= 4 &&
            std::ranges::find(kCommon, compact) == std::end(kCommon))
            words.push_back(std::move(compact));
    }
    return words;
}

bool IsIpAddress(std::string_view host)
{
    return host.starts_with('[') ||
           std::ranges::all_of(host, [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

} // namespace

std::optional<std::string> NotOwnSiteReason(std::string_view url, std::string_view name)
{
    if (IsSocialMediaPage(url))
        return "a social-media page as website";
    const std::string host = WebsiteHost(url);
    if (host.empty())
        return std::nullopt; // not a web URL: the readers say so themselves
    const std::string lower = AsciiLower(url);
    if (host.starts_with("suspended.") ||
        lower.find("/cgi-sys/suspendedpage.cgi") != std::string::npos)
        return "a suspended hosting page";
    if (IsIpAddress(host))
        return "an IP address rather than a site's name";
    for (const HostRule& rule : kHostRules)
    {
        const std::size_t at = DomainAt(host, rule.domain);
        if (at == std::string_view::npos)
            continue;
        if (rule.kind != HostKind::Hosted)
            return std::string(kReasons[static_cast<std::size_t>(rule.kind)]);
        // A name without a word to compare is given the benefit of the doubt.
        const std::vector<std::string> words = NameWords(name);
        const std::string_view rest = std::string_view(url).substr(url.find("://") + 3);
        const std::size_t slash = rest.find_first_of("/?#");
        const std::string own = Compact(std::string_view(host).substr(0, at)) +
                                Compact(slash == std::string_view::npos ? "" : rest.substr(slash));
        if (words.empty() || std::ranges::any_of(words, [&](const std::string& word)
                                                 { return own.find(word) != std::string::npos; }))
        {
            return std::nullopt;
        }
        return std::string(kReasons[static_cast<std::size_t>(HostKind::Hosted)]);
    }
    return std::nullopt;
}

PartisanDomains PartisanDomains::Parse(std::string_view text, std::string_view fileName)
{
    struct Reader
    {
        std::vector<std::vector<std::string>> rows{{}};
    } reader;
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL) != 0)
        throw CatalogueError(std::string(fileName) + ": can't start the CSV reader");
    const auto field = [](void* data, std::size_t size, void* context)
    { static_cast<Reader*>(context)->rows.back().emplace_back(static_cast<char*>(data), size); };
    const auto row = [](int, void* context) { static_cast<Reader*>(context)->rows.emplace_back(); };
    const bool parsed =
        csv_parse(&parser, text.data(), text.size(), field, row, &reader) == text.size() &&
        csv_fini(&parser, field, row, &reader) == 0;
    const std::string error = parsed ? "" : csv_strerror(csv_error(&parser));
    csv_free(&parser);
    reader.rows.pop_back(); // the row the last line break opened
    if (!parsed)
    {
        throw CatalogueError(std::string(fileName) + ": row " + std::to_string(reader.rows.size()) +
                             ": not valid CSV: " + error);
    }
    if (reader.rows.empty())
        throw CatalogueError(std::string(fileName) + ": no header row");
    const auto column = std::ranges::find(reader.rows.front(), "domain");
    if (column == reader.rows.front().end())
        throw CatalogueError(std::string(fileName) + ": the header row has no \"domain\" column");
    const auto index = static_cast<std::size_t>(column - reader.rows.front().begin());
    PartisanDomains domains;
    for (std::size_t i = 1; i < reader.rows.size(); ++i)
    {
        const std::vector<std::string>& fields = reader.rows[i];
        const std::string host =
            fields.size() > index ? WebsiteHost("http://" + Trimmed(fields[index]) + "/") : "";
        if (host.empty() || host.find('.') == std::string::npos)
        {
            throw CatalogueError(std::string(fileName) + ": row " + std::to_string(i + 1) +
                                 ": the domain is missing or not a domain name");
        }
        domains.m_domains.insert(host);
    }
    return domains;
}

bool PartisanDomains::Lists(std::string_view url) const
{
    const std::string host = WebsiteHost(url);
    for (std::string_view rest = host; !rest.empty();)
    {
        if (m_domains.contains(rest))
            return true;
        const std::size_t dot = rest.find('.');
        rest.remove_prefix(dot == std::string_view::npos ? rest.size() : dot + 1);
    }
    return false;
}

} // namespace tnews::catalogue
