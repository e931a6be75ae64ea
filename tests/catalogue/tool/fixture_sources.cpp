#include "fixture_sources.h"

#include "catalogue/file_lines.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <stdlib.h>

namespace tnews::catalogue::testing
{

TempFolder::TempFolder()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tnews-catalogue-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        ADD_FAILURE() << "can't make a temporary folder";
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WriteFile(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string Slurp(const std::filesystem::path& file)
{
    return catalogue::ReadWholeFile(file);
}

namespace
{

// One Local Memory newspaper object; `more` adds members.
std::string Lm(const std::string& name, const std::string& town, const std::string& website,
               const std::string& more = "")
{
    return R"({"name": ")" + name + R"(", "city-county-name": ")" + town + R"(", "website": ")" +
           website + "\"" + more + "}";
}

// A Local Memory file of one town's papers.
std::string LmTown(const std::string& papers)
{
    return R"({"state-name": "", "tv": [], "radio": [], "newspaper": [)" + papers + "]}\n";
}

// One row of the Wikidata result; empty values are left out as SPARQL leaves them.
std::string Wd(const std::string& id, const std::string& label, const std::string& url,
               const std::string& country, const std::string& place, const std::string& language)
{
    const auto cell = [](const std::string& key, const std::string& value)
    {
        return value.empty()
                   ? ""
                   : ", \"" + key + R"(": {"type": "literal", "value": ")" + value + "\"}";
    };
    return R"({"item": {"type": "uri", "value": "http://www.wikidata.org/entity/)" + id +
           R"("}, "offurl": {"type": "uri", "value": ")" + url + "\"}" + cell("itemLabel", label) +
           cell("countryLabel", country) + cell("placeLabel", place) +
           cell("languageLabel", language) + "}";
}

// A Local Memory or 3DLNews newspaper with the point of its town.
std::string LmAt(const std::string& name, const std::string& town, const std::string& website,
                 double latitude, double longitude, const std::string& more = "")
{
    return Lm(name, town, website,
              ", \"city-county-lat\": " + std::to_string(latitude) +
                  ", \"city-county-long\": " + std::to_string(longitude) + more);
}

// A 3DLNews entry, new since Local Memory unless `from` says otherwise.
std::string Dl(const std::string& name, const std::string& town, const std::string& website,
               const std::string& from = "thepaperboy.com")
{
    return Lm(name, town, website, ", \"extracted-from\": \"" + from + "\"");
}

void WriteGzip(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    gzFile out = gzopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(gzwrite(out, text.data(), static_cast<unsigned>(text.size())),
              static_cast<int>(text.size()));
    EXPECT_EQ(gzclose(out), Z_OK);
}

// One title of the New Zealand list.
std::string NzTitle(const std::string& title, const std::string& genre, const std::string& place,
                    bool current, const std::string& finalYear, const std::string& url,
                    const std::string& revised)
{
    return R"({"title": ")" + title + R"(", "genre": ")" + genre + R"(", "placename": ")" + place +
           R"(", "isCurrent": )" + (current ? "true" : "false") + R"(, "finalYear": ")" +
           finalYear + "\"" + (url.empty() ? "" : R"(, "urlCurrent": ")" + url + "\"") +
           R"(, "sources": {")" + revised +
           R"(T09:05:35.000Z": "Modified", "2013-04-02T08:58:38.000Z": "Extracted"}})" + "\n";
}

// One Wikidata item file with its claims, given as JSON members.
std::string WdItem(const std::string& label, const std::string& claims)
{
    return R"({"label": ")" + label + R"(", "claims": {)" + claims + "}}\n";
}

} // namespace

