// What the main window's top row holds, apart from its widgets: the region code, the drop-down's
// entries and selection, and the keyword box. The window forwards its handlers here and shows
// the result; the pages go to the browser pane.
#pragma once

#include "tnews/build_config.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tnews
{

/// Start text of the keyword box.
inline constexpr std::string_view kKeywordStartText = "Enter Keywords";

/// The browser pane's calls that the selection makes: the start page at start-up goes to
/// `navigate2`, every other page to `navigate`. Each call returns at once.
struct PaneCalls
{
    std::function<void(const std::string& path)> navigate2;
    std::function<void(const std::string& urlOrPath)> navigate;
};

class RegionSelection
{
public:
    /// `startPage` is the path of start.html; `host` is the directory server's.
    RegionSelection(PaneCalls pane, std::string startPage,
                    std::string host = std::string(DirectoryHost));

    /// "c", "u" or "i" once a region has been chosen; empty before.
    const std::string& RegionCode() const { return m_regionCode; }
    const std::vector<std::string>& Entries() const { return m_entries; }
    /// Selected drop-down position; -1 when nothing is selected.
    int Selection() const { return m_selection; }
    /// Whether the keyword box and the Search button may be used (after the first region).
    bool SearchEnabled() const { return m_searchEnabled; }
    const std::string& Keywords() const { return m_keywords; }

    /// Start-up: shows the start page, puts the start text in the keyword box, empties the
    /// region code and selects the single entry "Select Region Above", which shows the start
    /// page again.
    void Start();

    /// A Region menu item: enables the search, rebuilds the drop-down with the region's heading
    /// and places, and selects the heading, which shows the start page. Ignores unknown codes.
    void ChooseRegion(std::string_view code);

    /// The drop-down's choice of `position`, which becomes the selection: the start page for
    /// 0, the place's listing for a place of the current region, nothing for any other position.
    void ChooseEntry(int position);

    /// The keyword search of the current region with the keyword box's text; nothing before a
    /// region is chosen.
    void Search();

    /// The user changed the keyword box's text.
    void EditKeywords(std::string text);

    /// A click into the keyword box: empties it while it still holds the untouched start text,
    /// and never erases what the user typed. Returns whether the text changed.
    bool ClickKeywords();

private:
    const PaneCalls m_pane;
    const std::string m_startPage;
    const std::string m_host;
    std::string m_regionCode;
    std::vector<std::string> m_entries;
    int m_selection = -1;
    bool m_searchEnabled = false;
    std::string m_keywords;
    bool m_keywordsUntouched = false;
};

} // namespace tnews
