// One paper as a line of a page: its name as a link that opens outside the pane, what kind of
// paper it is, its language, and a mark when its website failed the last link check.
#pragma once

#include "catalogue/catalogue_file.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tnews::server
{

/// The latest link checks of the catalogue's websites, for marking papers whose site failed.
class CheckResults
{
public:
    explicit CheckResults(const std::vector<catalogue::LinkCheck>& checks);

    /// The latest check of `website` when it failed; null when it passed or was never checked.
    const catalogue::LinkCheck* Failure(std::string_view website) const;
    std::size_t CheckedCount() const { return m_checked; }
    std::size_t FailedCount() const { return m_failures.size(); }
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
    std::unordered_map<std::string, catalogue::LinkCheck, Hash, std::equal_to<>>
        m_failures; // by website
    std::size_t m_checked = 0;
    std::string m_latestDay;
};

/// Appends `paper` as an <li>: the name linking to its website (opening in the user's own
/// browser), then `where` (e.g. its city and place; nothing when empty), its kind, its language
/// when known, the failed check's day and reason from `checks`, and a link to report a problem
/// with it. Every value is escaped.
void AppendPaperItem(std::string& html, const catalogue::Paper& paper, std::string_view where,
                     const CheckResults& checks);

/// "newspaper" or "college paper", as a page names the kind.
std::string_view KindLabel(catalogue::Kind kind);

} // namespace tnews::server
