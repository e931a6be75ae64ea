#include "catalogue.h"

#include <algorithm>

namespace tnews
{
namespace
{

// Places in drop-down order. The order and the spelling are the directory server's keys and
// must stay as they are: "Prince Edward Island" before "Ontario", "Banglades", "Crotia" beside
// "Croatia", "Estoria" beside "Estonia", "Sénégal" in UTF-8. Never sort these lists; a
// position in the drop-down is a position here.
constexpr std::string_view kCanada[] = {
    "Alberta",       "British Columbia",     "Manitoba",
    "New Brunswick", "Newfoundland",         "North West Territories",
    "Nova Scotia",   "Prince Edward Island", "Ontario",
    "Quebec",        "Saskatchewan",         "Yukon Territories",
};

constexpr std::string_view kUsa[] = {
    "Alabama",       "Alaska",         "Arizona",
    "Arkansas",      "California",     "Colorado",
    "Connecticut",   "Delaware",       "District of Columbia",
    "Florida",       "Georgia",        "Hawaii",
    "Idaho",         "Illinois",       "Indiana",
    "Iowa",          "Kansas",         "Kentucky",
    "Louisiana",     "Maine",          "Maryland",
    "Massachusetts", "Michigan",       "Minnesota",
    "Mississippi",   "Missouri",       "Montana",
    "National",      "Nebraska",       "Nevada",
    "New Hampshire", "New Jersey",     "New Mexico",
    "New York",      "North Carolina", "North Dakota",
    "Ohio",          "Oklahoma",       "Oregon",
    "Pennsylvania",  "Rhode Island",   "South Carolina",
    "South Dakota",  "Tennessee",      "Texas",
    "Utah",          "Vermont",        "Virginia",
    "Washington",    "West Virginia",  "Wisconsin",
    "Wyoming",
};

constexpr std::string_view kInternational[] = {
    "Afghanistan",
    "Albania",
    "Algeria",
    "Angola",
    "Anguilla",
    "Argentina",
    "Armenia",
    "Aruba",
    "Australia",
    "Austria",
    "Azerbaijan",
    "Bahamas",
    "Bahrain",
    "Banglades",
    "Barbados",
    "Belarus",
    "Belgium",
    "Belize",
    "Benin",
    "Bermuda",
    "Bolivia",
    "Bosnia",
    "Brazil",
    "Brunei",
    "Bulgaria",
    "Burkina Faso",
    "Burma",
    "Cambodia",
    "Chile",
    "China",
    "Columbia",
    "Congo",
    "Costa Rica",
    "Croatia",
    "Crotia",
    "Cuba",
    "Cyprus",
    "Czech Republic",
    "Denmark",
    "Dominican Republic",
    "East Timor",
    "Ecuador",
    "Egypt",
    "El Salvador",
    "Estonia",
    "Estoria",
    "Farsi",
    "Fiji",
    "Finland",
    "France",
    "French West Indies",
    "Georgia",
    "Germany",
    "Ghana",
    "Greece",
    "Grenada",
    "Guadeloupe",
    "Guam",
    "Guatemala",
    "Guyana",
    "Haiti",
    "Honduras",
    "Hong Kong",
    "Hungary",
    "Iceland",
    "India",
    "Indonesia",
    "Iran",
    "Iraq",
    "Ireland",
    "Israel",
    "Italy",
    "Ivory Coast",
    "Jamaica",
    "Japan",
    "Jordan",
    "Kazakhstan",
    "Kenya",
    "Kurdistan",
    "Kuwait",
    "Kyrgyz Stan",
    "Latvia",
    "Lebanon",
    "Libya",
    "Liechtenstein",
    "Lithuania",
    "Luxembourg",
    "Macau",
    "Macedonia",
    "Malaysia",
    "Maldives",
    "Martinique",
    "Mauritania",
    "Mauritius",
    "Mexico",
    "Monaco",
    "Mongolia",
    "Morocco",
    "Nambia",
    "Nepal",
    "Netherlands",
    "New Zealand",
    "Nicaragua",
    "Niger",
    "Nigeria",
    "North Korea",
    "Norway",
    "Oman",
    "Pakistan",
    "Palestine",
    "Panama",
    "Papua New Guinea",
    "Paraguay",
    "Peru",
    "Philippines",
    "Poland",
    "Portugal",
    "Puerto Rico",
    "Qatar",
    "Romania",
    "Russia",
    "Saint Lucia",
    "Saint Vincent and the Grenadines",
    "San Marino",
    "Saudi Arabia",
    "Sénégal",
    "Serbia and Montenegro",
    "Sierra Leone",
    "Singapore",
    "Slovakia",
    "Slovenia",
    "Somalia",
    "South Africa",
    "South Korea",
    "Spain",
    "Sri Lanka",
    "Suriname",
    "Sweden",
    "Switzerland",
    "Taiwan",
    "Tanzania",
    "Thailand",
    "Tonga",
    "Trinidad and Tobago",
    "Tunsia",
    "Turkey",
    "Uganda",
    "UK Northern Ireland",
    "UK Scotland",
    "UK Wales",
    "Ukraine",
    "United Arab Emirates",
    "United Kingdom",
    "Uruguay",
    "Uzbekistan",
    "Vatican City",
    "Venezuela",
    "Vietnam",
    "Virgin Islands",
    "Western Sahara",
    "Yemen",
    "Yugoslavia",
    "Zambia",
    "Zimbabwe",
};

constexpr RegionInfo kRegions[] = {
    {"c", "Canada", "Canadian Newspapers", "tnewscdb.php", "canada", "province", kCanada},
    {"u", "USA", "USA Newspapers", "tnewsudb.php", "usa", "state", kUsa},
    {"i", "InternationalNewspapers", "International Newspapers", "tnewsidb.php", "international",
     "country", kInternational},
};

} // namespace

std::span<const RegionInfo> Regions()
{
    return kRegions;
}

const RegionInfo* FindRegion(std::string_view code)
{
    auto it = std::ranges::find(kRegions, code, &RegionInfo::code);
    return it == std::end(kRegions) ? nullptr : &*it;
}

std::optional<std::string> RegionQueryUrl(std::string_view code, std::string_view host)
{
    const RegionInfo* region = FindRegion(code);
    if (!region)
        return std::nullopt;
    std::string url = "http://";
    url.append(kUserName).append(":").append(kListingPassword).append("@").append(host);
    url.append("/software/news/").append(region->script);
    url.append("?region=").append(region->regionValue);
    return url;
}

std::optional<std::string> ListingUrl(std::string_view code, std::int16_t position,
                                      std::string_view host)
{
    const RegionInfo* region = FindRegion(code);
    if (!region || position < 1 || static_cast<std::size_t>(position) > region->places.size())
        return std::nullopt;
    std::string url = *RegionQueryUrl(code, host);
    url.append("&").append(region->placeKey).append("=").append(region->places[position - 1]);
    return url;
}

} // namespace tnews
