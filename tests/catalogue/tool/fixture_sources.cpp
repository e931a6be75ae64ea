#include "fixture_sources.h"

#include "catalogue/file_lines.h"

#include <gtest/gtest.h>

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

} // namespace

void WriteFixture(const std::filesystem::path& root)
{
    WriteFile(root / "curated.tsv",
              "# region place name city website [language]\n"
              "u\tTexas\tThe Texas Tribune\tAustin\thttps://www.texastribune.org/\n"
              "u\tNational\tThe Texas Tribune\tAustin\thttps://www.texastribune.org/\n"
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
                  Lm("Waco Tribune", "Waco ", " http://wacotrib.com/ ") +
                  R"(], "tv": [{"name": "KXAN"}], "radio": [{"name": "KUT"}, {"name": "KLBJ"}]}})");
    WriteFile(sources / "Canada" / "Whitehorse" / "source.json",
              LmTown(Lm("Whitehorse Star", "Whitehorse", "http://www.whitehorsestar.com/",
                        R"(, "city-county-lat": 60.7212, "city-county-long": -135.0568)")));
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
            "]}}\n");
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
