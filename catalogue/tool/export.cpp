#include "export.h"

#include <csv.h>
#include <nlohmann/json.hpp>

#include <map>
#include <sstream>

namespace tnews::catalogue
{
namespace
{

constexpr std::string_view kTitle = "Tavi's Newspapers: newspaper websites by place";

// What the combined data may be used for: each source's terms apply to what came from it.
std::string LicenceText(const Catalogue& catalogue)
{
    std::string text = "Each paper lists the sources it comes from; what comes from a source is "
                       "under that source's licence:";
    for (const Source& source : catalogue.sources)
        text += " " + source.id + " (" + source.name + "): " + source.licence + ";";
    text.back() = '.';
    return text;
}

// The notices that must travel with the data, each headed by its source.
std::string AttributionText(const Catalogue& catalogue)
{
    std::string text;
    for (const Source& source : catalogue.sources)
    {
        if (source.attribution.empty())
            continue;
        if (!text.empty())
            text += "\n\n";
        text += "Data from " + source.name + " (" + source.url + "):\n\n" + source.attribution;
    }
    return text;
}

std::string JoinedSources(const Paper& paper)
{
    std::string joined;
    for (const std::string& id : paper.sources)
        joined += (joined.empty() ? "" : ",") + id;
    return joined;
}

void CommentLines(std::string& out, std::string_view text)
{
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);)
        out += (line.empty() ? "#" : "# " + line) + "\r\n";
}

void CsvRow(std::string& out, std::initializer_list<std::string_view> fields)
{
    bool first = true;
    for (std::string_view field : fields)
    {
        if (!first)
            out += ',';
        first = false;
        std::string quoted(field.size() * 2 + 2, '\0');
        quoted.resize(csv_write(quoted.data(), quoted.size(), field.data(), field.size()));
        out += quoted;
    }
    out += "\r\n";
}

std::map<std::string_view, const LinkCheck*> ByWebsite(const std::vector<LinkCheck>& checks)
{
    std::map<std::string_view, const LinkCheck*> index;
    for (const LinkCheck& check : checks)
        index[check.website] = &check;
    return index;
}

} // namespace

std::string ExportCsv(const Catalogue& catalogue, const std::vector<LinkCheck>& checks)
{
    std::string out;
    CommentLines(out, std::string(kTitle) + "\n" + LicenceText(catalogue) + "\n\n" +
                          AttributionText(catalogue));
    CsvRow(out, {"region", "place", "city", "name", "kind", "language", "website", "feed",
                 "sources", "checked_at", "check"});
    const auto checked = ByWebsite(checks);
    for (const Paper& p : catalogue.papers)
    {
        auto it = checked.find(p.website);
        const LinkCheck* check = it == checked.end() ? nullptr : it->second;
        CsvRow(out, {p.region->regionValue, p.place, p.city, p.name, KindName(p.kind), p.language,
                     p.website, p.feed, JoinedSources(p),
                     check ? std::string_view(check->checkedAt) : "",
                     check ? (check->ok ? "ok" : "failed") : ""});
    }
    return out;
}

std::string ExportJson(const Catalogue& catalogue, const std::vector<LinkCheck>& checks)
{
    using nlohmann::ordered_json;
    ordered_json document;
    document["title"] = kTitle;
    document["licence"] = LicenceText(catalogue);
    document["attribution"] = AttributionText(catalogue);
    document["sources"] = ordered_json::array();
    for (const Source& s : catalogue.sources)
    {
        document["sources"].push_back({{"id", s.id},
                                       {"name", s.name},
                                       {"licence", s.licence},
                                       {"url", s.url},
                                       {"attribution", s.attribution}});
    }
    document["aliases"] = ordered_json::array();
    for (const PlaceAlias& a : catalogue.aliases)
    {
        document["aliases"].push_back(
            {{"region", a.region->regionValue}, {"place", a.place}, {"alias", a.alias}});
    }
    document["rules"] = ordered_json::array();
    for (const PlaceRule& r : catalogue.rules)
    {
        document["rules"].push_back({{"region", r.region->regionValue},
                                     {"place", r.place},
                                     {"how", RuleHowName(r.how)},
                                     {"value", r.value},
                                     {"note", r.note}});
    }
    document["newspapers"] = ordered_json::array();
    const auto checked = ByWebsite(checks);
    for (const Paper& p : catalogue.papers)
    {
        ordered_json paper = {{"region", p.region->regionValue},
                              {"place", p.place},
                              {"city", p.city},
                              {"name", p.name},
                              {"kind", KindName(p.kind)},
                              {"language", p.language},
                              {"website", p.website},
                              {"feed", p.feed},
                              {"sources", p.sources}};
        if (auto it = checked.find(p.website); it != checked.end())
            paper["check"] = {{"checked_at", it->second->checkedAt}, {"ok", it->second->ok}};
        document["newspapers"].push_back(std::move(paper));
    }
    return document.dump(1) + "\n";
}

} // namespace tnews::catalogue
