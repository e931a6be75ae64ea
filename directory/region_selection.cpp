#include "region_selection.h"

#include "catalogue.h"
#include "server_urls.h"

#include <limits>
#include <utility>

namespace tnews
{

RegionSelection::RegionSelection(PaneCalls pane, std::string startPage, std::string host)
    : m_pane(std::move(pane)), m_startPage(std::move(startPage)), m_host(std::move(host))
{
}

void RegionSelection::Start()
{
    m_pane.navigate2(m_startPage);
    m_keywords = kKeywordStartText;
    m_keywordsUntouched = true;
    m_regionCode.clear();
    m_entries.assign(1, std::string(kNoRegionHeading));
    // Selecting an entry in code runs the drop-down's click, as a user's choice does.
    m_selection = 0;
    ChooseEntry(m_selection);
}

void RegionSelection::ChooseRegion(std::string_view code)
{
    const RegionInfo* region = FindRegion(code);
    if (!region)
        return;
    m_searchEnabled = true;
    m_entries.clear();
    m_selection = -1;
    m_regionCode = region->code;
    m_entries.emplace_back(region->heading);
    for (std::string_view place : region->places)
        m_entries.emplace_back(place);
    m_selection = 0;
    ChooseEntry(m_selection);
}

void RegionSelection::ChooseEntry(int position)
{
    if (position >= 0 && static_cast<std::size_t>(position) < m_entries.size())
        m_selection = position;
    if (position == 0)
    {
        m_pane.navigate(m_startPage);
        return;
    }
    if (position < 1 || position > std::numeric_limits<std::int16_t>::max())
        return;
    if (auto url = ListingUrl(m_regionCode, static_cast<std::int16_t>(position), m_host))
        m_pane.navigate(*url);
}

void RegionSelection::Search()
{
    if (auto url = KeywordSearchUrl(m_regionCode, m_keywords, m_host))
        m_pane.navigate(*url);
}

void RegionSelection::EditKeywords(std::string text)
{
    m_keywords = std::move(text);
    m_keywordsUntouched = false;
}

bool RegionSelection::ClickKeywords()
{
    if (!m_keywordsUntouched)
        return false;
    m_keywordsUntouched = false;
    if (m_keywords.empty())
        return false;
    m_keywords.clear();
    return true;
}

} // namespace tnews
