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

// The main feed among a paper's feeds: comment feeds aside, the shortest URL (a site's
// "/feed" rather than one of its sections), the first in byte order among equals.
std::string MainFeed(const nlohmann::json& feeds, const JsonPlace& where)
{
    std::string best;
    for (const nlohmann::json& feed : feeds)
    {
        if (!feed.is_string())
            where.Fail("\"rss\" holds something other than a string");
        const std::string url = Trimmed(feed.get<std::string>());
        if (!IsWebUrl(url) || AsciiLower(url).find("comment") != std::string::npos)
            continue;
        if (best.empty() || url.size() < best.size() || (url.size() == best.size() && url < best))
            best = url;
    }
    return best;
}

void CountStations(const nlohmann::json& list, const JsonPlace& where, Import& import)
{
    const nlohmann::json& tv = where.Member(list, "tv", Type::array, true);
    const nlohmann::json& radio = where.Member(list, "radio", Type::array, true);
    auto& dropped = import.dropped[std::string(kLocalMemorySourceId)];
    if (tv.size() > 0)
        dropped["TV station"] += tv.size();
    if (radio.size() > 0)
        dropped["radio station"] += radio.size();
}

// The entry of one newspaper object, or nothing when it is dropped (counted in `import`).
std::optional<Entry> ReadNewspaper(const nlohmann::json& paper, const JsonPlace& where,
                                   Import& import)
{
    if (!paper.is_object())
        where.Fail("not an object");
    ++import.read[std::string(kLocalMemorySourceId)];
    auto& dropped = import.dropped[std::string(kLocalMemorySourceId)];
    Entry entry;
    entry.source = kLocalMemorySourceId;
    entry.origin = std::string(where.fileName) + ": " + where.what;
    entry.name = Trimmed(where.String(paper, "name"));
    entry.city = Trimmed(where.String(paper, "city-county-name"));
    entry.website = Trimmed(where.String(paper, "website"));
    if (HasControlCharacter(entry.name) || HasControlCharacter(entry.city))
        where.Fail("the name or town holds a control character");
    entry.kind = where.String(paper, "media-subclass", true) == "college" ? Kind::College
                                                                          : Kind::Newspaper;
    entry.feed = MainFeed(where.Member(paper, "rss", Type::array, true), where);
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
    if (IsSocialMediaPage(entry.website))
    {
        ++dropped["a social-media page as website"];
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

void ReadLocalMemoryUsa(std::string_view text, std::string_view fileName, Import& import,
                        CityIndex& cities)
{
    const nlohmann::json document = ParseJson(text, fileName);
    if (!document.is_object())
        JsonPlace{fileName, "the document"}.Fail("not an object of states");
    for (const auto& [code, list] : document.items())
    {
        const JsonPlace state{fileName, "state " + code};
        const std::optional<PlaceRef> place = PlaceOfUsStateCode(code);
        const nlohmann::json& papers = Newspapers(list, state);
        CountStations(list, state, import);
        for (std::size_t i = 0; i < papers.size(); ++i)
        {
            const JsonPlace where{fileName, "state " + code + ", newspaper " + std::to_string(i + 1)};
            std::optional<Entry> entry = ReadNewspaper(papers[i], where, import);
            if (!entry)
                continue;
            entry->place = place;
            if (!place)
                LeaveOut(*entry, "a US state code the list has no entry for");
            else if (!entry->city.empty())
                IndexCity(cities, entry->city, *place);
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
    CountStations(document, town, import);
    const Placing countryPlacing =
        IsCanada(country) ? Placing{} : PlaceOfCountry(country);
    for (std::size_t i = 0; i < papers.size(); ++i)
    {
        const JsonPlace where{fileName, "newspaper " + std::to_string(i + 1)};
        std::optional<Entry> entry = ReadNewspaper(papers[i], where, import);
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
