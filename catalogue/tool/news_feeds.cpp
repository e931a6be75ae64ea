#include "news_feeds.h"

#include "json_input.h"
#include "local_memory.h"
#include "website_key.h"

#include <map>
#include <set>

namespace tnews::catalogue
{
namespace
{

using Type = nlohmann::json::value_t;

struct Feed
{
    std::string site;
    std::string feed;
};

// Every site and feed of a file, checked.
std::vector<Feed> Feeds(std::string_view text, std::string_view fileName)
{
    const nlohmann::json document = ParseJson(text, fileName);
    if (!document.is_object())
        JsonPlace{fileName, "the document"}.Fail("not an object of countries");
    std::vector<Feed> feeds;
    for (const auto& [country, list] : document.items())
    {
        if (!list.is_array())
            JsonPlace{fileName, "country " + country}.Fail("not an array");
        for (std::size_t i = 0; i < list.size(); ++i)
        {
            const JsonPlace where{fileName,
                                  "country " + country + ", feed " + std::to_string(i + 1)};
            if (!list[i].is_object())
                where.Fail("not an object");
            feeds.push_back({Trimmed(where.String(list[i], "publication_website_uri")),
                             Trimmed(where.String(list[i], "publication_rss_feed_uri"))});
        }
    }
    return feeds;
}

} // namespace

void ReadNewsFeeds(std::string_view listText, std::string_view listName,
                   std::string_view answeredText, std::string_view answeredName,
                   std::string_view scanDate, Import& import)
{
    std::set<std::string> answered;
    for (const Feed& feed : Feeds(answeredText, answeredName))
        answered.insert(feed.feed);
    struct Site
    {
        std::vector<std::string> feeds, answered;
    };
    std::map<std::string, Site> sites; // by WebsiteKey
    const std::string source(kNewsFeedsSourceId);
    for (const Feed& feed : Feeds(listText, listName))
    {
        ++import.read[source];
        const std::optional<std::string> key = WebsiteKey(feed.site);
        if (!key)
        {
            ++import.dropped[source]["website not an absolute http or https URL"];
            continue;
        }
        Site& site = sites[*key];
        site.feeds.push_back(feed.feed);
        if (answered.contains(feed.feed))
            site.answered.push_back(feed.feed);
    }
    for (const auto& [key, site] : sites)
    {
        KeyedEvidence evidence{source, {key}, {}, {}, {}, true, {}};
        evidence.feed = MainFeed(site.answered);
        if (evidence.feed.empty())
            evidence.feed = MainFeed(site.feeds);
        if (!site.answered.empty())
            evidence.alive = SignOfLife{std::string(scanDate), source, "feed answered"};
        import.evidence.push_back(std::move(evidence));
    }
}

} // namespace tnews::catalogue
