#include "wikidata.h"

#include "catalogue/text_fields.h"
#include "json_input.h"
#include "site_rules.h"
#include "website_key.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace tnews::catalogue
{
namespace
{

using Type = nlohmann::json::value_t;

struct Item
{
    std::string id; // "Q12345"
    std::string label;
    std::set<std::string> countries, places, languages, urls;
};

// "Q123" from "http://www.wikidata.org/entity/Q123", or nothing.
std::optional<std::string> ItemId(std::string_view uri)
{
    const std::size_t slash = uri.rfind('/');
    const std::string_view id = slash == std::string_view::npos ? uri : uri.substr(slash + 1);
    if (id.size() < 2 || id[0] != 'Q' ||
        !std::all_of(id.begin() + 1, id.end(), [](char c) { return c >= '0' && c <= '9'; }))
    {
        return std::nullopt;
    }
    return std::string(id);
}

// A label that is only the item's id: the item has no label in English.
bool IsBareId(std::string_view label)
{
    return ItemId(label).has_value() && label.find('/') == std::string_view::npos;
}

std::uint64_t IdNumber(const std::string& id)
{
    std::uint64_t number = 0;
    std::from_chars(id.data() + 1, id.data() + id.size(), number);
    return number;
}

// Every place a place-of-publication label could mean: a country or territory of the table, a
// US state or Canadian province by name, or a town of the city index, each kept only if it
// lies in `region` (all regions when null).
std::set<std::pair<std::string_view, std::string_view>>
Meanings(const std::string& label, const CityIndex& cities, const RegionInfo* region)
{
    std::set<std::pair<std::string_view, std::string_view>> found;
    const auto add = [&](const std::optional<PlaceRef>& place)
    {
        if (place && (!region || place->region == region))
            found.emplace(place->region->code, place->place);
    };
    add(PlaceOfCountry(label).place);
    for (const RegionInfo& r : Regions())
    {
        if (r.code != "i")
            add(PlaceOfStateName(r, label));
    }
    if (label == "Washington, D.C.")
        add(FindPlace("u", "District of Columbia"));
    if (auto it = cities.find(label); it != cities.end())
    {
        for (const PlaceRef& place : it->second)
            add(place);
    }
    return found;
}

// The one place that every label of `labels` that means anything means, or nothing.
std::optional<PlaceRef> OnePlace(const std::set<std::string>& labels, const CityIndex& cities,
                                 const RegionInfo* region)
{
    std::set<std::pair<std::string_view, std::string_view>> all;
    for (const std::string& label : labels)
    {
        const auto meanings = Meanings(label, cities, region);
        if (meanings.size() > 1)
            return std::nullopt; // the label alone is ambiguous
        all.insert(meanings.begin(), meanings.end());
    }
    if (all.size() != 1)
        return std::nullopt;
    return FindPlace(all.begin()->first, all.begin()->second);
}

// A UK paper's nation, or a territory of a country that the list names on its own (Hong
// Kong, Martinique): what the place of publication says more precisely than the country.
PlaceRef Refined(const PlaceRef& country, const std::set<std::string>& labels,
                 const CityIndex& cities)
{
    static constexpr std::string_view kUk[] = {"United Kingdom", "UK Scotland", "UK Wales",
                                               "UK Northern Ireland"};
    std::set<std::string_view> found;
    for (const std::string& label : labels)
    {
        if (const std::optional<PlaceRef> territory = PlaceOfCountry(label).place)
            found.insert(territory->place);
        else if (country.place == "United Kingdom")
        {
            for (const auto& [code, place] : Meanings(label, cities, country.region))
            {
                if (std::ranges::find(kUk, place) != std::end(kUk))
                    found.insert(place);
            }
        }
    }
    if (found.size() == 1)
        return *FindPlace("i", *found.begin());
    return country;
}

Placing PlaceItem(const Item& item, const CityIndex& cities)
{
    if (item.countries.empty())
    {
        if (item.places.empty())
            return {std::nullopt, "no country and no place of publication"};
        if (std::optional<PlaceRef> place = OnePlace(item.places, cities, nullptr))
            return {place, ""};
        return {std::nullopt, "no country, and a place of publication that names no single place"};
    }
    std::set<std::pair<std::string_view, std::string_view>> resolved;
    std::string reason;
    for (const std::string& country : item.countries)
    {
        std::optional<PlaceRef> place;
        std::string why;
        if (IsUsa(country) || IsCanada(country))
        {
            place = OnePlace(item.places, cities, FindRegion(IsUsa(country) ? "u" : "c"));
            why = IsUsa(country) ? "US paper whose place of publication names no single state"
                                 : "Canadian paper whose place of publication names no single "
                                   "province";
        }
        else
        {
            Placing placing = PlaceOfCountry(country);
            if (placing.place)
                place = Refined(*placing.place, item.places, cities);
            why = placing.reason;
        }
        if (place)
            resolved.emplace(place->region->code, place->place);
        else if (reason.empty())
            reason = why;
    }
    if (resolved.size() > 1)
        return {std::nullopt, "countries in more than one place of the list"};
    if (resolved.empty())
        return {std::nullopt, reason};
    return {FindPlace(resolved.begin()->first, resolved.begin()->second), ""};
}

std::string Joined(const std::set<std::string>& values)
{
    std::string joined;
    for (const std::string& value : values)
        joined += (joined.empty() ? "" : ", ") + value;
    return joined;
}

// The value of binding `key` of a row, empty when the row has none.
std::string Binding(const nlohmann::json& row, std::string_view key, const JsonPlace& where,
                    bool optional = true)
{
    const nlohmann::json& cell = where.Member(row, key, Type::object, optional);
    if (cell.is_null())
        return {};
    return Trimmed(where.String(cell, "value"));
}

} // namespace

void ReadWikidata(std::string_view text, std::string_view fileName, const CityIndex& cities,
                  Import& import)
{
    const std::string source(kWikidataSourceId);
    const nlohmann::json document = ParseJson(text, fileName);
    const JsonPlace top{fileName, "the document"};
    if (!document.is_object())
        top.Fail("not an object");
    const nlohmann::json& results = top.Member(document, "results", Type::object);
    const nlohmann::json& rows = top.Member(results, "bindings", Type::array);

    std::map<std::string, Item> items;
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const JsonPlace where{fileName, "row " + std::to_string(i + 1)};
        if (!rows[i].is_object())
            where.Fail("not an object");
        const std::optional<std::string> id = ItemId(Binding(rows[i], "item", where, false));
        if (!id)
            where.Fail("\"item\" is not a Wikidata entity");
        Item& item = items[*id];
        item.id = *id;
        item.label = Binding(rows[i], "itemLabel", where, false);
        for (auto [key, values] : {std::pair{"countryLabel", &item.countries},
                                   std::pair{"placeLabel", &item.places},
                                   std::pair{"languageLabel", &item.languages},
                                   std::pair{"offurl", &item.urls}})
        {
            std::string value = Binding(rows[i], key, where, std::string_view(key) != "offurl");
            if (HasControlCharacter(value) || HasControlCharacter(item.label))
                where.Fail("a value holds a control character");
            if (!value.empty() && !IsBareId(value))
                values->insert(std::move(value));
        }
    }

    std::vector<const Item*> ordered;
    for (const auto& [id, item] : items)
        ordered.push_back(&item);
    std::ranges::sort(ordered, {}, [](const Item* item) { return IdNumber(item->id); });

    auto& dropped = import.dropped[source];
    for (const Item* item : ordered)
    {
        ++import.read[source];
        Entry entry;
        entry.source = source;
        entry.origin = std::string(fileName) + ": item " + item->id;
        std::string notOwnSite; // why the last address that is no paper's own site is not
        for (const std::string& url : item->urls)
        {
            const std::optional<std::string> key = WebsiteKey(url);
            if (!key)
                continue;
            if (std::optional<std::string> reason = NotOwnSiteReason(url, item->label))
            {
                notOwnSite = *reason;
                continue;
            }
            entry.keys.push_back(*key);
            // The home page rather than a section: the shortest URL, then the first in order.
            if (entry.website.empty() || url.size() < entry.website.size())
                entry.website = url;
        }
        if (entry.website.empty())
        {
            ++dropped[notOwnSite.empty() ? "website not an absolute http or https URL"
                                         : notOwnSite];
            continue;
        }
        entry.name = IsBareId(item->label) ? "" : item->label;
        entry.language = Joined(item->languages);
        const Placing placing = PlaceItem(*item, cities);
        entry.place = placing.place;
        entry.leftOutReason = placing.reason;
        if (entry.name.empty())
        {
            entry.place.reset();
            entry.leftOutReason = "no name in English";
        }
        if (entry.place && item->places.size() == 1)
        {
            const std::string& label = *item->places.begin();
            const bool names_region_or_country =
                PlaceOfCountry(label).place || PlaceOfStateName(*entry.place->region, label);
            if (!names_region_or_country)
                entry.city = label;
        }
        import.entries.push_back(std::move(entry));
    }
}

} // namespace tnews::catalogue
