#include "nz_newspapers.h"

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

bool IsYearRange(std::string_view text)
{
    return text.size() >= 4 && text[0] >= '0' && text[0] <= '9' &&
           std::ranges::all_of(text, [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

bool IsYear(std::string_view text)
{
    return text.size() == 4 && IsYearRange(text) && text.find('-') == std::string_view::npos;
}

} // namespace

std::string UsualTitle(std::string_view title, std::string_view place)
{
    for (auto [open, close] : {std::pair{" (", ')'}, std::pair{" [", ']'}})
    {
        const std::size_t at = title.rfind(open);
        if (at == std::string_view::npos || !title.ends_with(close))
            continue;
        const std::string_view inside = title.substr(at + 2, title.size() - at - 3);
        if (IsYearRange(inside) || inside == place || inside.starts_with("Online"))
            return std::string(title.substr(0, at));
    }
    return std::string(title);
}

std::vector<NzTitle> ReadNzTitles(const std::filesystem::path& folder)
{
    const std::vector<std::filesystem::path> files =
        SortedEntries(folder, [](const std::filesystem::directory_entry& entry)
                      { return entry.path().extension() == ".json"; });
    std::vector<NzTitle> titles;
    for (const std::filesystem::path& file : files)
    {
        const std::string name = file.string();
        const nlohmann::json record = ParseJson(ReadWholeFile(file), name);
        const JsonPlace where{name, "the title"};
        if (!record.is_object())
            where.Fail("not an object");
        NzTitle title;
        title.title = Trimmed(where.String(record, "title"));
        title.place = Trimmed(where.String(record, "placename"));
        title.current = where.Member(record, "isCurrent", Type::boolean).get<bool>();
        title.finalYear = where.String(record, "finalYear", true);
        title.website = Trimmed(where.String(record, "urlCurrent", true));
        // The record's history, keyed by the time of each revision; the latest is when the
        // library last said what the record says.
        for (const auto& [when, what] : where.Member(record, "sources", Type::object).items())
            title.revised = std::max(title.revised, when.substr(0, 10));
        if (!IsEvidenceDate(title.revised) || title.revised.size() != 10)
            where.Fail("\"sources\" has no revision time like 2014-05-07T09:13:35Z");
        if (title.title.empty())
            where.Fail("the title is empty");
        titles.push_back(std::move(title));
    }
    return titles;
}

void AddNzTitles(const std::vector<NzTitle>& titles, Import& import)
{
    const std::string source(kNzNewspapersSourceId);
    auto& dropped = import.dropped[source];
    struct Site
    {
        std::string alive;     // the latest revision of a current title with the site
        std::string finalYear; // the latest final year of the titles no longer published
    };
    std::map<std::string, Site> sites;
    for (const NzTitle& title : titles)
    {
        ++import.read[source];
        const std::optional<std::string> key = WebsiteKey(title.website);
        if (key)
        {
            Site& site = sites[*key];
            if (title.current)
                site.alive = std::max(site.alive, title.revised);
            else if (IsYear(title.finalYear))
                site.finalYear = std::max(site.finalYear, title.finalYear);
        }
        if (!title.current)
            ++dropped["no longer published"];
        else if (title.website.empty())
            ++dropped["no website"];
        else if (!key)
            ++dropped["website not an absolute http or https URL"];
        else
        {
            Entry entry;
            entry.source = source;
            entry.place = FindPlace("i", "New Zealand");
            entry.city = title.place;
            entry.name = UsualTitle(title.title, title.place);
            entry.website = title.website;
            entry.keys = {*key};
            entry.origin = title.title;
            import.entries.push_back(std::move(entry));
        }
    }
    for (const auto& [key, site] : sites)
    {
        KeyedEvidence evidence{source, {key}, {}, {}, {}, false, {}};
        if (!site.alive.empty())
            evidence.alive = SignOfLife{site.alive, source, "current in NZ's national library"};
        else if (!site.finalYear.empty())
            evidence.closure = ClosureReport{site.finalYear, "National Library of New Zealand", ""};
        else
            continue;
        import.evidence.push_back(std::move(evidence));
    }
}

} // namespace tnews::catalogue
