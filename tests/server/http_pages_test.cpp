// The pages of the real server, each fetched as the program (or a stray client) asks for it, and
// a clear 4xx page for every bad credential, parameter or path, echoing what it got as text only.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace tnews::server
{
namespace
{

using testing::BasicAuth;
using testing::Contains;
using testing::WireTarget;
using namespace std::string_view_literals;

const std::string kListing = "/software/news/tnewsudb.php?region=usa&";
const std::string kUpdate = "/updates/tnewss.php?version=";
const std::string kChallenge = "Authorization required";
const std::string kNoMatch = "No USA newspaper has all of these words";

struct PageCase
{
    std::string target;
    int status;
    std::vector<std::string> fragments;     // in this order, already escaped
    std::optional<httplib::Headers> auth{}; // else the right credentials for the target
};

TEST(HttpPagesTest, EachPageSaysWhatItShould)
{
    const testing::TestServer server(testing::TestServerOptions{.latest = Version{6, 2, 0}});
    auto listing = [&](const char* code, std::string_view place)
    {
        const RegionInfo& region = *FindRegion(code);
        const auto position = std::ranges::find(region.places, place) - region.places.begin();
        return WireTarget(
            *ListingUrl(code, static_cast<std::int16_t>(position + 1), server.Host()));
    };
    auto search = [&](const char* code, std::string_view typed)
    { return WireTarget(*KeywordSearchUrl(code, typed, server.Host())); };
    // The update page links to the server's name as the program knows it, never as a request
    // gives it.
    const std::string publisher = "href=\"http://" + std::string(DirectoryHost) + "/\"";
    const std::string texas = kListing + "state=Texas";
    const std::string right(kListingPassword);
    const httplib::Headers rightAuth = BasicAuth(kUserName, right);
    const std::string token = rightAuth.begin()->second.substr(6);
    const httplib::Headers none;
    std::string accents;
    for (int i = 0; i < 300; ++i)
        accents += "\u00E9";
    const PageCase cases[] = {
        {listing("u", "Texas"),
         200,
         {"<h1 id=\"top\">Texas newspapers <span class=\"note\">(7)</span></h1>",
          "7 papers in 4 cities; 3 links failed the last check (\u2717); 1 not answering; 1 "
          "reported closed, listed at the end.",
          "<h2>Austin</h2>",
          "<a href=\"https://austin.example/?a=1&amp;b=it&#39;s\" target=\"_blank\" "
          "rel=\"noopener noreferrer\">Austin &lt;Gazette&gt; &amp; &quot;Quoted&quot; "
          "O&#39;Brien</a>",
          "The Daily Texan</a> <span class=\"note\">\u2014 college paper \u00B7 listed 2017 "
          "(Local Memory)</span> <a class=\"report\" href=\"report.php?region=usa&amp;"
          "state=Texas&amp;website=https%3A%2F%2Ftexan.example%2F\">Report</a></li>",
          "<h2>Dallas</h2>",
          // A feed that answered after the report keeps the paper live, and says so; a
          // permanent redirect to another host is followed.
          "<a href=\"https://dallasnews.example/\" target=\"_blank\" rel=\"noopener "
          "noreferrer\">The Dallas Morning News</a> <span class=\"note\">\u2014 newspaper \u00B7 "
          "seen alive 2026-03-25 (feed answered), after Wikidata reported it closed 2001 \u00B7 "
          "moved to https://dallasnews.example/ \u00B7 earlier at old-dallas.example/</span>",
          "<h2>El Paso</h2>",
          "El Diario</a> <span class=\"note\">\u2014 newspaper, Spanish \u00B7 listed 2017 (Local "
          "Memory)</span> <span class=\"failed\">\u2717 link failed on 2026-12-05: timed out "
          "&lt;after&gt; 20 s</span>",
          "<h2>Houston</h2>",
          "Houston Chronicle</a> <span class=\"note\">\u2014 newspaper, English \u00B7 seen alive "
          "2026-12-07 (link check)",
          // A parked domain is never offered as the paper's site.
          "<li>La Voz <span class=\"note\">\u2014 newspaper, Spanish \u00B7 listed 2017 (Local "
          "Memory) \u00B7 was https://lavoz.example/</span> <span class=\"failed\">\u2717 a "
          "parking or for-sale page on 2026-12-07</span>",
          "<h2 id=\"gone\">Not answering since 2026-11-20</h2>\n<ul>\n<li>Texas Tribune <span "
          "class=\"note\">\u2014 newspaper \u00B7 listed 2023 (Wikidata) \u00B7 was "
          "https://tribune.example/</span> <span class=\"failed\">\u2717 not answering since "
          "2026-11-20</span>",
          // Nothing since the report: at the end, its old addresses as text, never a link.
          "<h2 id=\"closed\">Reported closed</h2>\n<ul>\n<li>The Galveston &lt;Post&gt; <span "
          "class=\"note\">\u2014 Galveston \u00B7 closed 2016, says Wikidata (dissolved) \u00B7 "
          "was at post.example/, older-post.example/</span>"}},
        {listing("c", "Quebec"),
         200,
         {"<p class=\"rule\">Some of these papers are &lt;also&gt; Nunavut&#39;s &amp; "
          "&quot;more&quot;.</p>",
          "<h2>\u00CEles-de-la-Madeleine</h2>", "<h2>Montr\u00E9al</h2>"}},
        {listing("i", "Georgia"), 200, {"Georgian Times"}},
        {listing("i", "Crotia"),
         200,
         {"<h1 id=\"top\">Crotia newspapers <span class=\"note\">(1)</span></h1>",
          "<p class=\"rule\">Crotia is how the program&#39;s list spells Croatia; these are "
          "Croatia&#39;s papers.</p>",
          "<h2>Zagreb</h2>", "Ve\u010Dernji list</a>"}},
        {listing("i", "Farsi"),
         200,
         {"<p class=\"rule\">Farsi is a language", "2 papers in 2 countries.", "<h2>Iran</h2>",
          "Hamshahri</a> <span class=\"note\">\u2014 Tehran \u00B7 newspaper, Persian \u00B7 "
          "listed 2023 (Wikidata)</span>",
          "<h2>United Kingdom</h2>", "Kayhan London</a>"}},
        {listing("i", "Kurdistan"),
         200,
         {"<h1 id=\"top\">Kurdistan newspapers</h1>",
          "<p class=\"rule\">No source lists papers for Kurdistan &lt;yet&gt; &amp; &quot;so&quot; "
          "on.</p>\n</body>"}},
        {listing("u", "Wyoming"), 200, {"No Wyoming newspapers are listed yet."}},
        {search("i", "SENEGAL"),
         200,
         {"<h1>All International newspapers matching \u201C<span class=\"typed\">SENEGAL</span>"
          "\u201D</h1>",
          "2 matches in the whole region, by name, city, country and the country&#39;s other "
          "names.",
          "Le Soleil</a> <span class=\"note\">\u2014 Dakar, S\u00E9n\u00E9gal \u00B7 newspaper, "
          "French \u00B7 listed 2026 (by hand)</span>",
          "Sud Quotidien</a>"}},
        {search("u", "houston"),
         200,
         {"3 matches", "Houston Chronicle</a>",
          "Houston Press</a> <span class=\"note\">\u2014 Houston, Texas \u00B7 newspaper \u00B7 "
          "listed 2017 (Local Memory)</span> <span class=\"failed\">",
          "La Voz <span"}},
        {search("u", "senegal"), 200, {kNoMatch + "; searched the whole region"}},
        {search("c", "   "), 200, {"Type a word"}},
        // The place of a language rule finds what its page lists; a closed paper is found too.
        {search("i", "farsi"), 200, {"2 matches", "Hamshahri</a>", "Kayhan London</a>"}},
        {search("u", "galveston"),
         200,
         {"1 match", "The Galveston &lt;Post&gt; <span", "closed 2016"}},
        {search("u", " enter KEYWORDS "),
         200,
         {"Type your words into the keyword box first, in place of \u201C<span "
          "class=\"typed\"> enter KEYWORDS </span>\u201D: a word of"}},
        {search("c", "\xD8\x9F"), 200, {"Type a word"}},
        {WireTarget(UpdateQueryUrl(6, 2, 0, server.Host())), 200, {"is the current version"}},
        {kUpdate + "32767.32767.32767", 200, {"is the current version"}},
        {kUpdate + "6.1.99", 200, {"6.2.0 is available", publisher}},
        {kUpdate + "6.1.99",
         200,
         {publisher},
         httplib::Headers{*BasicAuth(kUserName, kUpdatePassword).begin(),
                          {"Host", "evil.example"}}},
        {kUpdate + "00006.00001.00009", 200, {"6.2.0 is available"}},
        // Typed text means nothing to the search but words, and comes back as it was typed.
        {search("u", "<script>x</script>"), 200, {">&lt;script&gt;x&lt;/script&gt;<", kNoMatch}},
        {search("u", "'; DROP TABLE papers; --"), 200, {">&#39;; DROP TABLE", kNoMatch}},
        {search("u", "NEAR(houston chronicle)"), 200, {">NEAR(houston chronicle)<", kNoMatch}},
        {search("u", "{name city}: houston"), 200, {">{name city}: houston<", kNoMatch}},
        {search("u", "-houston"), 200, {">-houston<", "Houston Chronicle</a>"}},
        {search("u", std::string("hou\0ston", 8)), 200, {">hou\uFFFDston<", kNoMatch}},
        {search("u", "\xFF\xC3("), 200, {">\uFFFD\uFFFD(<"}},
        {search("u", "fish&chips C# a+b 100%;c/d?e"), 200, {">fish&amp;chips C# a+b 100%;c/d?e<"}},
        {search("u", "  Montr\u00E9al\t%u00E9  "), 200, {">  Montr\u00E9al\t%u00E9  <"}},
        {search("u", std::string(255, ' ') + "a"), 200, {">" + std::string(255, ' ') + "a<"}},
        {search("u", std::string(257, 'x')),
         400,
         {"<h1>Search USA newspapers</h1>",
          "it has 257 characters, and a search may have at most 256",
          ">" + std::string(257, 'x') + "<"}},
        {search("u", std::string(100, ' ') + "Montr\u00E9al <b>" + accents),
         400,
         {"it has 412 characters",
          ">" + std::string(100, ' ') + "Montr\u00E9al &lt;b&gt;" + accents}},
        {WireTarget(PublisherWebsiteUrl(server.Host())),
         200,
         {"Tavi Orlund", "<td>Canadian</td><td>3</td><td>0</td><td>2 of 12</td><td>0</td>",
          "<td>USA</td><td>12</td><td>1</td><td>4 of 52</td><td>1</td>",
          "<td>International</td><td>9</td><td>0</td><td>7 of 164</td><td>0</td>",
          "24 papers in all, and 1 reported closed",
          "<tr><td>Tavi&#39;s curated list</td><td>CC0 1.0</td><td>2026-12</td><td>8</td></tr>",
          "<tr><td><a href=\"https://local-memory.example/data?a=1&amp;b=2\" rel=\"noopener "
          "noreferrer\">Local Memory &lt;Project&gt;</a></td><td>MIT</td><td>2017</td><td>13</td>"
          "</tr>",
          "<p class=\"notice\">Copyright (c) 2017 &quot;Local&quot; &lt;Memory&gt; &amp; Co\n\n"
          "Permission is hereby granted",
          "6 websites were checked, the latest on 2026-12-07; 4 failed",
          "<a href=\"/exports/newspapers.csv\">newspapers.csv</a>, <a "
          "href=\"/exports/newspapers.json\">newspapers.json</a>"}},
        {"/software/news/tnewscdb.php?region=usa&province=Quebec", 400, {"\u201Cusa\u201D"}},
        {"/software/news/tnewsudb.php?state=Texas", 400, {"\u201Cregion=usa\u201D is missing"}},
        {kListing + "province=Quebec", 400, {"\u201Cstate\u201D or \u201Cskwords\u201D"}},
        {kListing + "state=Texas&skwords=x", 400, {"not both"}},
        {kListing + "region=canada&state=Texas", 400, {"given more than once"}},
        {kListing + "state=texas", 404, {"\u201Ctexas\u201D"}},
        {kListing + "state=Texas%20", 404, {"\u201CTexas \u201D"}},
        {"/software/news/tnewsidb.php?region=international&country=Quebec", 404, {"country"}},
        {kListing + "state=%3Cb%3E%22", 404, {"&lt;b&gt;&quot;"}},
        {"/software/news/tnewsudb.php?region=%3Cscript%3E&state=Texas", 400, {"&lt;script&gt;"}},
        {kListing + "skwords=houston&page=0", 400, {"\u201C0\u201D is not a page number"}},
        {kListing + "skwords=houston&page=1000000", 400, {"\u201C1000000\u201D"}},
        {kListing + "skwords=houston&page=%3Cb%3E", 400, {"\u201C&lt;b&gt;\u201D"}},
        {kListing + "skwords=houston&page=2", 400, {"no page 2 of this search; its 3 matches"}},
        {kListing + "skwords=senegal&page=2", 400, {"its 0 matches fill 1 page."}},
        {kListing + "state=Texas&page=1", 400, {"belongs to a keyword search"}},
        {"/updates/tnewss.php", 400, {"\u201Cversion=A.B.C\u201D is missing"}},
        {kUpdate + "6.1", 400, {"\u201C6.1\u201D is malformed"}},
        {kUpdate + "6..3", 400, {"\u201C6..3\u201D"}},
        {kUpdate + "%2B6.1.3", 400, {"\u201C+6.1.3\u201D"}},
        {kUpdate + "32768.0.0", 400, {"\u201C32768.0.0\u201D"}},
        {kUpdate + "000001.0.0", 400, {"\u201C000001.0.0\u201D"}},
        {kUpdate + "%3Cb%3E", 400, {"\u201C&lt;b&gt;\u201D"}},
        {kUpdate + "6.1.3&version=6.1.4", 400, {"given more than once"}},
        {"/software/news/TNEWSUDB.PHP?region=usa&state=Texas", 404, {"TNEWSUDB.PHP"}},
        {"/software/news/tnewsudb.php/?region=usa&state=Texas", 404, {"tnewsudb.php/"}},
        {"/updates/tnewss.php/x", 404, {"There is no page"}},
        {"/%3Cscript%3E", 404, {"/&lt;script&gt;"}},
        // Credentials come first: a client without them learns nothing about its parameters.
        {texas, 401, {kChallenge}, none},
        {texas, 401, {kChallenge}, BasicAuth(kUserName, kUpdatePassword)},
        {texas, 401, {kChallenge}, BasicAuth(kUserName, right.substr(0, right.size() - 1) + "x")},
        {texas, 401, {kChallenge}, BasicAuth(kUserName, right + "x")},
        {texas, 401, {kChallenge}, BasicAuth(kUserName, right.substr(0, right.size() - 1))},
        {texas, 401, {kChallenge}, BasicAuth("TNEWSUSER", right)},
        {texas, 401, {kChallenge}, httplib::Headers{{"Authorization", "Basic !!!!"}}},
        {texas, 401, {kChallenge}, httplib::Headers{{"Authorization", "Bearer " + token}}},
        {texas, 401, {kChallenge}, httplib::Headers{*rightAuth.begin(), *rightAuth.begin()}},
        {texas, 200, {"Texas newspapers"}, httplib::Headers{{"Authorization", "bAsIc  " + token}}},
        {kUpdate + "6.1.3", 401, {kChallenge}, none},
        {kUpdate + "6.1.3", 401, {kChallenge}, BasicAuth(kUserName, kListingPassword)},
        {"/software/news/tnewsudb.php?region=mars&state=Nowhere", 401, {kChallenge}, none},
        {kUpdate + "x", 401, {kChallenge}, none},
    };
    for (const PageCase& c : cases)
    {
        const std::string_view password =
            c.target.starts_with("/updates/") ? kUpdatePassword : kListingPassword;
        const httplib::Headers auth = c.auth.value_or(BasicAuth(kUserName, password));
        SCOPED_TRACE(c.target + (auth.empty() ? "" : " " + auth.begin()->second));
        const httplib::Response response = testing::Fetch(server, c.target, auth);
        EXPECT_EQ(response.status, c.status);
        EXPECT_EQ(response.get_header_value("WWW-Authenticate").starts_with("Basic realm=\""),
                  c.status == 401);
        testing::ExpectHtmlHeaders(response);
        testing::ExpectInOrder(response.body, c.fragments);
        // Nothing comes through raw, no password shows, and no search here needs a second page.
        for (std::string_view raw :
             {"<script"sv, "<Gazette>"sv, "<yet>"sv, "<after>"sv, "class=\"pages\""sv,
              "href=\"https://post.example/"sv, kListingPassword, kUpdatePassword})
            EXPECT_FALSE(Contains(response.body, raw)) << raw;
    }
}

} // namespace
} // namespace tnews::server
