#include "local_memory.h"

#include "catalogue/text_fields.h"
#include "json_input.h"
#include "website_key.h"
#include "directory/ascii.h"

#include <algorithm>

namespace tnews::catalogue
{
namespace
{

using Type = nlohmann::json::value_t;

std::string FeedOf(const nlohmann::json& feeds, const JsonPlace& where)
{
    std::vector<std::string> urls;
    for (const nlohmann::json& feed : feeds)
    {
        if (!feed.is_string())
            where.Fail("\"rss\" holds something other than a string");
        urls.push_back(Trimmed(feed.get<std::string>()));
    }
    return MainFeed(urls);
}

void CountStations(std::string_view source, const nlohmann::json& list, const JsonPlace& where,
                   Import& import)
{
    auto& dropped = import.dropped[std::string(source)];
    for (auto [key, what] : {std::pair{"tv", "TV station"}, std::pair{"radio", "radio station"},
                             std::pair{"broadcast", "TV or radio station"}})
    {
        const nlohmann::json& stations = where.Member(list, key, Type::array, true);
        if (stations.size() > 0)
            dropped[what] += stations.size();
    }
}

// The entry of one newspaper object, or nothing when it is dropped (counted in `import`).
std::optional<Entry> ReadNewspaper(std::string_view source, const nlohmann::json& paper,
                                   const JsonPlace& where, Import& import)
{
    if (!paper.is_object())
        where.Fail("not an object");
    ++import.read[std::string(source)];
    auto& dropped = import.dropped[std::string(source)];
    Entry entry;
    entry.source = source;
    entry.origin = std::string(where.fileName) + ": " + where.what;
    entry.name = Trimmed(where.String(paper, "name"));
    entry.city = Trimmed(where.String(paper, "city-county-name", true));
    entry.website = Trimmed(where.String(paper, "website"));
    if (HasControlCharacter(entry.name) || HasControlCharacter(entry.city))
        where.Fail("the name or town holds a control character");
    entry.kind = where.String(paper, "media-subclass", true) == "college" ? Kind::College
                                                                          : Kind::Newspaper;
    entry.feed = FeedOf(where.Member(paper, "rss", Type::array, true), where);
    const nlohmann::json& latitude =
        where.Member(paper, "city-county-lat", Type::number_float, true);
    const nlohmann::json& longitude =
        where.Member(paper, "city-county-long", Type::number_float, true);
    if (!latitude.is_null() && !longitude.is_null())
        entry.point = GeoPoint{latitude.get<double>(), longitude.get<double>()};
    if (entry.name.empty())
    {
        ++dropped["no name"];
        return std::nullopt;
    }
    if (entry.website.empty())
    {
        ++dropped["no website"];
        return std::nullopt;
    }
    const std::optional<std::string> key = WebsiteKey(entry.website);
    if (!key)
    {
        ++dropped["website not an absolute http or https URL"];
        return std::nullopt;
    }
    entry.keys = {*key};
    return entry;
}

void LeaveOut(Entry& entry, std::string reason)
{
    entry.place.reset();
    entry.leftOutReason = std::move(reason);
}

const nlohmann::json& Newspapers(const nlohmann::json& list, const JsonPlace& where)
{
    if (!list.is_object())
        where.Fail("not an object");
    return where.Member(list, "newspaper", Type::array);
}

} // namespace

std::string MainFeed(const std::vector<std::string>& feeds)
{
    std::string best;
    for (const std::string& url : feeds)
    {
        if (!IsWebUrl(url) || AsciiLower(url).find("comment") != std::string::npos)
            continue;
        if (best.empty() || url.size() < best.size() || (url.size() == best.size() && url < best))
            best = url;
    }
    return best;
}

void ReadUsStateLists(std::string_view text, std::string_view fileName, const UsListReading& how,
                      Import& import)
{
    const nlohmann::json document = ParseJson(text, fileName);
    if (!document.is_object())
        JsonPlace{fileName, "the document"}.Fail("not an object of states");
    for (const auto& [code, list] : document.items())
    {
        const JsonPlace state{fileName, "state " + code};
        const std::optional<PlaceRef> place = PlaceOfUsStateCode(code);
        const nlohmann::json& papers = Newspapers(list, state);
        CountStations(how.source, list, state, import);
        for (std::size_t i = 0; i < papers.size(); ++i)
        {
            const JsonPlace where{fileName, "state " + code + ", newspaper " + std::to_string(i + 1)};
            if (!how.carriedOver.empty() && papers[i].is_object() &&
                where.String(papers[i], "extracted-from", true) == how.carriedOver)
            {
                ++import.read[std::string(how.source)];
                ++import.dropped[std::string(how.source)]
                                ["carried over from Local Memory's list, which lists it"];
                continue;
            }
            std::optional<Entry> entry = ReadNewspaper(how.source, papers[i], where, import);
            if (!entry)
                continue;
            entry->place = place;
            if (!place)
                LeaveOut(*entry, "a US state code the list has no entry for");
            else if (!entry->city.empty() && how.cities)
                IndexCity(*how.cities, entry->city, *place);
            import.entries.push_back(std::move(*entry));
        }
    }
}

void ReadLocalMemoryTown(std::string_view country, std::string_view text,
                         std::string_view fileName, Import& import, CityIndex& cities)
{
    const nlohmann::json document = ParseJson(text, fileName);
    const JsonPlace town{fileName, "the document"};
    const nlohmann::json& papers = Newspapers(document, town);
    CountStations(kLocalMemorySourceId, document, town, import);
    const Placing countryPlacing =
        IsCanada(country) ? Placing{} : PlaceOfCountry(country);
    for (std::size_t i = 0; i < papers.size(); ++i)
    {
        const JsonPlace where{fileName, "newspaper " + std::to_string(i + 1)};
        std::optional<Entry> entry = ReadNewspaper(kLocalMemorySourceId, papers[i], where, import);
        if (!entry)
            continue;
        Placing placing = countryPlacing;
        if (IsCanada(country))
        {
            const double latitude =
                where.Member(papers[i], "city-county-lat", Type::number_float).get<double>();
            const double longitude =
                where.Member(papers[i], "city-county-long", Type::number_float).get<double>();
            placing = PlaceOfCanadianTown(entry->city, latitude, longitude);
        }
        entry->place = placing.place;
        if (!placing.place)
            LeaveOut(*entry, placing.reason);
        else if (!entry->city.empty())
            IndexCity(cities, entry->city, *placing.place);
        import.entries.push_back(std::move(*entry));
    }
}

} // namespace tnews::catalogue
