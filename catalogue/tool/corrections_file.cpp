#include "corrections_file.h"

#include "catalogue/file_lines.h"
#include "catalogue/text_fields.h"
#include "website_key.h"

#include <algorithm>
#include <array>
#include <set>

namespace tnews::catalogue
{
namespace
{

constexpr std::array<std::string_view, 10> kFieldNames = {
    "action", "region code", "place", "newspaper name", "city",
    "website", "value", "reported", "reviewed", "report",
};
constexpr std::array<std::string_view, 5> kActions = {"add", "move", "place", "closed", "remove"};

// 2026-12-07
bool IsDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
    {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

void AddSource(std::vector<std::string>& sources)
{
    if (std::ranges::find(sources, kCorrectionsSourceId) != sources.end())
        return;
    // After the winner, whose other fields the paper keeps.
    sources.insert(sources.begin() + std::min<std::ptrdiff_t>(1, std::ssize(sources)),
                   std::string(kCorrectionsSourceId));
}

} // namespace

Source CorrectionsSource(const std::vector<Correction>& corrections)
{
    // The file is as new as its latest review; reviewed days are all "YYYY-MM-DD".
    std::string latest;
    for (const Correction& correction : corrections)
        latest = std::max(latest, correction.reviewed);
    return {std::string(kCorrectionsSourceId),
            "Readers' reports, reviewed by the publisher of Tavi's Newspapers", "readers",
            latest, "CC0 1.0", "", ""};
}

std::string CorrectionsFileHeader()
{
    return "# Tavi's Newspapers: readers' corrections to the catalogue.\n"
           "# Reports that readers sent through the directory's forms, each reviewed and accepted "
           "by the\n"
           "# publisher (tnews-catalogue corrections accept); tnews-catalogue build applies them "
           "with the\n"
           "# curated list's priority. Offered under CC0 1.0.\n"
           "# UTF-8, one correction per line, ten TAB-separated fields:\n"
           "#   action  region  place  name  city  website  value  reported  reviewed  report\n"
           "# add: a paper to list; move: the paper at website now lives at value; place: the "
           "paper at\n"
           "# website belongs under region and place; closed: the paper at website has closed "
           "(value:\n"
           "# the day it was reported); remove: the website is gone or not a newspaper's (value "
           "says which).\n"
           "# reported and reviewed are days; report names the item in the corrections store.\n";
}

std::vector<Correction> ParseCorrections(std::string_view text, std::string_view fileName)
{
    FileLines lines(text, fileName);
    std::vector<Correction> corrections;
    std::set<std::string, std::less<>> reports;
    while (lines.Next())
    {
        const std::vector<std::string_view> raw = SplitFields(lines.Line());
        if (raw.size() != kFieldNames.size())
        {
            lines.Fail("expected " + std::to_string(kFieldNames.size()) +
                       " tab-separated fields, found " + std::to_string(raw.size()));
        }
        std::array<std::string, kFieldNames.size()> fields;
        for (std::size_t i = 0; i < raw.size(); ++i)
        {
            std::string problem;
            if (!UnescapeField(raw[i], fields[i], problem))
                lines.Fail("field " + std::to_string(i + 1) + " (" + std::string(kFieldNames[i]) +
                           ") " + problem);
        }
        Correction correction;
        correction.action = fields[0];
        correction.name = fields[3];
        correction.city = fields[4];
        correction.website = fields[5];
        correction.value = fields[6];
        correction.reported = fields[7];
        correction.reviewed = fields[8];
        correction.report = fields[9];
        correction.origin = std::string(fileName) + ":" + std::to_string(lines.Number());
        const std::string& action = correction.action;
        if (std::ranges::find(kActions, action) == kActions.end())
            lines.Fail("unknown action \"" + action + "\"; expected add, move, place, closed or remove");
        correction.place = FindPlace(fields[1], fields[2]);
        if (!correction.place)
        {
            lines.Fail("\"" + fields[2] + "\" is not a place of region \"" + fields[1] + "\"");
        }
        if ((action == "add" || action == "place") && FindRule(*correction.place))
        {
            lines.Fail("\"" + fields[2] + "\" lists no papers of its own; file the paper under "
                                          "its country");
        }
        if (correction.name.empty() && action == "add")
            lines.Fail("an added paper needs a name");
        if (!WebsiteKey(correction.website))
            lines.Fail("website \"" + correction.website + "\" is not an absolute http or https URL");
        const bool valueFits =
            action == "move"     ? WebsiteKey(correction.value).has_value()
            : action == "closed" ? IsDay(correction.value)
            : action == "remove" ? correction.value == "gone" || correction.value == "not-newspaper"
                                 : correction.value.empty();
        if (!valueFits)
            lines.Fail("value \"" + correction.value + "\" does not fit the action " + action);
        if (!IsDay(correction.reported) || !IsDay(correction.reviewed))
            lines.Fail("the reported and reviewed days must be written as 2026-12-07");
        if (correction.report.empty() || !reports.insert(correction.report).second)
            lines.Fail("report \"" + correction.report + "\" is empty or named before");
        corrections.push_back(std::move(correction));
    }
    return corrections;
}

std::string FormatCorrection(const Correction& correction)
{
    const std::string_view code = correction.place ? correction.place->region->code : "";
    const std::string_view place = correction.place ? correction.place->place : "";
    std::string line;
    for (std::string_view field :
         {std::string_view(correction.action), code, place, std::string_view(correction.name),
          std::string_view(correction.city), std::string_view(correction.website),
          std::string_view(correction.value), std::string_view(correction.reported),
          std::string_view(correction.reviewed), std::string_view(correction.report)})
    {
        if (!line.empty())
            line += '\t';
        line += EscapeField(field);
    }
    return line + '\n';
}

void AddCorrections(const std::vector<Correction>& corrections, Import& import)
{
    for (const Correction& correction : corrections)
    {
        ++import.read[std::string(kCorrectionsSourceId)];
        if (correction.action == "closed")
        {
            KeyedEvidence report;
            report.source = kCorrectionsSourceId;
            report.keys = {*WebsiteKey(correction.website)};
            report.closure =
                ClosureReport{correction.value, "reader report, reviewed " + correction.reviewed, ""};
            import.evidence.push_back(std::move(report));
            continue;
        }
        if (correction.action != "add")
            continue;
        Entry entry;
        entry.source = kCorrectionsSourceId;
        entry.place = correction.place;
        entry.name = correction.name;
        entry.city = correction.city;
        entry.website = correction.website;
        entry.keys = {*WebsiteKey(correction.website)};
        entry.origin = correction.origin;
        import.entries.push_back(std::move(entry));
    }
}

void ApplyCorrections(const std::vector<Correction>& corrections, std::vector<Paper>& papers,
                      Tally& notApplied)
{
    auto& tally = notApplied[std::string(kCorrectionsSourceId)];
    // Each paper's key, computed once: parsing every website for every correction would not do.
    std::vector<std::string> keys;
    keys.reserve(papers.size());
    for (const Paper& paper : papers)
        keys.push_back(WebsiteKey(paper.website).value_or(paper.website));
    for (const Correction& correction : corrections)
    {
        if (correction.action == "add" || correction.action == "closed")
            continue; // both came in with the data sets' entries and evidence
        const std::string key = *WebsiteKey(correction.website);
        if (std::ranges::find(keys, key) == keys.end())
        {
            ++tally["corrections whose website no paper has"];
            continue;
        }
        for (std::size_t i = keys.size(); i-- > 0;)
        {
            if (keys[i] != key)
                continue;
            Paper& paper = papers[i];
            if (correction.action == "remove")
            {
                papers.erase(papers.begin() + static_cast<std::ptrdiff_t>(i));
                keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            if (correction.action == "move")
            {
                paper.website = correction.value;
                keys[i] = *WebsiteKey(correction.value);
            }
            else
            {
                paper.region = correction.place->region;
                paper.place = correction.place->place;
                if (!correction.city.empty())
                    paper.city = correction.city;
            }
            AddSource(paper.sources);
        }
    }
}

} // namespace tnews::catalogue
