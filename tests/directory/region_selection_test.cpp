#include "directory/region_selection.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

using Calls = std::vector<std::string>;

const std::string kStart = "/opt/tnews/start.html";
const std::string kListing = "Navigate http://tnewsuser:qsel47t2vyb8rdo@h:1/software/news/";

class RegionSelectionTest : public testing::Test
{
protected:
    Calls calls; // what the pane was asked to show, one line a call
    RegionSelection selection{
        PaneCalls{[this](const std::string& path) { calls.push_back("Navigate2 " + path); },
                  [this](const std::string& url) { calls.push_back("Navigate " + url); }},
        kStart, "h:1"};

    // The calls made by `action` alone.
    template <typename Action> Calls CallsOf(Action action)
    {
        calls.clear();
        action();
        return calls;
    }
};

TEST_F(RegionSelectionTest, StartShowsTheStartPageTwiceWithNoRegion)
{
    EXPECT_EQ(CallsOf([&] { selection.Start(); }),
              (Calls{"Navigate2 " + kStart, "Navigate " + kStart}));
    EXPECT_EQ(selection.RegionCode(), "");
    EXPECT_EQ(selection.Entries(), (std::vector<std::string>{"Select Region Above"}));
    EXPECT_EQ(selection.Selection(), 0);
    EXPECT_FALSE(selection.SearchEnabled());
    EXPECT_EQ(selection.Keywords(), "Enter Keywords");

    // No region yet: the heading shows the start page, nothing else navigates, and a search
    // (which the disabled button can't start) would go nowhere.
    EXPECT_EQ(CallsOf([&] { selection.ChooseEntry(0); }), Calls{"Navigate " + kStart});
    EXPECT_EQ(CallsOf(
                  [&]
                  {
                      selection.ChooseEntry(1);
                      selection.ChooseEntry(-1);
                      selection.Search();
                  }),
              Calls{});
}

TEST_F(RegionSelectionTest, EachRegionFillsTheDropDownInCatalogueOrder)
{
    selection.Start();
    const struct
    {
        const char* code;
        std::size_t entries;
        const char* heading;
        const char* last;
        std::size_t unsortedAt; // where a sorted list would hold another entry
        const char* unsorted;
    } regions[] = {
        {"c", 13, "Canadian Newspapers", "Yukon Territories", 8, "Prince Edward Island"},
        {"u", 53, "USA Newspapers", "Wyoming", 28, "National"},
        {"i", 165, "International Newspapers", "Zimbabwe", 147, "Uganda"},
    };
    for (const auto& region : regions)
    {
        SCOPED_TRACE(region.code);
        EXPECT_EQ(CallsOf([&] { selection.ChooseRegion(region.code); }),
                  Calls{"Navigate " + kStart});
        EXPECT_EQ(selection.RegionCode(), region.code);
        ASSERT_EQ(selection.Entries().size(), region.entries);
        EXPECT_EQ(selection.Entries().front(), region.heading);
        EXPECT_EQ(selection.Entries().back(), region.last);
        EXPECT_EQ(selection.Selection(), 0);
        EXPECT_TRUE(selection.SearchEnabled());
        EXPECT_EQ(selection.Entries()[region.unsortedAt], region.unsorted);
    }
}

TEST_F(RegionSelectionTest, ChoosingPositionsNavigatesOnlyToPlacesOfTheRegion)
{
    selection.Start();
    selection.ChooseRegion("i");
    EXPECT_EQ(CallsOf(
                  [&]
                  {
                      selection.ChooseEntry(1);
                      selection.ChooseEntry(164);
                      selection.ChooseEntry(165);
                      selection.ChooseEntry(-1);
                      selection.ChooseEntry(40000);
                      selection.ChooseEntry(0);
                  }),
              (Calls{kListing + "tnewsidb.php?region=international&country=Afghanistan",
                     kListing + "tnewsidb.php?region=international&country=Zimbabwe",
                     "Navigate " + kStart}));
    EXPECT_EQ(selection.Selection(), 0);

    // After a switch to Canada, 12 is the last position that navigates.
    selection.ChooseRegion("c");
    EXPECT_EQ(CallsOf(
                  [&]
                  {
                      selection.ChooseEntry(12);
                      selection.ChooseEntry(13);
                      selection.ChooseEntry(164);
                  }),
              Calls{kListing + "tnewscdb.php?region=canada&province=Yukon Territories"});
    EXPECT_EQ(selection.Selection(), 12);
}

TEST_F(RegionSelectionTest, SwitchingRegionRebuildsTheListAndShowsTheStartPage)
{
    selection.Start();
    selection.ChooseRegion("c");
    selection.ChooseEntry(9);
    EXPECT_EQ(CallsOf([&] { selection.ChooseRegion("u"); }), Calls{"Navigate " + kStart});
    EXPECT_EQ(selection.Entries().size(), 53u);
    EXPECT_EQ(selection.Selection(), 0);
    // The same region again rebuilds it again.
    EXPECT_EQ(CallsOf([&] { selection.ChooseRegion("u"); }), Calls{"Navigate " + kStart});
    EXPECT_EQ(selection.Entries().size(), 53u);
    // An unknown code changes nothing.
    EXPECT_EQ(CallsOf([&] { selection.ChooseRegion("C"); }), Calls{});
    EXPECT_EQ(selection.RegionCode(), "u");
}

TEST_F(RegionSelectionTest, SearchSendsTheBoxTextToTheCurrentRegion)
{
    selection.Start();
    selection.ChooseRegion("c");
    // Never clicked: the start text is sent as it stands.
    EXPECT_EQ(CallsOf([&] { selection.Search(); }),
              Calls{kListing + "tnewscdb.php?region=canada&skwords=Enter%20Keywords"});

    EXPECT_TRUE(selection.ClickKeywords());
    EXPECT_EQ(selection.Keywords(), "");
    selection.EditKeywords("fish&chips");
    selection.ChooseRegion("u"); // the text survives a region switch
    EXPECT_EQ(CallsOf(
                  [&]
                  {
                      selection.Search();
                      selection.Search();
                  }),
              Calls(2, kListing + "tnewsudb.php?region=usa&skwords=fish%26chips"));
    EXPECT_EQ(selection.Keywords(), "fish&chips");
    EXPECT_EQ(selection.RegionCode(), "u");
    EXPECT_EQ(selection.Selection(), 0);

    selection.EditKeywords("");
    EXPECT_EQ(CallsOf([&] { selection.Search(); }),
              Calls{kListing + "tnewsudb.php?region=usa&skwords="});
}

TEST_F(RegionSelectionTest, ClickingTheBoxNeverErasesTypedKeywords)
{
    selection.Start();
    selection.EditKeywords("hockey");
    EXPECT_FALSE(selection.ClickKeywords());
    EXPECT_EQ(selection.Keywords(), "hockey");

    // Typing the start text by hand makes it the user's own text.
    selection.Start();
    selection.EditKeywords("Enter Keywords");
    EXPECT_FALSE(selection.ClickKeywords());
    EXPECT_EQ(selection.Keywords(), "Enter Keywords");

    // Once cleared, the start text does not come back, and a second click changes nothing.
    selection.Start();
    EXPECT_TRUE(selection.ClickKeywords());
    EXPECT_FALSE(selection.ClickKeywords());
    selection.ChooseRegion("i");
    EXPECT_EQ(selection.Keywords(), "");
}

} // namespace
} // namespace tnews
