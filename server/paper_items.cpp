#include "paper_items.h"

#include "html.h"

#include <algorithm>

namespace tnews::server
{
namespace
{

std::string FailureText(const catalogue::LinkCheck& check)
{
    std::string reason = check.detail;
    if (reason.empty())
        reason = check.httpStatus != 0 ? "HTTP " + std::to_string(check.httpStatus) : "no answer";
    return "link failed on " + check.checkedAt.substr(0, 10) + ": " + reason;
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
    : m_checked(checks.size())
{
    for (const catalogue::LinkCheck& check : checks)
    {
        // The times are all "YYYY-MM-DDThh:mm:ssZ", so their text order is their time order.
        m_latestDay = std::max(m_latestDay, check.checkedAt.substr(0, 10));
        m_byWebsite[check.website].push_back(check);
    }
    for (auto& [website, history] : m_byWebsite)
    {
        std::ranges::stable_sort(history, {}, &catalogue::LinkCheck::checkedAt);
        m_failed += history.back().ok ? 0 : 1;
    }
}

const catalogue::LinkCheck* CheckResults::Failure(std::string_view website) const
{
    const std::span<const catalogue::LinkCheck> history = History(website);
    return history.empty() || history.back().ok ? nullptr : &history.back();
}

std::span<const catalogue::LinkCheck> CheckResults::History(std::string_view website) const
{
    const auto found = m_byWebsite.find(website);
    if (found == m_byWebsite.end())
        return {};
    return found->second;
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
    const catalogue::PaperStatus status = checks.Status(paper);
    std::string note;
    if (!where.empty())
        note += std::string(where) + " \u00B7 ";
    if (status.reportedClosed)
    {
        // A closed paper's address may belong to someone else by now: shown, never linked.
        note += ClosureText(*status.closure) + " \u00B7 was at " + AddressesText(paper);
        html += "<li>" + EscapeHtml(paper.name) + " <span class=\"note\">\u2014 " +
                EscapeHtml(note) + "</span></li>\n";
        return;
    }
    // target and rel make the program hand the link to the user's browser instead of leaving
    // the directory in its small pane, and keep the directory's address from the newspaper.
    html += "<li><a href=\"";
    html += EscapeHtml(paper.website);
    html += "\" target=\"_blank\" rel=\"noopener noreferrer\">";
    html += EscapeHtml(paper.name);
    html += "</a> <span class=\"note\">\u2014 ";
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
    if (!paper.addresses.empty())
        note += " \u00B7 earlier at " + AddressesText(paper, 1);
    html += EscapeHtml(note);
    html += "</span>";
    if (const catalogue::LinkCheck* failure = checks.Failure(paper.website))
    {
        html += " <span class=\"failed\">\u2717 ";
        html += EscapeHtml(FailureText(*failure));
        html += "</span>";
    }
    html += "</li>\n";
}

} // namespace tnews::server
