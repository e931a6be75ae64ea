#include "paper_items.h"

#include "correction_pages.h"
#include "html.h"

#include <algorithm>

namespace tnews::server
{
namespace
{

// Why the site is marked, for a site whose latest check found no page of its own.
std::string FailureText(const catalogue::SiteVerdict& verdict)
{
    const catalogue::LinkCheck& check = verdict.latest;
    const std::string day = check.checkedAt.substr(0, 10);
    if (verdict.state == catalogue::SiteVerdict::State::NotAnswering)
        return "not answering since " + verdict.since.substr(0, 10);
    if (verdict.state == catalogue::SiteVerdict::State::Parked)
        return "a parking or for-sale page on " + day;
    std::string reason = check.detail;
    if (reason.empty())
        reason = check.httpStatus != 0 ? "HTTP " + std::to_string(check.httpStatus) : "no answer";
    return "link failed on " + day + ": " + reason;
}

// An address as a reader would type it: without its scheme.
std::string_view AddressText(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    return scheme == std::string_view::npos ? url : url.substr(scheme + 3);
}

// The paper's addresses from the `from`th (0: its website), newest first, as text.
std::string AddressesText(const catalogue::Paper& paper, std::size_t from = 0)
{
    std::string text;
    for (std::size_t i = from; i <= paper.addresses.size(); ++i)
    {
        const std::string& url = i == 0 ? paper.website : paper.addresses[i - 1];
        text += (text.empty() ? "" : ", ") + std::string(AddressText(url));
    }
    return text;
}

// "closed 2016, says Wikidata (dissolved)": the year is what a reader needs of the date.
std::string ClosureText(const catalogue::ClosureReport& report)
{
    std::string text = "closed " + report.date.substr(0, 4) + ", says " + report.reportedBy;
    if (!report.note.empty())
        text += " (" + report.note + ")";
    return text;
}

// When the paper was last seen alive and by what; without a sign of life, when and where it
// was last listed, which says only that a directory had it then.
std::string SeenText(const catalogue::Paper& paper, const catalogue::PaperStatus& status,
                     std::span<const catalogue::Source> sources)
{
    if (status.lastSeen)
        return "seen alive " + status.lastSeen->date + " (" + status.lastSeen->what + ")";
    if (const catalogue::Source* listed = catalogue::NewestListing(paper, sources))
        return "listed " + listed->date.substr(0, 4) + " (" + listed->shortName + ")";
    return {};
}

} // namespace

CheckResults::CheckResults(const std::vector<catalogue::LinkCheck>& checks)
{
    for (auto& [website, history] : catalogue::ChecksBySite(checks))
    {
        catalogue::SiteVerdict verdict = catalogue::JudgeSite(history);
        // The times are all "YYYY-MM-DDThh:mm:ssZ", so their text order is their time order.
        m_latestDay = std::max(m_latestDay, verdict.latest.checkedAt.substr(0, 10));
        m_failed += verdict.latest.ok ? 0 : 1;
        m_sites.emplace(website, Site{std::move(history), std::move(verdict)});
    }
}

const catalogue::SiteVerdict* CheckResults::Verdict(std::string_view website) const
{
    const auto found = m_sites.find(website);
    return found == m_sites.end() ? nullptr : &found->second.verdict;
}

const catalogue::LinkCheck* CheckResults::Failure(std::string_view website) const
{
    const catalogue::SiteVerdict* verdict = Verdict(website);
    return verdict && !verdict->latest.ok ? &verdict->latest : nullptr;
}

bool CheckResults::NotAnswering(std::string_view website) const
{
    const catalogue::SiteVerdict* verdict = Verdict(website);
    return verdict && verdict->state == catalogue::SiteVerdict::State::NotAnswering;
}

std::span<const catalogue::LinkCheck> CheckResults::History(std::string_view website) const
{
    const auto found = m_sites.find(website);
    if (found == m_sites.end())
        return {};
    return found->second.history;
}

catalogue::PaperStatus CheckResults::Status(const catalogue::Paper& paper) const
{
    return catalogue::DecidePaperStatus(paper, History(paper.website));
}

std::string_view KindLabel(catalogue::Kind kind)
{
    return kind == catalogue::Kind::College ? "college paper" : "newspaper";
}

void AppendPaperItem(std::string& html, const catalogue::Paper& paper, std::string_view where,
                     const CheckResults& checks, std::span<const catalogue::Source> sources)
{
    using State = catalogue::SiteVerdict::State;
    const catalogue::PaperStatus status = checks.Status(paper);
    const std::string report =
        " <a class=\"report\" href=\"" + EscapeHtml(ReportLink(paper)) + "\">Report</a>";
    std::string note;
    if (!where.empty())
        note += std::string(where) + " \u00B7 ";
    if (status.reportedClosed)
    {
        // A closed paper's address may belong to someone else by now: shown, never linked.
        note += ClosureText(*status.closure) + " \u00B7 was at " + AddressesText(paper);
        html += "<li>" + EscapeHtml(paper.name) + " <span class=\"note\">\u2014 " +
                EscapeHtml(note) + "</span>" + report + "</li>\n";
        return;
    }
    const catalogue::SiteVerdict* verdict = checks.Verdict(paper.website);
    const State state = verdict ? verdict->state : State::Unchecked;
    const bool gone = state == State::NotAnswering || state == State::Parked;
    const std::string& address =
        state == State::Answering && !verdict->movedTo.empty() ? verdict->movedTo : paper.website;
    // target and rel make the program hand the link to the user's browser instead of leaving
    // the directory in its small pane, and keep the directory's address from the newspaper.
    if (gone)
        html += "<li>" + EscapeHtml(paper.name);
    else
        html += "<li><a href=\"" + EscapeHtml(address) +
                "\" target=\"_blank\" rel=\"noopener noreferrer\">" + EscapeHtml(paper.name) +
                "</a>";
    html += " <span class=\"note\">\u2014 ";
    note += std::string(KindLabel(paper.kind));
    if (!paper.language.empty())
        note += ", " + paper.language;
    if (const std::string seen = SeenText(paper, status, sources); !seen.empty())
        note += " \u00B7 " + seen;
    // Only a newer sign of life keeps a reported closure live; it says so.
    if (status.closure)
    {
        note += ", after " + status.closure->reportedBy + " reported it closed " +
                status.closure->date.substr(0, 4);
    }
    if (gone)
        note += " \u00B7 was " + paper.website;
    else if (address != paper.website)
        note += " \u00B7 moved to " + address;
    if (!paper.addresses.empty())
        note += " \u00B7 earlier at " + AddressesText(paper, 1);
    html += EscapeHtml(note);
    html += "</span>";
    if (verdict && state != State::Answering)
        html += " <span class=\"failed\">\u2717 " + EscapeHtml(FailureText(*verdict)) + "</span>";
    html += report + "</li>\n";
}

} // namespace tnews::server
