#include "catalogue/tool/commands.h"
#include "catalogue/tool/link_check.h"
#include "fixture_sources.h"
#include "loopback_sites.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace tnews::catalogue
{
namespace
{

using testing::LoopbackSites;
using testing::TempFolder;

TEST(LinkCheckTest, RecordsWhatEachSiteAnswers)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    struct Case
    {
        std::string website;
        bool ok;
        int status;
        std::string finalUrl; // "" for none
        std::string detail;   // a part of it
    };
    const Case cases[] = {
        {sites.Http("/ok"), true, 200, sites.Http("/ok"), ""},
        {sites.Http("/r1"), true, 200, sites.Http("/ok"), ""},
        {sites.Http("/loop"), false, 301, sites.Http("/loop"), "too many redirects"},
        {sites.Http("/missing"), false, 404, sites.Http("/missing"), "HTTP 404"},
        {sites.Http("/gone"), false, 410, sites.Http("/gone"), "HTTP 410"},
        {sites.Http("/no-head"), true, 200, sites.Http("/no-head"), ""},
        {sites.Http("/slow"), false, 0, "", "timed out after 1 s"},
        {sites.Resetting(), false, 0, "", "Recv failure"},
        {sites.SelfSignedTls(), false, 0, "", "SSL"},
        {sites.TlsToPlainText(), false, 0, "", "SSL"},
    };
    std::vector<std::string> websites;
    for (const Case& c : cases)
        websites.push_back(c.website);
    CheckOptions options;
    options.concurrency = 3;
    options.timeoutSeconds = 1;
    options.maxRedirects = 5;
    std::map<std::string, LinkCheck> results;
    CheckWebsites(websites, options, [&](const LinkCheck& check) { results[check.website] = check; });

    ASSERT_EQ(results.size(), std::size(cases));
    for (const Case& c : cases)
    {
        const LinkCheck& check = results[c.website];
        EXPECT_EQ(check.ok, c.ok) << c.website << ": " << check.detail;
        EXPECT_EQ(check.httpStatus, c.status) << c.website;
        EXPECT_EQ(check.finalUrl, c.finalUrl) << c.website;
        EXPECT_NE(check.detail.find(c.detail), std::string::npos)
            << c.website << ": " << check.detail;
        EXPECT_EQ(check.detail.empty(), c.ok) << c.website << ": " << check.detail;
        EXPECT_EQ(check.checkedAt.size(), 20u) << check.checkedAt;
    }
}

TEST(LinkCheckTest, CommandAppendsAsItGoesAndResumesWhereItStopped)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    const std::filesystem::path catalogue = folder.Path() / "catalogue.tsv";
    std::string text = "source\tcurated\tBy hand\tCC0 1.0\t\t\n";
    for (const char* path : {"/ok", "/missing", "/gone"})
        text += "paper\tu\tTexas\t\tPaper " + std::string(path) +
                "\tnewspaper\t\t" + sites.Http(path) + "\t\tcurated\n";
    testing::WriteFile(catalogue, text);

    const auto run = [&](std::vector<std::string> extra)
    {
        std::vector<std::string> args = {"check", "--catalogue", catalogue.string(), "--timeout",
                                         "2"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::ostringstream out, err;
        EXPECT_EQ(RunCommand(args, out, err), 0) << err.str();
        return out.str();
    };
    const auto lines = [&]
    {
        std::size_t count = 0;
        std::istringstream in(testing::Slurp(ChecksFileFor(catalogue)));
        for (std::string line; std::getline(in, line);)
            ++count;
        return count;
    };
    EXPECT_NE(run({"--limit", "2"}).find("checked 2 websites: 1 answered, 1 failed"),
              std::string::npos);
    EXPECT_EQ(lines(), 2u);
    EXPECT_NE(run({}).find("checked 1 websites"), std::string::npos);
    EXPECT_EQ(lines(), 3u);
    EXPECT_NE(run({}).find("checked 0 websites"), std::string::npos);
    run({"--all"});
    EXPECT_EQ(lines(), 6u);
    const std::vector<LinkCheck> checks = LoadChecks(ChecksFileFor(catalogue));
    ASSERT_EQ(checks.size(), 3u);
    EXPECT_EQ(checks[2].httpStatus, 410);
}

} // namespace
} // namespace tnews::catalogue
