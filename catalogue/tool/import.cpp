#include "import.h"

#include <algorithm>

namespace tnews::catalogue
{

void IndexCity(CityIndex& index, std::string_view city, const PlaceRef& place)
{
    auto it = index.find(city);
    if (it == index.end())
        it = index.emplace(std::string(city), std::vector<PlaceRef>{}).first;
    if (std::ranges::find(it->second, place) == it->second.end())
        it->second.push_back(place);
}

std::string Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace tnews::catalogue
