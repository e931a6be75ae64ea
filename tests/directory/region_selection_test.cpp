#include "directory/region_selection.h"

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

TEST_F(RegionSelectionTest, StartShowsTheStartPageTwiceAndNavigatesNowhereElse)
{
    EXPECT_EQ(CallsOf([&] { selection.Start(); }),
              (Calls{"Navigate2 /opt/tnews/start.html", kStart}));
    EXPECT_EQ(selection.RegionCode(), "");
    EXPECT_EQ(selection.Entries(), (std::vector<std::string>{"Select Region Above"}));
    EXPECT_EQ(selection.Selection(), 0);
    EXPECT_FALSE(selection.SearchEnabled());
    EXPECT_EQ(selection.Keywords(), "Enter Keywords");
    EXPECT_EQ(CallsOf(
                  [&]
                  {
                      selection.ChooseEntry(0);
                      selection.ChooseEntry(1);
                      selection.ChooseEntry(-1);
                      selection.Search();
                  }),
              Calls{kStart});
}

TEST_F(RegionSelectionTest, EachRegionFillsTheDropDownInCatalogueOrder)
{
    selection.Start();
    selection.ChooseRegion("c");
    selection.ChooseEntry(9); // a listing is shown when the region changes
    const struct
    {
        const char* code;
        std::size_t entries;
        const char* heading;
        std::size_t at; // where a sorted list would hold another entry
        const char* unsorted;
    } regions[] = {
        {"u", 53, "USA Newspapers", 28, "National"},
        {"u", 53, "USA Newspapers", 28, "National"}, // the same region again rebuilds it
        {"i", 165, "International Newspapers", 147, "Uganda"},
        {"c", 13, "Canadian Newspapers", 8, "Prince Edward Island"},
    };
    for (const auto& region : regions)
    {
        EXPECT_EQ(CallsOf([&] { selection.ChooseRegion(region.code); }), Calls{kStart})
            << region.code;
        EXPECT_EQ(selection.RegionCode(), region.code);
        ASSERT_EQ(selection.Entries().size(), region.entries) << region.code;
        EXPECT_EQ(selection.Entries()[0], region.heading);
        EXPECT_EQ(selection.Entries()[region.at], region.unsorted);
        EXPECT_EQ(selection.Selection(), 0);
        EXPECT_TRUE(selection.SearchEnabled());
    }
    EXPECT_EQ(CallsOf([&] { selection.ChooseRegion("C"); }), Calls{}); // unknown: no change
    EXPECT_EQ(selection.RegionCode(), "c");
}

TEST_F(RegionSelectionTest, ChoosingPositionsNavigatesOnlyToPlacesOfTheRegion)
{
    selection.Start();
    selection.ChooseRegion("i");
    EXPECT_EQ(CallsOf(
                  [&]
                  {
                      for (int position : {1, 164, 165, -1, 40000, 0})
                          selection.ChooseEntry(position);
                  }),
              (Calls{kListing + "tnewsidb.php?region=international&country=Afghanistan",
                     kListing + "tnewsidb.php?region=international&country=Zimbabwe", kStart}));
    selection.ChooseRegion("c"); // after the switch, 12 is the last position that navigates
    EXPECT_EQ(CallsOf(
                  [&]
                  {
                      for (int position : {12, 13, 164})
                          selection.ChooseEntry(position);
                  }),
              Calls{kListing + "tnewscdb.php?region=canada&province=Yukon Territories"});
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

    // The start text typed by hand is the user's own, and a cleared box stays cleared.
    selection.Start();
    selection.EditKeywords("Enter Keywords");
    EXPECT_FALSE(selection.ClickKeywords());
    selection.Start();
    EXPECT_TRUE(selection.ClickKeywords());
    selection.ChooseRegion("i");
    EXPECT_EQ(selection.Keywords(), "");
}

} // namespace
} // namespace tnews
