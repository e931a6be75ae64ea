#include "curated_list.h"

#include "catalogue/file_lines.h"
#include "catalogue/text_fields.h"
#include "website_key.h"

#include <array>
#include <set>
#include <tuple>

namespace tnews::catalogue
{
namespace
{

constexpr std::array<std::string_view, 6> kFieldNames = {
    "region code", "place", "newspaper name", "city", "website", "language",
};

} // namespace

void ReadCuratedList(std::string_view text, std::string_view fileName, Import& import)
{
    FileLines lines(text, fileName);
    std::set<std::tuple<std::string_view, std::string_view, std::string>> listed;
    while (lines.Next())
    {
        const std::vector<std::string_view> fields = SplitFields(lines.Line());
        if (fields.size() != 5 && fields.size() != 6)
        {
            lines.Fail("expected 5 or 6 tab-separated fields, found " +
                       std::to_string(fields.size()));
        }
        for (std::size_t i = 0; i < fields.size(); ++i)
        {
            const std::string what =
                "field " + std::to_string(i + 1) + " (" + std::string(kFieldNames[i]) + ")";
            if (fields[i].empty())
                lines.Fail(what + " is empty");
            if (fields[i].front() == ' ' || fields[i].back() == ' ')
                lines.Fail(what + " has blanks at its start or end");
        }
        const RegionInfo* region = FindRegion(fields[0]);
        if (!region)
        {
            lines.Fail("unknown region code \"" + std::string(fields[0]) +
                       "\"; expected c, u or i");
        }
        const std::optional<PlaceRef> place = FindPlace(region->code, fields[1]);
        if (!place)
        {
            lines.Fail("\"" + std::string(fields[1]) + "\" is not a " +
                       std::string(region->placeKey) + " of region " + std::string(region->code));
        }
        if (const TableRule* rule = FindRule(*place))
        {
            lines.Fail("\"" + std::string(place->place) + "\" lists no papers of its own (" +
                       std::string(rule->note) + "); file the paper under its country");
        }
        const std::optional<std::string> key = WebsiteKey(fields[4]);
        if (!key)
        {
            lines.Fail("website \"" + std::string(fields[4]) +
                       "\" is not an absolute http or https URL");
        }
        if (!listed.emplace(region->code, place->place, std::string(fields[2])).second)
        {
            lines.Fail("\"" + std::string(fields[2]) + "\" is already listed under " +
                       std::string(place->place));
        }
        Entry entry;
        entry.source = kCuratedSourceId;
        entry.place = place;
        entry.name = fields[2];
        entry.city = fields[3];
        entry.website = fields[4];
        entry.keys = {*key};
        if (fields.size() == 6)
            entry.language = fields[5];
        entry.origin = std::string(fileName) + ":" + std::to_string(lines.Number());
        import.evidence.push_back(
            {entry.source,
             entry.keys,
             SignOfLife{std::string(kCuratedListDate), entry.source, "listed by the publisher"},
             {},
             {},
             false,
             {}});
        import.entries.push_back(std::move(entry));
        ++import.read[std::string(kCuratedSourceId)];
    }
}

} // namespace tnews::catalogue
