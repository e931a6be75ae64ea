#include "catalogue_file.h"

#include "utf8.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace tnews::server
{
namespace
{

constexpr std::size_t kFieldCount = 5;
constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "region code", "place", "newspaper name", "city", "website",
};

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

bool HasControlCharacter(std::string_view text)
{
    return std::ranges::any_of(text, [](char c)
                               { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b + 32 : b); });
}

// An absolute http(s) URL with a host and nothing a browser would have to guess about: no blanks
// and none of the characters that are never valid in a URL.
bool IsWebsiteUrl(std::string_view url)
{
    std::string_view rest;
    if (StartsWithNoCase(url, "http://"))
        rest = url.substr(7);
    else if (StartsWithNoCase(url, "https://"))
        rest = url.substr(8);
    else
        return false;
    if (rest.empty() || rest.find_first_of("/?#") == 0)
        return false;
    return rest.find_first_of(" \"<>\\^`{|}") == std::string_view::npos;
}

class LineParser
{
public:
    explicit LineParser(std::string_view fileName) : m_fileName(fileName) {}

    [[noreturn]] void Fail(std::size_t lineNumber, std::string_view problem) const
    {
        std::ostringstream message;
        message << m_fileName << ':' << lineNumber << ": " << problem;
        throw CatalogueError(message.str());
    }

    Newspaper Parse(std::string_view line, std::size_t lineNumber)
    {
        if (!IsValidUtf8(line))
            Fail(lineNumber, "the line is not valid UTF-8");
        const std::vector<std::string_view> fields = SplitFields(line);
        if (fields.size() != kFieldCount)
        {
            Fail(lineNumber,
                 "expected 5 tab-separated fields, found " + std::to_string(fields.size()));
        }
        for (std::size_t i = 0; i < kFieldCount; ++i)
            CheckField(fields[i], i, lineNumber);

        const RegionInfo* region = FindRegion(fields[0]);
        if (!region)
        {
            Fail(lineNumber,
                 "unknown region code \"" + std::string(fields[0]) + "\"; expected c, u or i");
        }
        auto place = std::ranges::find(region->places, fields[1]);
        if (place == region->places.end())
        {
            Fail(lineNumber, "\"" + std::string(fields[1]) + "\" is not a " +
                                 std::string(region->placeKey) + " of region " +
                                 std::string(region->code));
        }
        if (!IsWebsiteUrl(fields[4]))
        {
            Fail(lineNumber,
                 "website \"" + std::string(fields[4]) + "\" is not an absolute http or https URL");
        }

        std::string key = std::string(region->code) + '\t' + std::string(*place) + '\t';
        key += fields[2];
        auto [first, inserted] = m_firstLine.try_emplace(std::move(key), lineNumber);
        if (!inserted)
        {
            Fail(lineNumber, "\"" + std::string(fields[2]) + "\" of " + std::string(*place) +
                                 " is already listed on line " + std::to_string(first->second));
        }
        return Newspaper{region, *place, std::string(fields[2]), std::string(fields[3]),
                         std::string(fields[4])};
    }

private:
    void CheckField(std::string_view field, std::size_t index, std::size_t lineNumber) const
    {
        const std::string what =
            "field " + std::to_string(index + 1) + " (" + std::string(kFieldNames[index]) + ")";
        if (field.empty())
            Fail(lineNumber, what + " is empty");
        if (HasControlCharacter(field))
            Fail(lineNumber, what + " contains a control character");
        if (field.front() == ' ' || field.back() == ' ')
            Fail(lineNumber, what + " has blanks at its start or end");
    }

    std::string_view m_fileName;
    std::map<std::string, std::size_t> m_firstLine; // "code\tplace\tname" -> line
};

} // namespace

std::vector<Newspaper> ParseNewspapers(std::string_view text, std::string_view fileName)
{
    LineParser parser(fileName);
    std::vector<Newspaper> newspapers;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size())
    {
        ++lineNumber;
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        newspapers.push_back(parser.Parse(line, lineNumber));
    }
    if (newspapers.empty())
        throw CatalogueError(std::string(fileName) + ": lists no newspaper");
    return newspapers;
}

std::vector<Newspaper> LoadNewspapers(const std::filesystem::path& file)
{
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        throw CatalogueError(file.string() + ": is a directory, not a catalogue file");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw CatalogueError(file.string() + ": cannot open: " + std::strerror(errno));
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad())
        throw CatalogueError(file.string() + ": cannot read: " + std::strerror(errno));
    return ParseNewspapers(contents.view(), file.string());
}

} // namespace tnews::server
