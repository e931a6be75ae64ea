#include "fixture_sources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdlib.h>

namespace tnews::catalogue::testing
{

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tnews-catalogue-XXXXXX").string();
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
    std::ostringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

namespace
{

// One Local Memory newspaper object.
std::string LmPaper(const std::string& name, const std::string& town, const std::string& website,
                    const std::string& subclass = "city-county", const std::string& rss = "",
                    double latitude = 0, double longitude = 0)
{
    return R"({"name": ")" + name + R"(", "city-county-name": ")" + town +
           R"(", "website": ")" + website + R"(", "media-class": "newspaper", "media-subclass": ")" +
           subclass + R"(", "rss": [)" + rss + R"(], "city-county-lat": )" +
           std::to_string(latitude) + R"(, "city-county-long": )" + std::to_string(longitude) +
           R"(, "facebook": "", "twitter": "", "video": "", "open-search": []})";
}

// One row of the Wikidata result; empty values are left out as SPARQL leaves them.
std::string WdRow(const std::string& id, const std::string& label, const std::string& url,
                  const std::string& country, const std::string& place,
                  const std::string& language)
{
    const auto cell = [](const std::string& key, const std::string& value)
    { return value.empty() ? std::string() : ", \"" + key + R"(": {"type": "literal", "value": ")" + value + "\"}"; };
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
              "i\tBanglades\tThe Daily Star\tDhaka\thttps://www.thedailystar.net/\n"
              "i\tIran\tShargh\tTehran\thttps://www.sharghdaily.com/\tPersian\n");
    const std::filesystem::path lm = root / "sources" / "local-memory";
    WriteFile(lm / "LICENSE", "MIT License\n\nCopyright (c) 2017 Fixture Group\n");
    const std::filesystem::path sources = lm / "LocalMemoryProject" / "Sources";
    WriteFile(sources / "USA" / "usa.json",
              "{\"TX\": {\"state-name\": \"Texas_TX\", \"newspaper\": [\n" +
                  LmPaper("Texas Tribune", "Austin", "http://texastribune.org") + ",\n" +
                  LmPaper("The Daily Texan", "Austin", "https://thedailytexan.com/", "college",
                          R"("https://thedailytexan.com/comments/feed", )"
                          R"("https://thedailytexan.com/section/news/feed", )"
                          R"("https://thedailytexan.com/feed")") +
                  ",\n" +
                  LmPaper("Facebook Only", "Waco", "https://www.facebook.com/facebookonly") +
                  ",\n" + LmPaper("Waco Tribune", "Waco ", " http://wacotrib.com/ ") +
                  "],\n \"tv\": [{\"name\": \"KXAN\"}], \"radio\": [{\"name\": \"KUT\"}, "
                  "{\"name\": \"KLBJ\"}]}}\n");
    WriteFile(sources / "Canada" / "Whitehorse" / "source.json",
              "{\"state-name\": \"\", \"tv\": [], \"radio\": [], \"newspaper\": [" +
                  LmPaper("Whitehorse Star", "Whitehorse", "http://www.whitehorsestar.com/", "city-county",
                          "", 60.7212, -135.0568) +
                  "]}\n");
    WriteFile(sources / "Bangladesh" / "Dhaka" / "source.json",
              "{\"state-name\": \"\", \"tv\": [], \"radio\": [], \"newspaper\": [" +
                  LmPaper("Daily Star", "Dhaka", "http://thedailystar.net") + ", " +
                  LmPaper("Prothom Alo", "Dhaka", "http://www.prothomalo.com/") + "]}\n");
    WriteFile(sources / "Andorra" / "Andorra la Vella" / "source.json",
              "{\"state-name\": \"\", \"tv\": [], \"radio\": [], \"newspaper\": [" +
                  LmPaper("Diari d'Andorra", "Andorra la Vella", "http://www.diariandorra.ad/") +
                  "]}\n");
    WriteFile(root / "sources" / "wikidata" / "newspapers-with-website.json",
              R"({"head": {"vars": []}, "results": {"bindings": [)" "\n" +
                  WdRow("Q20", "Le Monde", "https://www.lemonde.fr/", "France", "Paris", "French") +
                  ",\n" +
                  WdRow("Q20", "Le Monde", "https://www.lemonde.fr/en/", "France", "Paris", "English") +
                  ",\n" +
                  WdRow("Q3", "Shargh Daily", "https://sharghdaily.com", "", "", "Persian") + ",\n" +
                  WdRow("Q4", "The Austin Chronicle", "https://www.austinchronicle.com/",
                        "United States of America", "Austin", "English") +
                  ",\n" +
                  WdRow("Q5", "Springfield News", "https://springfield.example/",
                        "United States of America", "Springfield", "") +
                  ",\n" + WdRow("Q6", "Q6", "https://unnamed.example/", "France", "", "") + ",\n" +
                  WdRow("Q7", "The Herald", "https://www.heraldscotland.com/", "United Kingdom",
                        "Scotland", "English") +
                  "\n]}}\n");
}

} // namespace tnews::catalogue::testing
