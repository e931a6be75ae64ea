#include "server/catalogue_file.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

struct BadFileCase
{
    const char* text;
    const char* message;
};

TEST(CatalogueFileTest, RejectsMalformedLinesNamingFileAndLine)
{
    const std::string good = "u\tTexas\tHouston Chronicle\tHouston\thttps://h.example/\n";
    const BadFileCase cases[] = {
        {"# comment\n\nu\tTexas\tHouston Chronicle\tHouston\n",
         "cat.tsv:3: expected 5 tab-separated fields, found 4"},
        {"u\tTexas\tA\tB\thttps://a.example/\textra\n",
         "cat.tsv:1: expected 5 tab-separated fields, found 6"},
        {"u\tTexas\t\tHouston\thttps://h.example/\n",
         "cat.tsv:1: field 3 (newspaper name) is empty"},
        {"u\tTexas\tHouston \tHouston\thttps://h.example/\n",
         "cat.tsv:1: field 3 (newspaper name) has blanks at its start or end"},
        {"u\tTexas\tHou\x01ston\tHouston\thttps://h.example/\n",
         "cat.tsv:1: field 3 (newspaper name) contains a control character"},
        {"u\tTexas\tHou\xC3ston\tHouston\thttps://h.example/\n",
         "cat.tsv:1: the line is not valid UTF-8"},
        {"x\tTexas\tA\tB\thttps://a.example/\n",
         "cat.tsv:1: unknown region code \"x\"; expected c, u or i"},
        {"U\tTexas\tA\tB\thttps://a.example/\n",
         "cat.tsv:1: unknown region code \"U\"; expected c, u or i"},
        {"c\tTexas\tA\tB\thttps://a.example/\n",
         "cat.tsv:1: \"Texas\" is not a province of region c"},
        {"u\ttexas\tA\tB\thttps://a.example/\n", "cat.tsv:1: \"texas\" is not a state of region u"},
        {"i\tSenegal\tA\tB\thttps://a.example/\n",
         "cat.tsv:1: \"Senegal\" is not a country of region i"},
        {"u\tTexas\tA\tB\tftp://a.example/\n",
         "cat.tsv:1: website \"ftp://a.example/\" is not an absolute http or https URL"},
        {"u\tTexas\tA\tB\twww.a.example\n",
         "cat.tsv:1: website \"www.a.example\" is not an absolute http or https URL"},
        {"u\tTexas\tA\tB\thttps:///path\n",
         "cat.tsv:1: website \"https:///path\" is not an absolute http or https URL"},
        {"u\tTexas\tA\tB\thttps://a.example/x y\n",
         "cat.tsv:1: website \"https://a.example/x y\" is not an absolute http or https URL"},
        {"# only a comment\n\n", "cat.tsv: lists no newspaper"},
    };
    for (const BadFileCase& c : cases)
    {
        SCOPED_TRACE(c.text);
        try
        {
            ParseNewspapers(c.text, "cat.tsv");
            ADD_FAILURE() << "accepted";
        }
        catch (const CatalogueError& error)
        {
            EXPECT_EQ(error.what(), std::string(c.message));
        }
    }
    try
    {
        ParseNewspapers(good + "c\tQuebec\tLe Devoir\tMontreal\thttps://d.example/\n" + good,
                        "cat.tsv");
        ADD_FAILURE() << "accepted a duplicate";
    }
    catch (const CatalogueError& error)
    {
        EXPECT_STREQ(error.what(),
                     "cat.tsv:3: \"Houston Chronicle\" of Texas is already listed on line 1");
    }
}

TEST(CatalogueFileTest, AcceptsSameNameInOtherPlaceAndCrLf)
{
    const auto papers = ParseNewspapers("u\tGeorgia\tThe Times\tAtlanta\thttp://a.example/\r\n"
                                        "i\tGeorgia\tThe Times\tTbilisi\thttps://t.example/\r\n"
                                        "u\tTexas\tThe Times\tDallas\tHTTPS://d.example\n",
                                        "cat.tsv");
    ASSERT_EQ(papers.size(), 3u);
    EXPECT_EQ(papers[1].region, FindRegion("i"));
    EXPECT_EQ(papers[1].place, "Georgia");
    EXPECT_EQ(papers[1].website, "https://t.example/");
}

TEST(CatalogueFileTest, LoadNamesTheFileItCannotRead)
{
    const std::filesystem::path missing = std::filesystem::path(TNEWS_SERVER_TEST_DIR) / "nope.tsv";
    try
    {
        LoadNewspapers(missing);
        ADD_FAILURE() << "loaded a missing file";
    }
    catch (const CatalogueError& error)
    {
        EXPECT_EQ(std::string(error.what()).rfind(missing.string() + ": cannot open", 0), 0u)
            << error.what();
    }
    EXPECT_EQ(LoadNewspapers(TNEWS_SERVER_TEST_DIR "/newspapers_fixture.tsv").size(), 12u);
}

} // namespace
} // namespace tnews::server
