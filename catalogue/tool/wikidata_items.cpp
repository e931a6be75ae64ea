#include "wikidata_items.h"

#include "catalogue/file_lines.h"
#include "catalogue/paper_status.h"
#include "json_input.h"
#include "website_key.h"

#include <algorithm>
#include <map>

namespace tnews::catalogue
{
namespace
{

using Type = nlohmann::json::value_t;

struct Item
{
    std::vector<std::string> keys;                           // of its official websites
    std::vector<std::pair<std::string, std::string>> closed; // date, what the claim says
    std::vector<std::string> successors;                     // item ids
};

// The string values of claim `property`, which must be an array of strings.
std::vector<std::string> Claims(const nlohmann::json& claims, std::string_view property,
                                const JsonPlace& where)
{
    std::vector<std::string> values;
    for (const nlohmann::json& value : where.Member(claims, property, Type::array, true))
    {
        if (!value.is_string())
            where.Fail(std::string(property) + " holds something other than a string");
        values.push_back(value.get<std::string>());
    }
    return values;
}

} // namespace

std::optional<std::string> WikidataDate(std::string_view time)
{
    if (time.size() < 11 || time[0] != '+' || time.substr(5, 1) != "-" || time.substr(8, 1) != "-")
        return std::nullopt;
    std::string date(time.substr(1, 10));
    if (date.ends_with("-00-00"))
        date.resize(4);
    else if (date.ends_with("-00"))
        date.resize(7);
    if (!IsEvidenceDate(date))
        return std::nullopt;
    return date;
}

void ReadWikidataItems(const std::filesystem::path& folder, Import& import)
{
    const std::vector<std::filesystem::path> files =
        SortedEntries(folder, [](const std::filesystem::directory_entry& entry)
                      { return entry.path().extension() == ".json"; });

    std::map<std::string, Item> items; // by id, the file's name
    for (const std::filesystem::path& file : files)
    {
        const std::string name = file.string();
        const nlohmann::json record = ParseJson(ReadWholeFile(file), name);
        const JsonPlace where{name, "the item"};
        if (!record.is_object())
            where.Fail("not an object");
        const nlohmann::json& claims = where.Member(record, "claims", Type::object);
        Item& item = items[file.stem().string()];
        for (const std::string& url : Claims(claims, "P856", where))
        {
            if (std::optional<std::string> key = WebsiteKey(Trimmed(url)))
                item.keys.push_back(*key);
        }
        for (auto [property, what] :
             {std::pair{"P576", "dissolved"}, std::pair{"P2669", "discontinued"}})
        {
            for (const std::string& time : Claims(claims, property, where))
            {
                const std::optional<std::string> date = WikidataDate(time);
                if (!date)
                    where.Fail(std::string(property) + " \"" + time + "\" is not a date");
                item.closed.emplace_back(*date, what);
            }
        }
        for (const char* property : {"P1366", "P156"})
        {
            for (const std::string& id : Claims(claims, property, where))
                item.successors.push_back(id);
        }
    }

    const std::string source(kWikidataItemsSourceId);
    for (const auto& [id, item] : items)
    {
        ++import.read[source];
        if (item.keys.empty() || (item.closed.empty() && item.successors.empty()))
            continue;
        KeyedEvidence evidence{source, item.keys, {}, {}, {}, false, {}};
        for (const std::string& successor : item.successors)
        {
            if (auto found = items.find(successor); found != items.end())
                evidence.successorKeys.insert(evidence.successorKeys.end(),
                                              found->second.keys.begin(), found->second.keys.end());
        }
        if (item.closed.empty())
        {
            import.evidence.push_back(std::move(evidence));
            continue;
        }
        for (const auto& [date, what] : item.closed)
        {
            evidence.closure = ClosureReport{date, "Wikidata", what};
            import.evidence.push_back(evidence);
        }
    }
}

} // namespace tnews::catalogue
