#include "paper_items.h"

#include "correction_pages.h"
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

} // namespace

CheckResults::CheckResults(const std::vector<catalogue::LinkCheck>& checks)
    : m_checked(checks.size())
{
    for (const catalogue::LinkCheck& check : checks)
    {
        // The times are all "YYYY-MM-DDThh:mm:ssZ", so their text order is their time order.
        m_latestDay = std::max(m_latestDay, check.checkedAt.substr(0, 10));
        if (!check.ok)
            m_failures.insert_or_assign(check.website, check);
    }
}

const catalogue::LinkCheck* CheckResults::Failure(std::string_view website) const
{
    const auto found = m_failures.find(website);
    return found == m_failures.end() ? nullptr : &found->second;
}

std::string_view KindLabel(catalogue::Kind kind)
{
    return kind == catalogue::Kind::College ? "college paper" : "newspaper";
}

void AppendPaperItem(std::string& html, const catalogue::Paper& paper, std::string_view where,
                     const CheckResults& checks)
{
    // target and rel make the program hand the link to the user's browser instead of leaving
    // the directory in its small pane, and keep the directory's address from the newspaper.
    html += "<li><a href=\"";
    html += EscapeHtml(paper.website);
    html += "\" target=\"_blank\" rel=\"noopener noreferrer\">";
    html += EscapeHtml(paper.name);
    html += "</a> <span class=\"note\">\u2014 ";
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
    html += "</span>";
    if (const catalogue::LinkCheck* failure = checks.Failure(paper.website))
    {
        html += " <span class=\"failed\">\u2717 ";
        html += EscapeHtml(FailureText(*failure));
        html += "</span>";
    }
    html += " <a class=\"report\" href=\"" + EscapeHtml(ReportLink(paper)) + "\">Report</a>";
    html += "</li>\n";
}

} // namespace tnews::server
