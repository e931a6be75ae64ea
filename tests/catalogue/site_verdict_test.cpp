#include "catalogue/site_verdict.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tnews::catalogue
{
namespace
{

using State = SiteVerdict::State;

// One check of https://paper.example/ at `time` ("11-01" is 2026-11-01T08:00:00Z): 'o' it
// answered, 'f' it failed, 'p' it showed a parking page.
LinkCheck At(std::string time, char result, std::string movedTo = "")
{
    if (time.size() == 5)
        time = "2026-" + time + "T08:00:00Z";
    return {"https://paper.example/", result == 'o', result == 'f' ? 0 : 200, "", time, "",
            std::move(movedTo),       result == 'p'};
}

std::string Describe(const std::vector<LinkCheck>& checks)
{
    std::string text;
    for (const LinkCheck& c : checks)
        text += c.checkedAt + (c.ok ? " ok" : c.parked ? " parked" : " failed") + "; ";
    return text;
}

TEST(SiteVerdictTest, JudgesEachHistoryAndTrimmingChangesNothing)
{
    struct Case
    {
        std::vector<LinkCheck> checks;
        State state;
        std::string since;      // NotAnswering
        std::string movedTo;    // Answering
        std::string lastAnswer; // "" for none
    };
    const std::string movedTo = "https://new-paper.example/";
    const Case cases[] = {
        {{}, State::Unchecked, "", "", ""},
        {{At("11-01", 'o')}, State::Answering, "", "", "11-01"},
        {{At("11-01", 'f')}, State::Failing, "", "", ""},
        {{At("11-01", 'o'), At("11-08", 'f')}, State::Failing, "", "", "11-01"},
        // Two failures just under, and then just at, seven days apart.
        {{At("11-01", 'f'), At("2026-11-08T07:59:59Z", 'f')}, State::Failing, "", "", ""},
        {{At("11-01", 'f'), At("11-04", 'f'), At("11-08", 'f')},
         State::NotAnswering,
         "11-01",
         "",
         ""},
        // In any order; the failures count from the first after the last answer.
        {{At("11-15", 'f'), At("10-25", 'o'), At("11-08", 'f'), At("10-01", 'f')},
         State::NotAnswering,
         "11-08",
         "",
         "10-25"},
        {{At("11-01", 'f'), At("11-05", 'o'), At("11-08", 'f'), At("11-12", 'f')},
         State::Failing,
         "",
         "",
         "11-05"},
        {{At("11-01", 'f'), At("11-15", 'f'), At("11-22", 'o')}, State::Answering, "", "", "11-22"},
        // A permanent move counts while the latest answer still leads there.
        {{At("11-01", 'o', movedTo)}, State::Answering, "", movedTo, "11-01"},
        {{At("11-01", 'o', movedTo), At("11-08", 'o')}, State::Answering, "", "", "11-08"},
        // A parking page is never the paper's own answer, and a failure after it changes
        // nothing until the site has been gone a week.
        {{At("11-01", 'o'), At("11-08", 'p')}, State::Parked, "", "", "11-01"},
        {{At("11-08", 'p'), At("11-09", 'f')}, State::Parked, "", "", ""},
        {{At("11-08", 'p'), At("11-09", 'f'), At("11-16", 'f')},
         State::NotAnswering,
         "11-09",
         "",
         ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Describe(c.checks));
        const auto expectedTime = [](const std::string& day)
        { return day.empty() ? day : At(day, 'o').checkedAt; };
        const std::vector<LinkCheck> trimmed = TrimHistory(c.checks);
        EXPECT_LE(trimmed.size(), 7u) << "the history kept is bounded";
        EXPECT_TRUE(std::ranges::is_sorted(trimmed, {}, &LinkCheck::checkedAt));
        for (const std::vector<LinkCheck>& checks : {c.checks, trimmed})
        {
            const SiteVerdict verdict = JudgeSite(checks);
            EXPECT_EQ(verdict.state, c.state);
            EXPECT_EQ(verdict.since, expectedTime(c.since));
            EXPECT_EQ(verdict.movedTo, c.movedTo);
            EXPECT_EQ(verdict.lastAnswer ? verdict.lastAnswer->checkedAt : "",
                      expectedTime(c.lastAnswer));
        }
    }
}

} // namespace
} // namespace tnews::catalogue
