#include "directory/region_selection.h"

#include "directory/catalogue.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

using Calls = std::vector<std::string>;

const std::string kStart = "Navigate /opt/tnews/start.html";
const std::string kListing = "Navigate http://tnewsuser:qsel47t2vyb8rdo@h:1/software/news/";

class RegionSelectionTest : public testing::Test
{
protected:
    Calls calls; // what the pane was asked to show, one line a call
    RegionSelection selection{
        PaneCalls{[this](const std::string& path) { calls.push_back("Navigate2 " + path); },
                  [this](const std::string& url) { calls.push_back("Navigate " + url); }},
        "/opt/tnews/start.html", "h:1"};

    // The calls made by `action` alone.
    template <typename Action> Calls CallsOf(Action action)
    {
        calls.clear();
        action();
        return calls;
    }
};

// Before a region only the start page shows. Each region fills the drop-down with its places
// in the catalogue's order, selects its heading and shows the start page; a place navigates only
// when it belongs to the region now chosen.
TEST_F(RegionSelectionTest, RegionsFillTheDropDownAndChooseOnlyTheirOwnPlaces)
{
    EXPECT_EQ(CallsOf([&] { selection.Start(); }),
              (Calls{"Navigate2 /opt/tnews/start.html", kStart}));
    EXPECT_EQ(selection.Entries(), (std::vector<std::string>{"Select Region Above"}));
    EXPECT_FALSE(selection.SearchEnabled());
    EXPECT_EQ(CallsOf(
                  [&]
                  {
                      for (int position : {0, 1, -1})
                          selection.ChooseEntry(position);
                      selection.Search();
                  }),
              Calls{kStart});
    const std::pair<const char*, const char*> regions[] = {
        {"i", "International Newspapers"},
        {"c", "Canadian Newspapers"}, // 13 after "i": a place of the region before
        {"u", "USA Newspapers"},
        {"u", "USA Newspapers"}, // the same region again rebuilds it
    };
    for (const auto& [code, heading] : regions)
    {
        EXPECT_EQ(CallsOf([&] { selection.ChooseRegion(code); }), Calls{kStart}) << code;
        EXPECT_EQ(selection.RegionCode(), code);
        std::vector<std::string> entries{heading};
        const auto& places = FindRegion(code)->places;
        entries.insert(entries.end(), places.begin(), places.end());
        EXPECT_EQ(selection.Entries(), entries) << code;
        EXPECT_EQ(selection.Selection(), 0);
        EXPECT_TRUE(selection.SearchEnabled());
        const int last = static_cast<int>(places.size());
        EXPECT_EQ(CallsOf(
                      [&]
                      {
                          for (int position : {last, last + 1, 40000, -1})
                              selection.ChooseEntry(position);
                      }),
                  Calls{"Navigate " + *ListingUrl(code, static_cast<std::int16_t>(last), "h:1")})
            << code;
    }
    EXPECT_EQ(CallsOf([&] { selection.ChooseRegion("C"); }), Calls{}); // unknown: no change
    EXPECT_EQ(selection.RegionCode(), "u");
}

TEST_F(RegionSelectionTest, SearchSendsTheBoxTextAndClicksEraseOnlyTheStartText)
{
    selection.Start();
    selection.ChooseRegion("c");
    // Never clicked: the start text is sent as it stands.
    EXPECT_EQ(CallsOf([&] { selection.Search(); }),
              Calls{kListing + "tnewscdb.php?region=canada&skwords=Enter%20Keywords"});
    EXPECT_TRUE(selection.ClickKeywords());
    EXPECT_EQ(selection.Keywords(), "");
    EXPECT_FALSE(selection.ClickKeywords());
    selection.EditKeywords("fish&chips");
    EXPECT_FALSE(selection.ClickKeywords()); // typed words stay
    selection.ChooseRegion("u");             // and survive a region switch
    EXPECT_EQ(CallsOf([&] { selection.Search(); }),
              Calls{kListing + "tnewsudb.php?region=usa&skwords=fish%26chips"});

    // The start text typed by hand is the user's own.
    selection.Start();
    selection.EditKeywords("Enter Keywords");
    EXPECT_FALSE(selection.ClickKeywords());
}

} // namespace
} // namespace tnews
