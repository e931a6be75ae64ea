// Which addresses are no paper's own website, and the partisan networks' domains.
#include "catalogue/catalogue_file.h"
#include "catalogue/tool/site_rules.h"

#include <gtest/gtest.h>

namespace tnews::catalogue
{
namespace
{

TEST(SiteRulesTest, OnlyAPapersOwnSiteIsItsWebsite)
{
    struct Case
    {
        const char* url;
        const char* name;
        const char* reason; // null: its own site
    };
    const Case cases[] = {
        {"https://www.eagleyenews.com/", "Eagle Eye News", nullptr},
        {"https://www.buydomains.com/lander/eagleyenews.com?domain=eagleyenews.com",
         "Eagle Eye News", "a domain-sale or parking page"},
        {"https://dan.com/buy-domain/portorfordnews.com", "Port Orford News",
         "a domain-sale or parking page"},
        {"https://jordan.com/", "Jordan Times", nullptr}, // not under dan.com
        {"http://www.ponchatoula.com/cgi-sys/suspendedpage.cgi", "Ponchatoula Times",
         "a suspended hosting page"},
        {"http://suspended.hawkhost.com/", "Touchet Valley Graphic", "a suspended hosting page"},
        {"http://12.14.205.58/clientservices/view.asp?pubcode=hma", "Hamilton Advocate",
         "an IP address rather than a site's name"},
        {"http://www.zwire.com/site/news.cfm?brd=1097", "Ashley News Observer",
         "a page of a platform that hosts many papers"},
        {"http://www.topix.com/city/warsaw-mo", "Warsaw News",
         "a page of a directory, archive or portal"},
        {"https://gallica.bnf.fr/ark:/12148/cb32832578f/date", "Le Gaulois",
         "a page of a directory, archive or portal"},
        {"https://www.cnhi.com/", "Register-News", "a publishing group's own site"},
        {"https://www.facebook.com/TheWhangareiReport", "Whangarei Report",
         "a social-media page as website"},
        // Blog and e-edition hosts: the paper's if the address carries a word of its name.
        {"http://esterrepublic.blogspot.com.au/", "Ester Republic Newspaper", nullptr},
        {"http://swflorida.blogspot.com/", "Southwest Florida Online", nullptr},
        {"http://mariannecurtis.wordpress.com/", "Dawson Trail Dispatch",
         "a blog or e-edition host's page without the paper's name"},
        {"http://members.tripod.com/~fayettenews/", "Fayette Chronicle", nullptr},
        {"http://dailynews.wordpress.com/", "Daily Courier", // "daily" names no paper
         "a blog or e-edition host's page without the paper's name"},
        {"https://issuu.com/anton.news/docs/20140704_xaw_gcl_pg00/1", "Garden City Life",
         "a blog or e-edition host's page without the paper's name"},
        {"https://sites.google.com/site/bronxnews/", "Bronx News", nullptr},
        {"https://luminatorul.wordpress.com/", "Lumin\u0103torul", nullptr}, // nothing to compare
    };
    for (const Case& c : cases)
    {
        const std::optional<std::string> reason = NotOwnSiteReason(c.url, c.name);
        EXPECT_EQ(reason.value_or("(own site)"), c.reason ? c.reason : "(own site)") << c.url;
    }
}

TEST(SiteRulesTest, PartisanDomainsAndTheirSubdomainsAreListed)
{
    const PartisanDomains domains = PartisanDomains::Parse(
        "title,geolocation,domain,network,subnetwork\n"
        "\"Madison Record, The\",Illinois,madisonrecord.com,Metric Media,\n"
        "Arizona Business Daily,Arizona,www.AZBusinessDaily.com,Metric Media,\n",
        "all_domains.csv");
    for (const char* listed : {"https://madisonrecord.com/", "http://www.madisonrecord.com/x",
                               "https://news.azbusinessdaily.com/"})
        EXPECT_TRUE(domains.Lists(listed)) << listed;
    for (const char* free : {"https://notmadisonrecord.com/", "https://madisonrecord.com.example/"})
        EXPECT_FALSE(domains.Lists(free)) << free;

    for (const char* bad :
         {"title,domain\nA,\n", "title,site\nA,a.com\n", "title,domain\n\"A,a.com\n"})
        EXPECT_THROW(PartisanDomains::Parse(bad, "all_domains.csv"), CatalogueError) << bad;
}

} // namespace
} // namespace tnews::catalogue
