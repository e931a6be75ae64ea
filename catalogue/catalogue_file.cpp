#include "catalogue_file.h"

#include "file_lines.h"
#include "paper_status.h"
#include "text_fields.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace tnews::catalogue
{
namespace
{

constexpr std::string_view kFileHeader =
    "# Tavi's Newspapers: the newspaper catalogue, written by tnews-catalogue build.\n"
    "# Records: source, alias, rule, note, paper with its address, alive and closed records;\n"
    "# TAB-separated, see catalogue/catalogue_file.h.\n";

struct RecordShape
{
    std::string_view kind;
    std::size_t fieldCount; // the kind included
};

constexpr RecordShape kShapes[] = {
    {"source", 8}, {"alias", 4},   {"rule", 6},  {"note", 4},
    {"paper", 10}, {"address", 2}, {"alive", 4}, {"closed", 4},
};

bool IsSourceId(std::string_view id)
{
    return !id.empty() && std::ranges::all_of(id, [](char c)
                                              {
                                                  return (c >= 'a' && c <= 'z') ||
                                                         (c >= '0' && c <= '9') || c == '-';
                                              });
}

std::optional<PlaceRule::How> ParseRuleHow(std::string_view name)
{
    for (PlaceRule::How how :
         {PlaceRule::How::SameAs, PlaceRule::How::Language, PlaceRule::How::None})
    {
        if (RuleHowName(how) == name)
            return how;
    }
    return std::nullopt;
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// One record's fields, unescaped, with the checks every record kind shares.
class RecordParser
{
public:
    explicit RecordParser(const FileLines& lines) : m_lines(lines) {}

    // The fields after the kind; fails unless the line has the record's field count.
    void Split(const RecordShape& shape)
    {
        const std::vector<std::string_view> raw = SplitFields(m_lines.Line());
        if (raw.size() != shape.fieldCount)
        {
            m_lines.Fail("a " + std::string(shape.kind) + " record has " +
                         std::to_string(shape.fieldCount) + " tab-separated fields, found " +
                         std::to_string(raw.size()));
        }
        m_fields.assign(raw.size() - 1, {});
        for (std::size_t i = 1; i < raw.size(); ++i)
        {
            std::string problem;
            if (!UnescapeField(raw[i], m_fields[i - 1], problem))
                m_lines.Fail("field " + std::to_string(i + 1) + " " + problem);
            const std::string& field = m_fields[i - 1];
            if (!field.empty() && (field.front() == ' ' || field.back() == ' '))
                m_lines.Fail("field " + std::to_string(i + 1) + " has blanks at its start or end");
        }
    }

    const std::string& Field(std::size_t index) const { return m_fields[index]; }

    const std::string& Required(std::size_t index, std::string_view what) const
    {
        if (m_fields[index].empty())
            m_lines.Fail(std::string(what) + " is empty");
        return m_fields[index];
    }

    const RegionInfo& Region(std::size_t index) const
    {
        const RegionInfo* region = FindRegion(m_fields[index]);
        if (!region)
            m_lines.Fail("unknown region code " + Quoted(m_fields[index]) + "; expected c, u or i");
        return *region;
    }

    std::string_view Place(const RegionInfo& region, std::size_t index) const
    {
        auto place = std::ranges::find(region.places, m_fields[index]);
        if (place == region.places.end())
        {
            m_lines.Fail(Quoted(m_fields[index]) + " is not a " + std::string(region.placeKey) +
                         " of region " + std::string(region.code));
        }
        return *place;
    }

    const std::string& Date(std::size_t index, std::string_view what) const
    {
        if (!IsEvidenceDate(m_fields[index]))
            m_lines.Fail(std::string(what) + " " + Quoted(m_fields[index]) +
                         " is not a date like 2026, 2026-03 or 2026-03-25");
        return m_fields[index];
    }

    std::string Url(std::size_t index, std::string_view what, bool optional) const
    {
        const std::string& url = m_fields[index];
        if (url.empty() && optional)
            return url;
        if (!IsWebUrl(url))
            m_lines.Fail(std::string(what) + " " + Quoted(url) +
                         " is not an absolute http or https URL");
        return url;
    }

private:
    const FileLines& m_lines;
    std::vector<std::string> m_fields;
};

using PlaceKey = std::pair<const RegionInfo*, std::string_view>;

class CatalogueParser
{
public:
    CatalogueParser(std::string_view text, std::string_view fileName) : m_lines(text, fileName) {}

    Catalogue Parse()
    {
        while (m_lines.Next())
        {
            const std::string_view kind = m_lines.Line().substr(0, m_lines.Line().find('\t'));
            auto shape = std::ranges::find(kShapes, kind, &RecordShape::kind);
            if (shape == std::end(kShapes))
            {
                m_lines.Fail("unknown record " + Quoted(kind) +
                             "; expected source, alias, rule, note, paper, address, alive or "
                             "closed");
            }
            RecordParser record(m_lines);
            record.Split(*shape);
            if (kind == "source")
                ParseSource(record);
            else if (kind == "alias")
                ParseAlias(record);
            else if (kind == "rule")
                ParseRule(record);
            else if (kind == "note")
                ParseNote(record);
            else if (kind == "paper")
                ParsePaper(record);
            else
                ParseEvidence(kind, record);
        }
        CheckWhole();
        return std::move(m_catalogue);
    }

private:
    void ParseSource(const RecordParser& record)
    {
        Source source{record.Field(0),
                      record.Required(1, "the source's name"),
                      record.Required(2, "the source's short name"),
                      record.Date(3, "the source's date"),
                      record.Required(4, "the source's licence"),
                      record.Url(5, "the source's url", true),
                      record.Field(6)};
        if (!IsSourceId(source.id))
            m_lines.Fail("source id " + Quoted(source.id) +
                         " is not lower-case letters, digits and '-'");
        auto [first, inserted] = m_sourceLines.try_emplace(source.id, m_lines.Number());
        if (!inserted)
            m_lines.Fail("source " + Quoted(source.id) + " is already defined on line " +
                         std::to_string(first->second));
        m_catalogue.sources.push_back(std::move(source));
    }

    void ParseAlias(const RecordParser& record)
    {
        const RegionInfo& region = record.Region(0);
        const std::string_view place = record.Place(region, 1);
        const std::string& alias = record.Required(2, "the other name");
        if (alias == place)
            m_lines.Fail("the other name is the place's own");
        if (!m_aliases.emplace(&region, place, alias).second)
            m_lines.Fail(Quoted(alias) + " is already an other name of " + Quoted(place));
        m_catalogue.aliases.push_back({&region, place, alias});
    }

    void ParseRule(const RecordParser& record)
    {
        const RegionInfo& region = record.Region(0);
        const std::string_view place = record.Place(region, 1);
        const std::optional<PlaceRule::How> how = ParseRuleHow(record.Field(2));
        if (!how)
            m_lines.Fail("unknown rule " + Quoted(record.Field(2)) +
                         "; expected same-as, language or none");
        const std::string& value = record.Field(3);
        if (*how == PlaceRule::How::SameAs)
        {
            if (record.Place(region, 3) == place)
                m_lines.Fail("a place can't be the same as itself");
        }
        else if (*how == PlaceRule::How::Language && value.empty())
            m_lines.Fail("a language rule names its language");
        else if (*how == PlaceRule::How::None && !value.empty())
            m_lines.Fail("a none rule has an empty value");
        auto [first, inserted] = m_ruleLines.try_emplace(PlaceKey{&region, place}, m_lines.Number());
        if (!inserted)
            m_lines.Fail(Quoted(place) + " already has a rule on line " +
                         std::to_string(first->second));
        m_catalogue.rules.push_back(
            {&region, place, *how, value, record.Required(4, "the rule's note")});
    }

    void ParseNote(const RecordParser& record)
    {
        const RegionInfo& region = record.Region(0);
        const std::string_view place = record.Place(region, 1);
        auto [first, inserted] =
            m_noteLines.try_emplace(PlaceKey{&region, place}, m_lines.Number());
        if (!inserted)
            m_lines.Fail(Quoted(place) + " already has a note on line " +
                         std::to_string(first->second));
        m_catalogue.notes.push_back({&region, place, record.Required(2, "the note")});
    }

    // An address, alive or closed record, which belongs to the paper above it.
    void ParseEvidence(std::string_view kind, const RecordParser& record)
    {
        if (m_catalogue.papers.empty())
            m_lines.Fail("the " + std::string(kind) +
                         " record belongs to the paper above it, and "
                         "there is none");
        Paper& paper = m_catalogue.papers.back();
        if (kind == "address")
        {
            const std::string url = record.Url(0, "the earlier address", false);
            if (url == paper.website ||
                std::ranges::find(paper.addresses, url) != paper.addresses.end())
                m_lines.Fail("the address " + Quoted(url) + " is already the paper's");
            paper.addresses.push_back(url);
        }
        else if (kind == "alive")
        {
            SignOfLife sign{record.Date(0, "the date"), record.Required(1, "the source"),
                            record.Required(2, "what was seen")};
            if (!m_sourceLines.contains(sign.sourceId))
                m_lines.Fail("source " + Quoted(sign.sourceId) +
                             " is not defined by a source record above");
            paper.alive.push_back(std::move(sign));
        }
        else
        {
            paper.closures.push_back({record.Date(0, "the date"),
                                      record.Required(1, "who reports it"), record.Field(2)});
        }
    }

    void ParsePaper(const RecordParser& record)
    {
        Paper paper;
        paper.region = &record.Region(0);
        paper.place = record.Place(*paper.region, 1);
        paper.city = record.Field(2);
        paper.name = record.Required(3, "the paper's name");
        const std::optional<Kind> kind = ParseKind(record.Field(4));
        if (!kind)
            m_lines.Fail("unknown kind " + Quoted(record.Field(4)) +
                         "; expected newspaper or college");
        paper.kind = *kind;
        paper.language = record.Field(5);
        paper.website = record.Url(6, "website", false);
        paper.feed = record.Url(7, "feed", true);
        const std::string& sources = record.Required(8, "the paper's sources");
        for (std::string_view id : SplitFields(sources, ','))
        {
            if (!m_sourceLines.contains(std::string(id)))
                m_lines.Fail("source " + Quoted(id) + " is not defined by a source record above");
            if (std::ranges::find(paper.sources, id) != paper.sources.end())
                m_lines.Fail("source " + Quoted(id) + " is named twice");
            paper.sources.emplace_back(id);
        }
        m_paperLines.try_emplace(PlaceKey{paper.region, paper.place}, m_lines.Number());
        m_catalogue.papers.push_back(std::move(paper));
    }

    // What only the whole file can tell: rules stand for places without papers, notes for
    // places with some, and a same-as rule leads to a place that shows papers of its own.
    void CheckWhole() const
    {
        if (m_catalogue.papers.empty())
            throw CatalogueError(std::string(m_lines.FileName()) + ": the catalogue has no paper");
        for (const auto& [place, line] : m_noteLines)
        {
            if (!m_paperLines.contains(place))
                m_lines.FailAt(line, Quoted(place.second) + " has a note but no paper");
        }
        for (const PlaceRule& rule : m_catalogue.rules)
        {
            const std::size_t line = m_ruleLines.at(PlaceKey{rule.region, rule.place});
            if (auto paper = m_paperLines.find(PlaceKey{rule.region, rule.place});
                paper != m_paperLines.end())
            {
                m_lines.FailAt(line, Quoted(rule.place) + " has a rule but also papers (line " +
                                         std::to_string(paper->second) + ")");
            }
            if (rule.how == PlaceRule::How::SameAs &&
                m_ruleLines.contains(PlaceKey{rule.region, rule.value}))
            {
                m_lines.FailAt(line, Quoted(rule.place) + " is the same as " + Quoted(rule.value) +
                                         ", which has a rule itself");
            }
        }
    }

    FileLines m_lines;
    Catalogue m_catalogue;
    std::map<std::string, std::size_t> m_sourceLines;
    std::map<PlaceKey, std::size_t> m_ruleLines;
    std::map<PlaceKey, std::size_t> m_noteLines;
    std::map<PlaceKey, std::size_t> m_paperLines; // each place's first paper
    std::set<std::tuple<const RegionInfo*, std::string_view, std::string>> m_aliases;
};

void AppendRecord(std::string& out, std::initializer_list<std::string_view> fields)
{
    bool first = true;
    for (std::string_view field : fields)
    {
        if (!first)
            out += '\t';
        out += EscapeField(field);
        first = false;
    }
    out += '\n';
}

std::string JoinSources(const std::vector<std::string>& ids)
{
    std::string joined;
    for (const std::string& id : ids)
    {
        if (!joined.empty())
            joined += ',';
        joined += id;
    }
    return joined;
}

} // namespace

std::string_view RuleHowName(PlaceRule::How how)
{
    switch (how)
    {
    case PlaceRule::How::SameAs:
        return "same-as";
    case PlaceRule::How::Language:
        return "language";
    case PlaceRule::How::None:
        break;
    }
    return "none";
}

std::string_view KindName(Kind kind)
{
    return kind == Kind::College ? "college" : "newspaper";
}

std::optional<Kind> ParseKind(std::string_view name)
{
    if (name == "newspaper")
        return Kind::Newspaper;
    if (name == "college")
        return Kind::College;
    return std::nullopt;
}

bool HasLanguage(const Paper& paper, std::string_view language)
{
    for (std::string_view one : SplitFields(paper.language, ','))
    {
        if (one.starts_with(' '))
            one.remove_prefix(1);
        if (one == language)
            return true;
    }
    return false;
}

Catalogue ParseCatalogue(std::string_view text, std::string_view fileName)
{
    return CatalogueParser(text, fileName).Parse();
}

Catalogue LoadCatalogue(const std::filesystem::path& file)
{
    return ParseCatalogue(ReadWholeFile(file), file.string());
}

std::string FormatCatalogue(const Catalogue& catalogue)
{
    std::string out(kFileHeader);
    for (const Source& s : catalogue.sources)
    {
        AppendRecord(
            out, {"source", s.id, s.name, s.shortName, s.date, s.licence, s.url, s.attribution});
    }
    for (const PlaceAlias& a : catalogue.aliases)
        AppendRecord(out, {"alias", a.region->code, a.place, a.alias});
    for (const PlaceRule& r : catalogue.rules)
        AppendRecord(out, {"rule", r.region->code, r.place, RuleHowName(r.how), r.value, r.note});
    for (const PlaceNote& n : catalogue.notes)
        AppendRecord(out, {"note", n.region->code, n.place, n.text});
    for (const Paper& p : catalogue.papers)
    {
        AppendRecord(out, {"paper", p.region->code, p.place, p.city, p.name, KindName(p.kind),
                           p.language, p.website, p.feed, JoinSources(p.sources)});
        for (const std::string& address : p.addresses)
            AppendRecord(out, {"address", address});
        for (const SignOfLife& sign : p.alive)
            AppendRecord(out, {"alive", sign.date, sign.sourceId, sign.what});
        for (const ClosureReport& report : p.closures)
            AppendRecord(out, {"closed", report.date, report.reportedBy, report.note});
    }
    return out;
}

} // namespace tnews::catalogue
