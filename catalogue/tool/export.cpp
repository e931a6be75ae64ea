#include "export.h"

#include "catalogue/paper_status.h"

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
        text += " " + source.id + " (" + source.name + ", " + source.date + "): " + source.licence +
                ";";
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

// Each website's checks, the latest last.
std::map<std::string_view, std::vector<LinkCheck>> ByWebsite(const std::vector<LinkCheck>& checks)
{
    std::map<std::string_view, std::vector<LinkCheck>> index;
    for (const LinkCheck& check : checks)
        index[check.website].push_back(check);
    for (auto& [website, history] : index)
        std::ranges::stable_sort(history, {}, &LinkCheck::checkedAt);
    return index;
}

// What the exports say of one paper beyond its catalogue fields.
struct Evidence
{
    const LinkCheck* latest = nullptr; // its website's latest check
    PaperStatus status;
};

Evidence EvidenceOf(const Paper& paper,
                    const std::map<std::string_view, std::vector<LinkCheck>>& checks)
{
    auto it = checks.find(paper.website);
    if (it == checks.end())
        return {nullptr, DecidePaperStatus(paper, {})};
    return {&it->second.back(), DecidePaperStatus(paper, it->second)};
}

std::string_view StatusName(const PaperStatus& status)
{
    return status.reportedClosed ? "reported closed" : "live";
}

std::string DateOf(const Catalogue& catalogue, const std::string& sourceId)
{
    auto source = std::ranges::find(catalogue.sources, sourceId, &Source::id);
    return source == catalogue.sources.end() ? std::string() : source->date;
}

// "a b c": what "; " and " " join in the CSV's list columns.
template <typename T, typename Format>
std::string Joined(const std::vector<T>& values, std::string_view separator, Format format)
{
    std::string joined;
    for (const T& value : values)
        joined += (joined.empty() ? "" : std::string(separator)) + format(value);
    return joined;
}

} // namespace

std::string ExportCsv(const Catalogue& catalogue, const std::vector<LinkCheck>& checks)
{
    std::string out;
    CommentLines(out, std::string(kTitle) + "\n" + LicenceText(catalogue) + "\n\n" +
                          AttributionText(catalogue));
    CsvRow(out, {"region", "place", "city", "name", "kind", "language", "website", "feed",
                 "sources", "checked_at", "check", "earlier_addresses", "listed", "alive", "closed",
                 "status", "last_seen_alive"});
    const auto checked = ByWebsite(checks);
    for (const Paper& p : catalogue.papers)
    {
        const Evidence evidence = EvidenceOf(p, checked);
        const LinkCheck* check = evidence.latest;
        const std::string listed =
            Joined(p.sources, "; ",
                   [&](const std::string& id) { return id + " " + DateOf(catalogue, id); });
        const std::string alive =
            Joined(p.alive, "; ",
                   [](const SignOfLife& sign)
                   { return sign.date + " " + sign.sourceId + ": " + sign.what; });
        const std::string closed =
            Joined(p.closures, "; ",
                   [](const ClosureReport& report)
                   {
                       return report.date + " " + report.reportedBy +
                              (report.note.empty() ? "" : ": " + report.note);
                   });
        const std::optional<SignOfLife>& seen = evidence.status.lastSeen;
        CsvRow(out,
               {p.region->regionValue, p.place, p.city, p.name, KindName(p.kind), p.language,
                p.website, p.feed, JoinedSources(p),
                check ? std::string_view(check->checkedAt) : "",
                check ? (check->ok ? "ok" : "failed") : "",
                Joined(p.addresses, " ", [](const std::string& url) { return url; }), listed, alive,
                closed, StatusName(evidence.status), seen ? seen->date + " " + seen->what : ""});
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
                                       {"short_name", s.shortName},
                                       {"date", s.date},
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
    document["notes"] = ordered_json::array();
    for (const PlaceNote& n : catalogue.notes)
    {
        document["notes"].push_back(
            {{"region", n.region->regionValue}, {"place", n.place}, {"note", n.text}});
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
                              {"sources", p.sources},
                              {"addresses", p.addresses}};
        const Evidence evidence = EvidenceOf(p, checked);
        if (evidence.latest)
            paper["check"] = {{"checked_at", evidence.latest->checkedAt},
                              {"ok", evidence.latest->ok}};
        paper["listed"] = ordered_json::array();
        for (const std::string& id : p.sources)
            paper["listed"].push_back({{"source", id}, {"date", DateOf(catalogue, id)}});
        paper["alive"] = ordered_json::array();
        for (const SignOfLife& sign : p.alive)
            paper["alive"].push_back(
                {{"date", sign.date}, {"source", sign.sourceId}, {"what", sign.what}});
        paper["closures"] = ordered_json::array();
        for (const ClosureReport& report : p.closures)
        {
            paper["closures"].push_back(
                {{"date", report.date}, {"reported_by", report.reportedBy}, {"note", report.note}});
        }
        paper["status"] = StatusName(evidence.status);
        if (const std::optional<SignOfLife>& seen = evidence.status.lastSeen)
            paper["last_seen_alive"] = {{"date", seen->date}, {"what", seen->what}};
        else
            paper["last_seen_alive"] = nullptr;
        document["newspapers"].push_back(std::move(paper));
    }
    return document.dump(1) + "\n";
}

} // namespace tnews::catalogue
