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

} // namespace

CheckResults::CheckResults(const std::vector<catalogue::LinkCheck>& checks)
{
    for (const auto& [website, history] : catalogue::ChecksBySite(checks))
    {
        catalogue::SiteVerdict verdict = catalogue::JudgeSite(history);
        // The times are all "YYYY-MM-DDThh:mm:ssZ", so their text order is their time order.
        m_latestDay = std::max(m_latestDay, verdict.latest.checkedAt.substr(0, 10));
        m_failed += verdict.latest.ok ? 0 : 1;
        m_verdicts.emplace(website, std::move(verdict));
    }
}

const catalogue::SiteVerdict* CheckResults::Verdict(std::string_view website) const
{
    const auto found = m_verdicts.find(website);
    return found == m_verdicts.end() ? nullptr : &found->second;
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

std::string_view KindLabel(catalogue::Kind kind)
{
    return kind == catalogue::Kind::College ? "college paper" : "newspaper";
}

void AppendPaperItem(std::string& html, const catalogue::Paper& paper, std::string_view where,
                     const CheckResults& checks)
{
    using State = catalogue::SiteVerdict::State;
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
    if (!where.empty())
    {
        html += EscapeHtml(where);
        html += " \u00B7 ";
    }
    html += KindLabel(paper.kind);
    if (!paper.language.empty())
    {
        html += ", ";
        html += EscapeHtml(paper.language);
    }
    if (gone)
        html += " \u00B7 was " + EscapeHtml(paper.website);
    else if (address != paper.website)
        html += " \u00B7 moved to " + EscapeHtml(address);
    html += "</span>";
    if (verdict && state != State::Answering)
        html += " <span class=\"failed\">\u2717 " + EscapeHtml(FailureText(*verdict)) + "</span>";
    html += " <a class=\"report\" href=\"" + EscapeHtml(ReportLink(paper)) + "\">Report</a>";
    html += "</li>\n";
}

} // namespace tnews::server
