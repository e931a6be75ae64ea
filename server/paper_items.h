// One paper as a line of a page: its name as a link that opens outside the pane, what kind of
// paper it is, its language, when it was last seen alive, and what the link checks found of its
// website; or, for a paper reported closed, its name, year and who says so.
#pragma once

#include "catalogue/catalogue_file.h"
#include "catalogue/paper_status.h"
#include "catalogue/site_verdict.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tnews::server
{

/// The link checks of the catalogue's websites, judged site by site (catalogue::JudgeSite), for
/// marking papers whose site failed and for deciding what their evidence says.
class CheckResults
{
public:
    /// `checks`: every check of every website, in any order.
    explicit CheckResults(const std::vector<catalogue::LinkCheck>& checks);

    /// The verdict on `website`; null when it was never checked.
    const catalogue::SiteVerdict* Verdict(std::string_view website) const;
    /// The latest check of `website` when it found no page of its own; null when it passed or
    /// was never checked.
    const catalogue::LinkCheck* Failure(std::string_view website) const;
    /// True if `website` is listed apart, as not answering since its verdict's date.
    bool NotAnswering(std::string_view website) const;
    /// Every check of `website` there is, oldest first; empty when it was never checked.
    std::span<const catalogue::LinkCheck> History(std::string_view website) const;
    /// What the evidence of `paper` and the checks of its website say (DecidePaperStatus).
    catalogue::PaperStatus Status(const catalogue::Paper& paper) const;
    std::size_t CheckedCount() const { return m_sites.size(); }
    std::size_t FailedCount() const { return m_failed; }
    /// The day of the most recent check, "2026-12-07"; empty when nothing was checked.
    const std::string& LatestDay() const { return m_latestDay; }

private:
    // Looked up by string_view, without a copy of the website.
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const
        {
            return std::hash<std::string_view>()(text);
        }
    };
    struct Site
    {
        std::vector<catalogue::LinkCheck> history; // oldest first
        catalogue::SiteVerdict verdict;
    };
    std::unordered_map<std::string, Site, Hash, std::equal_to<>> m_sites; // by website
    std::size_t m_failed = 0;
    std::string m_latestDay;
};

/// Appends `paper` as an <li>. A live paper: the name linking to its website (opening in the
/// user's own browser), then `where` (e.g. its city and place; nothing when empty), its kind,
/// its language when known, when it was last seen alive and by what (or, without any sign of
/// life, when and where it was last listed, from `sources`), a closure report that a newer
/// sign of life outweighs, its earlier addresses as text, and what `checks` found: the new
/// address of a site that moved (which the name then links to), or a failed check's day and
/// reason; a site that is parked or has stopped answering is not linked, its address shown as
/// text. A paper reported closed: its name as text, `where`, the year it closed and who says
/// so, and its last address as text. Either ends with a link to report a problem with it.
/// Every value is escaped.
void AppendPaperItem(std::string& html, const catalogue::Paper& paper, std::string_view where,
                     const CheckResults& checks, std::span<const catalogue::Source> sources);

/// "newspaper" or "college paper", as a page names the kind.
std::string_view KindLabel(catalogue::Kind kind);

} // namespace tnews::server
