#include "json_input.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

namespace tnews::catalogue
{
namespace
{

std::string_view TypeName(nlohmann::json::value_t type)
{
    switch (type)
    {
    case nlohmann::json::value_t::object:
        return "an object";
    case nlohmann::json::value_t::array:
        return "an array";
    case nlohmann::json::value_t::string:
        return "a string";
    case nlohmann::json::value_t::number_float:
        return "a number";
    default:
        return "a value of another kind";
    }
}

bool HasType(const nlohmann::json& value, nlohmann::json::value_t type)
{
    if (type == nlohmann::json::value_t::number_float)
        return value.is_number();
    return value.type() == type;
}

} // namespace

std::vector<std::filesystem::path>
SortedEntries(const std::filesystem::path& folder,
              bool (*keep)(const std::filesystem::directory_entry&))
{
    std::vector<std::filesystem::path> entries;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    {
        if (keep(entry))
            entries.push_back(entry.path());
    }
    if (error)
        throw CatalogueError(folder.string() + ": can't list the folder: " + error.message());
    std::ranges::sort(entries);
    return entries;
}

std::string ReadGzipFile(const std::filesystem::path& file)
{
    const auto fail = [&](std::string_view problem)
    { throw CatalogueError(file.string() + ": " + std::string(problem)); };
    std::unique_ptr<gzFile_s, decltype(&gzclose)> in(gzopen(file.c_str(), "rb"), gzclose);
    if (!in)
        fail("can't open");
    std::string text;
    char buffer[1 << 16];
    for (;;)
    {
        const int got = gzread(in.get(), buffer, sizeof buffer);
        if (got < 0)
        {
            int code = 0;
            fail(std::string("not a whole gzip file: ") + gzerror(in.get(), &code));
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    // gzread reads a file cut short to its end without complaint; gzclose says so.
    if (gzclose(in.release()) != Z_OK)
        fail("not a whole gzip file: it is cut short");
    return text;
}

nlohmann::json ParseJson(std::string_view text, std::string_view fileName)
{
    try
    {
        return nlohmann::json::parse(text);
    }
    catch (const nlohmann::json::parse_error& error)
    {
        const std::size_t at = std::min<std::size_t>(error.byte, text.size());
        const std::size_t before = at == 0 ? 0 : at - 1;
        const std::size_t line = 1 + std::count(text.begin(), text.begin() + before, '\n');
        std::string what = error.what();
        // nlohmann's text reads "[json.exception.parse_error.101] parse error at line 1, column
        // 9: syntax error ..."; keep what follows the position.
        if (std::size_t colon = what.find(": ", what.find("column")); colon != std::string::npos)
            what = what.substr(colon + 2);
        const std::size_t lineStart = text.rfind('\n', before);
        const std::size_t column = before - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
        throw CatalogueError(std::string(fileName) + ":" + std::to_string(line) +
                             ": not valid JSON (column " + std::to_string(column) + "): " + what);
    }
}

void JsonPlace::Fail(std::string_view problem) const
{
    throw CatalogueError(std::string(fileName) + ": " + what + ": " + std::string(problem));
}

const nlohmann::json& JsonPlace::Member(const nlohmann::json& object, std::string_view key,
                                        nlohmann::json::value_t type, bool optional) const
{
    static const nlohmann::json kNull;
    auto it = object.find(key);
    const nlohmann::json& value = it == object.end() ? kNull : *it;
    if (value.is_null() && optional)
        return value;
    if (!HasType(value, type))
    {
        Fail("\"" + std::string(key) + "\" is " +
             (value.is_null() ? std::string("missing") : "not " + std::string(TypeName(type))));
    }
    return value;
}

std::string JsonPlace::String(const nlohmann::json& object, std::string_view key,
                              bool optional) const
{
    const nlohmann::json& value = Member(object, key, nlohmann::json::value_t::string, optional);
    return value.is_null() ? std::string() : value.get<std::string>();
}

} // namespace tnews::catalogue
