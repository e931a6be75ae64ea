// When two entries of one place and name are one paper, and which address goes first.
#include "catalogue/tool/paper_merge.h"

#include <gtest/gtest.h>

namespace tnews::catalogue
{
namespace
{

MergeCandidate At(std::string city, std::string website, std::string key, std::string newest)
{
    return {std::move(city),
            std::nullopt,
            std::move(website),
            {std::move(key)},
            std::move(newest),
            {},
            {}};
}

TEST(PaperMergeTest, OnlyEvidenceJoinsTwoEntriesOfOneName)
{
    const MergeCandidate lmYukon = At("Whitehorse", "http://www.yukonweb.com/community/yukon-news/",
                                      "yukonweb.com/community/yukon-news", "2017");
    const MergeCandidate wdYukon =
        At("", "https://www.yukon-news.com/", "yukon-news.com", "2023-04");
    MergeCandidate redirecting = At("Ames", "http://old.example/", "old.example", "2024-12");
    redirecting.redirectKeys = {"new.example"};
    MergeCandidate succeeded = At("Ames", "http://old.example/", "old.example", "2023-04");
    succeeded.successorKeys = {"new.example"};
    MergeCandidate tampaCounty =
        At("Hillsborough County", "http://www.tampatrib.com/", "tampatrib.com", "2024-12");
    tampaCounty.point = GeoPoint{27.9, -82.35};
    MergeCandidate tampa = At("Tampa", "http://tbo.com/", "tbo.com", "2023-04");
    tampa.point = GeoPoint{27.95, -82.46};
    MergeCandidate farTown = tampa;
    farTown.city = "Pensacola";
    farTown.point = GeoPoint{30.42, -87.22};

    struct Case
    {
        const char* what;
        MergeCandidate a, b;
        std::optional<MergeReason> reason; // nothing: two papers
        bool aFirst = false;
    };
    const Case cases[] = {
        {"an address listed only before the other", lmYukon, wdYukon, MergeReason::OlderAddress},
        {"the same, the other way round", wdYukon, lmYukon, MergeReason::OlderAddress, true},
        {"listed as recently as each other", At("Ames", "http://a.example/", "a.example", "2017"),
         At("Ames", "http://b.example/", "b.example", "2017"), std::nullopt},
        {"two towns", At("Palo Alto", "http://a.example/", "a.example", "2017"),
         At("Paso Robles", "http://b.example/", "b.example", "2023-04"), std::nullopt},
        {"a home page and its towns' sections",
         At("Excelsior", "http://sailor.mnsun.com/", "sailor.mnsun.com", "2017"),
         At("Wayzata", "http://sailor.mnsun.com/wayzata/", "sailor.mnsun.com/wayzata", "2017"),
         MergeReason::SameSite, true},
        {"two towns' sections of a chain's site",
         At("Sacramento", "http://www.bizjournals.com/sacramento/", "bizjournals.com/sacramento",
            "2017"),
         At("San Jose", "http://www.bizjournals.com/sanjose/", "bizjournals.com/sanjose",
            "2024-12"),
         std::nullopt},
        {"a recorded redirect, older or not", redirecting,
         At("Ames", "https://new.example/", "new.example", "2017"), MergeReason::Redirect, false},
        {"a successor", succeeded, At("Boone", "https://new.example/", "new.example", "2017"),
         MergeReason::Successor, false},
        {"a county that holds the town", tampaCounty, tampa, MergeReason::OlderAddress, true},
        {"a county far from the town", tampaCounty, farTown, std::nullopt},
        {"a county without a point to compare",
         At("Hillsborough County", "http://www.tampatrib.com/", "tampatrib.com", "2024-12"), tampa,
         std::nullopt},
    };
    for (const Case& c : cases)
    {
        const std::optional<MergeDecision> decision = SamePaper(c.a, c.b);
        ASSERT_EQ(decision.has_value(), c.reason.has_value()) << c.what;
        if (decision)
        {
            EXPECT_EQ(decision->reason, *c.reason) << c.what;
            EXPECT_EQ(decision->firstIsNewer, c.aFirst) << c.what;
        }
    }
}

TEST(PaperMergeTest, NamesCompareWithoutCaseArticleAndNewspaperSuffix)
{
    EXPECT_EQ(ComparableName("The Tampa Tribune"), ComparableName("Tampa Tribune Newspaper"));
    EXPECT_EQ(ComparableName("L'Information Du Nord"), ComparableName("L'information du Nord"));
    EXPECT_NE(ComparableName("Sun-Post"), ComparableName("Sun-Sailor"));
    EXPECT_EQ(ComparableName("Lidov\u00E9 noviny"), "lidov\u00E9noviny");
}

} // namespace
} // namespace tnews::catalogue