void WriteFixture(const std::filesystem::path& root)
{
    WriteFile(root / "curated.tsv",
              "# region place name city website [language]\n"
              "u\tTexas\tThe Texas Tribune\tAustin\thttps://www.texastribune.org/\n"
              "u\tNational\tThe Texas Tribune\tAustin\thttps://www.texastribune.org/\n"
              "u\tTexas\tLone Star Record\tAustin\thttps://news.partisan.example/\n"
              "i\tIran\tShargh\tTehran\thttps://www.sharghdaily.com/\tPersian\n");
    const std::filesystem::path lm = root / "sources" / "local-memory";
    WriteFile(lm / "LICENSE", "MIT License\n\nCopyright (c) 2017 Fixture Group\n");
    const std::filesystem::path sources = lm / "LocalMemoryProject" / "Sources";
    const std::string feeds = R"(, "media-subclass": "college", "rss": [)"
                              R"("https://thedailytexan.com/comments/feed", )"
                              R"("https://thedailytexan.com/section/news/feed", )"
                              R"("https://thedailytexan.com/feed"])";
    WriteFile(sources / "USA" / "usa.json",
              R"({"TX": {"newspaper": [)" +
                  Lm("Texas Tribune", "Austin", "http://texastribune.org") + ", " +
                  Lm("The Daily Texan", "Austin", "https://thedailytexan.com/", feeds) + ", " +
                  Lm("Facebook Only", "Waco", "https://www.facebook.com/facebookonly") + ", " +
                  Lm("Waco Tribune", "Waco ", " http://wacotrib.com/ ") + ", " +
                  Lm("Daily News", "Galveston", "http://www.galvnews.com/") + ", " +
                  Lm("Daily News", "Waco", "http://wacodailynews.example/") + ", " +
                  Lm("Ashley News", "Hamburg", "http://www.zwire.com/site/news.cfm?brd=1097") +
                  R"(], "tv": [{"name": "KXAN"}], "radio": [{"name": "KUT"}, {"name": "KLBJ"}]}, )"
                  R"("FL": {"newspaper": [)" +
                  LmAt("Tampa Tribune", "Tampa", "http://tbo.com/", 27.95, -82.46) + "]}}");
    WriteFile(sources / "Canada" / "Whitehorse" / "source.json",
              LmTown(Lm("Whitehorse Star", "Whitehorse", "http://www.whitehorsestar.com/",
                        R"(, "city-county-lat": 60.7212, "city-county-long": -135.0568)")));
    WriteFile(sources / "Canada" / "Whitehorse 2" / "source.json",
              LmTown(LmAt("Yukon News", "Whitehorse",
                          "http://www.yukonweb.com/community/yukon-news/", 60.7212, -135.0568)));
    WriteFile(sources / "New Zealand" / "Auckland" / "source.json",
              LmTown(Lm("Aucklander", "Auckland", "http://www.theaucklander.co.nz/")));
    WriteFile(sources / "Andorra" / "Andorra la Vella" / "source.json",
              LmTown(Lm("Diari d'Andorra", "Andorra la Vella", "http://www.diariandorra.ad/")));
    const std::string usa = "United States of America";
    WriteFile(
        root / "sources" / "wikidata" / "newspapers-with-website.json",
        R"({"head": {"vars": []}, "results": {"bindings": [)" +
            Wd("Q20", "Le Monde", "https://www.lemonde.fr/", "France", "Paris", "French") + ",\n" +
            Wd("Q20", "Le Monde", "https://www.lemonde.fr/en/", "France", "Paris", "English") +
            ",\n" + Wd("Q3", "Shargh Daily", "https://sharghdaily.com", "", "", "Persian") + ",\n" +
            Wd("Q4", "The Austin Chronicle", "https://www.austinchronicle.com/", usa, "Austin",
               "English") +
            ",\n" +
            Wd("Q5", "Springfield News", "https://springfield.example/", usa, "Springfield", "") +
            ",\n" + Wd("Q6", "Q6", "https://unnamed.example/", "France", "", "") + ",\n" +
            Wd("Q7", "The Herald", "https://www.heraldscotland.com/", "United Kingdom", "Scotland",
               "English") +
            ",\n" +
            Wd("Q8", "Yukon News", "https://www.yukon-news.com/", "Canada", "Whitehorse", "") +
            "]}}\n");

    const std::filesystem::path dl = root / "sources" / "3dlnews";
    WriteFile(dl / "LICENSE.txt", "MIT License\n\nCopyright (c) 2024 Fixture Lab\n");
    WriteGzip(
        dl / "resources" / "usa_2016_2024_pu5e.json.gz",
        R"({"TX": {"newspaper": [)" +
            Dl("Texas Tribune", "Austin", "http://texastribune.org", "usnpl.com, thepaperboy.com") +
            ", " + Dl("Hays Free Press", "Hays County", "https://haysfreepress.com/") + ", " +
            Dl("Azle News", "Parker County", "https://www.afternic.com/domains/azlenews.com") +
            ", " + Dl("Star Standard", "Travis County", "https://partisan.example/") +
            R"(], "tv": [], "radio": [], "broadcast": [{"name": "KTBC"}]}, "FL": {"newspaper": [)" +
            LmAt("Tampa Tribune Newspaper", "Hillsborough County", "http://www.tampatrib.com/",
                 27.9, -82.35, ", \"extracted-from\": \"thepaperboy.com\"") +
            "]}}\n");

    const std::filesystem::path nz = root / "sources" / "nz-newspapers" / "data" / "papers";
    WriteFile(nz / "1017.json", NzTitle("Northland Age (1931)", "Newspaper", "Kaitaia", true,
                                        "9999", "http://www.northlandage.co.nz/", "2014-05-07"));
    WriteFile(nz / "1020.json",
              NzTitle("Aucklander (North Ed.)", "Alternate Edition", "Auckland", false, "2007",
                      "http://www.theaucklander.co.nz/", "2014-05-07"));
    WriteFile(nz / "1021.json",
              NzTitle("Aucklander (City Ed.)", "Alternate Edition", "Auckland", false, "2008",
                      "http://www.theaucklander.co.nz/", "2014-05-07"));
    WriteFile(nz / "1030.json", NzTitle("Filipino Migrant News", "Periodical", "Auckland", true,
                                        "9999", "http://pinoy.example.nz/", "2014-05-07"));

    const std::filesystem::path items = root / "sources" / "wikidata-items" / "wikidata";
    WriteFile(items / "Q100.json",
              WdItem("The Tampa Tribune", R"("P856": ["http://tbo.com/"], )"
                                          R"("P576": ["+2016-01-01T00:00:00Z"])"));
    WriteFile(items / "Q20.json", WdItem("Le Monde", R"("P856": ["https://www.lemonde.fr/"], )"
                                                     R"("P2669": ["+2020-00-00T00:00:00Z"])"));

    const std::filesystem::path feedFolder = root / "sources" / "news-feeds";
    const std::string feedList =
        R"({"FRA": [{"publication_name": "Le Monde", "publication_website_uri": "http://lemonde.fr/", )"
        R"("publication_rss_feed_uri": "https://www.lemonde.fr/rss/une.xml"}, )"
        R"({"publication_name": "Le Monde", "publication_website_uri": "https://www.lemonde.fr/", )"
        R"("publication_rss_feed_uri": "https://www.lemonde.fr/rss/en_continu.xml"}]})"
        "\n";
    WriteFile(feedFolder / "database" / "news-feed-list-of-countries.json", feedList);
    WriteFile(feedFolder / "active-feeds-auto-generated.json",
              R"({"FRA": [{"publication_name": "Le Monde", "publication_website_uri": )"
              R"("https://www.lemonde.fr/", "publication_rss_feed_uri": )"
              R"("https://www.lemonde.fr/rss/en_continu.xml"}]})"
              "\n");

    const std::filesystem::path partisan = root / "sources" / "partisan-local-news";
    WriteFile(partisan / "LICENSE", "MIT License\n\nCopyright (c) 2022 Fixture Center\n");
    WriteFile(
        partisan / "datasets" / "domains" / "all_domains.csv",
        "title,geolocation,domain,network,subnetwork\nStar Standard,Texas,partisan.example,Net,\n");
}

std::vector<std::string> Fields(const Paper& p)
{
    std::string sources;
    for (const std::string& s : p.sources)
        sources += (sources.empty() ? "" : ",") + s;
    return {std::string(p.region->regionValue),
            std::string(p.place),
            p.city,
            p.name,
            std::string(KindName(p.kind)),
            p.language,
            p.website,
            p.feed,
            sources};
}

} // namespace tnews::catalogue::testing
