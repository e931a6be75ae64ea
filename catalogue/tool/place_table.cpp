// The mapping of the data sets' countries, states and towns to the program's places, and the
// rules and other names of places. Place texts are spelled exactly as the program's list has
// them (directory/catalogue.cpp): "Banglades", "Columbia", "Kyrgyz Stan", "S\u00e9n\u00e9gal".
// The tests walk every place of the list and every entry here.
#include "place_table_data.h"

namespace tnews::catalogue::table
{

// Countries, territories and UK nations as Local Memory's folders and Wikidata's country
// labels spell them. An empty place leaves the entry out, for the reason given.
const TableCountry kCountries[] = {
    {"Afghanistan", "Afghanistan", ""},
    {"Albania", "Albania", ""},
    {"Algeria", "Algeria", ""},
    {"Angola", "Angola", ""},
    {"Anguilla", "Anguilla", ""},
    {"Argentina", "Argentina", ""},
    {"Armenia", "Armenia", ""},
    {"Aruba", "Aruba", ""},
    {"Australia", "Australia", ""},
    {"Austria", "Austria", ""},
    {"Azerbaijan", "Azerbaijan", ""},
    {"Bahamas", "Bahamas", ""},
    {"The Bahamas", "Bahamas", ""},
    {"Bahrain", "Bahrain", ""},
    {"Bangladesh", "Banglades", ""},
    {"Barbados", "Barbados", ""},
    {"Belarus", "Belarus", ""},
    {"Belgium", "Belgium", ""},
    {"Belize", "Belize", ""},
    {"Benin", "Benin", ""},
    {"Bermuda", "Bermuda", ""},
    {"Bolivia", "Bolivia", ""},
    {"Bosnia and Herzegovina", "Bosnia", ""},
    {"Brazil", "Brazil", ""},
    {"Brunei", "Brunei", ""},
    {"Bulgaria", "Bulgaria", ""},
    {"Burkina Faso", "Burkina Faso", ""},
    {"Myanmar", "Burma", ""},
    {"Cambodia", "Cambodia", ""},
    {"Chile", "Chile", ""},
    {"China", "China", ""},
    {"People's Republic of China", "China", ""},
    {"Colombia", "Columbia", ""},
    // The list has one Congo; both states of that name are filed under it.
    {"Republic of the Congo", "Congo", ""},
    {"Democratic Republic of Congo", "Congo", ""},
    {"Democratic Republic of the Congo", "Congo", ""},
    {"Costa Rica", "Costa Rica", ""},
    {"Croatia", "Croatia", ""},
    {"Cuba", "Cuba", ""},
    {"Cyprus", "Cyprus", ""},
    {"Czech Republic", "Czech Republic", ""},
    {"Czechia", "Czech Republic", ""},
    {"Denmark", "Denmark", ""},
    {"Dominican Republic", "Dominican Republic", ""},
    {"East Timor", "East Timor", ""},
    {"Timor-Leste", "East Timor", ""},
    {"Ecuador", "Ecuador", ""},
    {"Egypt", "Egypt", ""},
    {"El Salvador", "El Salvador", ""},
    {"Estonia", "Estonia", ""},
    {"Fiji", "Fiji", ""},
    {"Finland", "Finland", ""},
    {"France", "France", ""},
    // Guadeloupe and Martinique have entries of their own; the rest of the French West Indies
    // is Saint Martin and Saint Barthélemy.
    {"French West Indies", "French West Indies", ""},
    {"French Antilles", "French West Indies", ""},
    {"Saint Martin", "French West Indies", ""},
    {"Collectivity of Saint Martin", "French West Indies", ""},
    {"Saint Barth\u00e9lemy", "French West Indies", ""},
    {"Georgia", "Georgia", ""}, // the country; the US state comes by its postal code
    {"Germany", "Germany", ""},
    {"Ghana", "Ghana", ""},
    {"Greece", "Greece", ""},
    {"Grenada", "Grenada", ""},
    {"Guadeloupe", "Guadeloupe", ""},
    {"Guam", "Guam", ""},
    {"Guatemala", "Guatemala", ""},
    {"Guyana", "Guyana", ""},
    {"Haiti", "Haiti", ""},
    {"Honduras", "Honduras", ""},
    {"Hong Kong", "Hong Kong", ""},
    {"Hungary", "Hungary", ""},
    {"Iceland", "Iceland", ""},
    {"India", "India", ""},
    {"Indonesia", "Indonesia", ""},
    {"Iran", "Iran", ""},
    {"Iraq", "Iraq", ""},
    {"Ireland", "Ireland", ""},
    {"Republic of Ireland", "Ireland", ""},
    {"Israel", "Israel", ""},
    {"Italy", "Italy", ""},
    {"Ivory Coast", "Ivory Coast", ""},
    {"C\u00f4te d'Ivoire", "Ivory Coast", ""},
    {"Jamaica", "Jamaica", ""},
    {"Japan", "Japan", ""},
    {"Jordan", "Jordan", ""},
    {"Kazakhstan", "Kazakhstan", ""},
    {"Kenya", "Kenya", ""},
    {"Kuwait", "Kuwait", ""},
    {"Kyrgyzstan", "Kyrgyz Stan", ""},
    {"Latvia", "Latvia", ""},
    {"Lebanon", "Lebanon", ""},
    {"Libya", "Libya", ""},
    {"Liechtenstein", "Liechtenstein", ""},
    {"Lithuania", "Lithuania", ""},
    {"Luxembourg", "Luxembourg", ""},
    {"Macau", "Macau", ""},
    {"Macao", "Macau", ""},
    {"Macedonia", "Macedonia", ""},
    {"North Macedonia", "Macedonia", ""},
    {"Malaysia", "Malaysia", ""},
    {"Maldives", "Maldives", ""},
    {"Martinique", "Martinique", ""},
    {"Mauritania", "Mauritania", ""},
    {"Mauritius", "Mauritius", ""},
    {"Mexico", "Mexico", ""},
    {"Monaco", "Monaco", ""},
    {"Mongolia", "Mongolia", ""},
    {"Morocco", "Morocco", ""},
    {"Namibia", "Nambia", ""},
    {"Nepal", "Nepal", ""},
    {"Netherlands", "Netherlands", ""},
    {"New Zealand", "New Zealand", ""},
    {"Nicaragua", "Nicaragua", ""},
    {"Niger", "Niger", ""},
    {"Nigeria", "Nigeria", ""},
    {"North Korea", "North Korea", ""},
    {"Norway", "Norway", ""},
    {"Hedmark Fylke", "Norway", ""}, // a Norwegian county that Local Memory files as a country
    {"Oman", "Oman", ""},
    {"Pakistan", "Pakistan", ""},
    {"Palestine", "Palestine", ""},
    {"State of Palestine", "Palestine", ""},
    {"Panama", "Panama", ""},
    {"Papua New Guinea", "Papua New Guinea", ""},
    {"Paraguay", "Paraguay", ""},
    {"Peru", "Peru", ""},
    {"Philippines", "Philippines", ""},
    {"Poland", "Poland", ""},
    {"Portugal", "Portugal", ""},
    {"Puerto Rico", "Puerto Rico", ""},
    {"Qatar", "Qatar", ""},
    {"Romania", "Romania", ""},
    {"Brasov", "Romania", ""}, // a Romanian city that Local Memory files as a country
    {"Russia", "Russia", ""},
    {"Saint Lucia", "Saint Lucia", ""},
    {"St. Lucia", "Saint Lucia", ""},
    {"Saint Vincent and the Grenadines", "Saint Vincent and the Grenadines", ""},
    {"San Marino", "San Marino", ""},
    {"Saudi Arabia", "Saudi Arabia", ""},
    {"Senegal", "S\u00e9n\u00e9gal", ""},
    // Serbia and Montenegro split in 2006; the list still names the union, so both successor
    // states' papers are filed under it.
    {"Serbia and Montenegro", "Serbia and Montenegro", ""},
    {"Serbia", "Serbia and Montenegro", ""},
    {"Montenegro", "Serbia and Montenegro", ""},
    {"Sierra Leone", "Sierra Leone", ""},
    {"Singapore", "Singapore", ""},
    {"Slovakia", "Slovakia", ""},
    {"Slovenia", "Slovenia", ""},
    {"Somalia", "Somalia", ""},
    {"South Africa", "South Africa", ""},
    {"South Korea", "South Korea", ""},
    {"Spain", "Spain", ""},
    {"Sri Lanka", "Sri Lanka", ""},
    {"Suriname", "Suriname", ""},
    {"Sweden", "Sweden", ""},
    {"Switzerland", "Switzerland", ""},
    {"Taiwan", "Taiwan", ""},
    {"Tanzania", "Tanzania", ""},
    {"Thailand", "Thailand", ""},
    {"Tonga", "Tonga", ""},
    {"Trinidad and Tobago", "Trinidad and Tobago", ""},
    {"Tunisia", "Tunsia", ""},
    {"Turkey", "Turkey", ""},
    {"Uganda", "Uganda", ""},
    {"Northern Ireland", "UK Northern Ireland", ""},
    {"Scotland", "UK Scotland", ""},
    {"Wales", "UK Wales", ""},
    {"Ukraine", "Ukraine", ""},
    {"United Arab Emirates", "United Arab Emirates", ""},
    {"England", "United Kingdom", ""},
    {"United Kingdom", "United Kingdom", ""},
    {"Uruguay", "Uruguay", ""},
    {"Uzbekistan", "Uzbekistan", ""},
    {"Vatican City", "Vatican City", ""},
    {"Venezuela", "Venezuela", ""},
    {"Vietnam", "Vietnam", ""},
    {"Virgin Islands", "Virgin Islands", ""}, // Local Memory's are St Thomas and St John, US
    {"United States Virgin Islands", "Virgin Islands", ""},
    {"Western Sahara", "Western Sahara", ""},
    {"Yemen", "Yemen", ""},
    {"Zambia", "Zambia", ""},
    {"Zimbabwe", "Zimbabwe", ""},

    // Former states: a paper is placed by the present-day country it also names, or left out;
    // which successor a paper of a former state belongs to is not in the data.
    {"Soviet Union", "", "only a former state as country"},
    {"Russian Empire", "", "only a former state as country"},
    {"Russian Socialist Federative Soviet Republic", "", "only a former state as country"},
    {"Ukrainian Soviet Socialist Republic", "", "only a former state as country"},
    {"Ottoman Empire", "", "only a former state as country"},
    {"British Raj", "", "only a former state as country"},
    {"German Democratic Republic", "", "only a former state as country"},
    {"United Kingdom of Great Britain and Ireland", "", "only a former state as country"},
    {"Yugoslavia", "", "only a former state as country"},
    {"European Union", "", "not a country"},
    // Territories that belong to a listed country but are not part of it as a reader would
    // look for them (crown dependencies, overseas territories, self-governing islands): the
    // list has no entry for them, and filing them under the country would mislead.
    {"Isle of Man", "", "a territory the list has no entry for"},
    {"Gibraltar", "", "a territory the list has no entry for"},
    {"St Helena", "", "a territory the list has no entry for"},
    {"Cayman Islands", "", "a territory the list has no entry for"},
    {"Montserrat", "", "a territory the list has no entry for"},
    {"Faroe Islands", "", "a territory the list has no entry for"},
    {"Reunion", "", "a territory the list has no entry for"},
    {"New Caledonia", "", "a territory the list has no entry for"},
    {"Caribbean Netherlands", "", "a territory the list has no entry for"},
    {"Curacao", "", "a territory the list has no entry for"},
    {"Cura\u00e7ao", "", "a territory the list has no entry for"},
    {"Dutch Antilles", "", "a territory the list has no entry for"},
    // Kosovo declared independence from Serbia in 2008; the list has no entry for it, and
    // filing it under Serbia and Montenegro would take a side.
    {"Kosovo", "", "a country the list has no entry for"},
    // Any other name: "a country the list has no entry for".
};

// The USA: postal codes and the program's state names; "National" has no code, and only the
// curated list files papers under it: no data set says that a paper is national.
const UsState kUsStates[] = {
    {"AL", "Alabama"},        {"AK", "Alaska"},         {"AZ", "Arizona"},
    {"AR", "Arkansas"},       {"CA", "California"},     {"CO", "Colorado"},
    {"CT", "Connecticut"},    {"DE", "Delaware"},       {"DC", "District of Columbia"},
    {"FL", "Florida"},        {"GA", "Georgia"},        {"HI", "Hawaii"},
    {"ID", "Idaho"},          {"IL", "Illinois"},       {"IN", "Indiana"},
    {"IA", "Iowa"},           {"KS", "Kansas"},         {"KY", "Kentucky"},
    {"LA", "Louisiana"},      {"ME", "Maine"},          {"MD", "Maryland"},
    {"MA", "Massachusetts"},  {"MI", "Michigan"},       {"MN", "Minnesota"},
    {"MS", "Mississippi"},    {"MO", "Missouri"},       {"MT", "Montana"},
    {"NE", "Nebraska"},       {"NV", "Nevada"},         {"NH", "New Hampshire"},
    {"NJ", "New Jersey"},     {"NM", "New Mexico"},     {"NY", "New York"},
    {"NC", "North Carolina"}, {"ND", "North Dakota"},   {"OH", "Ohio"},
    {"OK", "Oklahoma"},       {"OR", "Oregon"},         {"PA", "Pennsylvania"},
    {"RI", "Rhode Island"},   {"SC", "South Carolina"}, {"SD", "South Dakota"},
    {"TN", "Tennessee"},      {"TX", "Texas"},          {"UT", "Utah"},
    {"VT", "Vermont"},        {"VA", "Virginia"},       {"WA", "Washington"},
    {"WV", "West Virginia"},  {"WI", "Wisconsin"},      {"WY", "Wyoming"},
};

// Proper names of Canadian places that the list spells otherwise, as Wikidata labels them.
// Nunavut was part of the Northwest Territories until 1999 and has no entry of its own, so
// its papers are filed under "North West Territories".
const StateName kCanadianNames[] = {
    {"Northwest Territories", "North West Territories"},
    {"Nunavut", "North West Territories"},
    {"Yukon", "Yukon Territories"},
    {"Newfoundland and Labrador", "Newfoundland"},
    {"Qu\u00e9bec", "Quebec"},
};

// Canadian towns whose coordinates sit too close to a border for the boundary table below, or
// straddle one.
const TownOverride kCanadianTowns[] = {
    // On the Ottawa River, a few hundred metres apart.
    {"Ottawa", "Ontario"},
    {"Hull", "Quebec"},
    {"Gatineau", "Quebec"},
    {"Pembroke", "Ontario"},
    // On the Alberta-Saskatchewan border; most of the city and its papers are in Alberta.
    {"Lloydminster", "Alberta"},
    // On the Manitoba-Saskatchewan border; most of the city is in Manitoba.
    {"Flin Flon", "Manitoba"},
    // Beside the Quebec-Labrador border, a few kilometres from Fermont, Quebec.
    {"Labrador City", "Newfoundland"},
    {"Wabush", "Newfoundland"},
};

// Where geocoders put "Canada" itself: an entry at this point says nothing of its town.
const GeoPoint kCanadaCentre = {56.1304, -106.3468};

// The provinces and territories as polygons of (longitude, latitude), tried in this order;
// the first that holds a town's point is its place. Each polygon follows its borders with
// the places tried before it only roughly: where it overlaps them, they have already won, and
// where it runs into the sea or the USA no Canadian town lies. Borders between places tried
// later are followed closely: the Ottawa River, the 110th meridian, the Continental Divide.
const GeoPoint kNewfoundlandIsland[] = {
    {46.5, -59.6}, {51.7, -59.6}, {51.7, -52.5}, {46.5, -52.5},
};
const GeoPoint kLabrador[] = {
    {51.4, -57.1}, {52.0, -57.1}, {52.0, -63.6}, {52.9, -64.3}, {52.7, -66.5},
    {53.5, -67.2}, {54.6, -66.8}, {55.3, -67.7}, {56.5, -65.0}, {60.4, -64.5},
    {60.4, -55.0}, {51.4, -55.0},
};
const GeoPoint kPrinceEdwardIsland[] = {
    {46.75, -64.45}, {47.15, -64.15}, {46.6, -63.0},  {46.55, -61.9}, {46.35, -61.9},
    {45.93, -62.5},  {46.05, -63.2},  {46.22, -63.7}, {46.3, -64.2},
};
const GeoPoint kNovaScotia[] = {
    {43.2, -66.6},  {44.4, -66.4},  {45.75, -64.4}, {45.86, -64.29}, {46.01, -64.03},
    {45.95, -63.5}, {45.95, -61.8}, {46.5, -61.5},  {47.15, -60.6},  {46.4, -59.5},
    {45.0, -59.0},  {43.0, -63.0},
};
const GeoPoint kNewBrunswick[] = {
    {44.5, -68.0},  {44.5, -63.5},  {47.6, -63.5},  {47.95, -64.5}, {47.85, -65.2},
    {48.08, -66.3}, {48.0, -66.7},  {47.95, -67.0}, {47.92, -68.38}, {47.2, -68.9},
    {47.4, -69.3},  {44.5, -69.3},
};
const GeoPoint kQuebec[] = {
    {62.7, -78.0},  {61.9, -72.0},   {60.4, -64.5},  {60.4, -55.0},  {45.0, -55.0},
    {45.0, -74.65}, {45.2, -74.4},   {45.3, -74.35}, {45.56, -74.38}, {45.63, -74.65},
    {45.55, -75.0}, {45.52, -75.4},  {45.445, -75.7}, {45.5, -76.0},  {45.47, -76.35},
    {45.6, -76.7},  {45.86, -77.1},  {46.1, -77.45}, {46.3, -78.7},  {46.72, -79.1},
    {47.45, -79.52}, {51.5, -79.52}, {54.5, -79.0},  {55.5, -77.5},  {58.5, -78.0},
    {60.5, -78.2},
};
const GeoPoint kOntario[] = {
    {48.0, -95.15}, {52.83, -95.15}, {56.85, -88.9}, {55.2, -82.2},
    {51.2, -80.5},  {51.2, -74.0},   {41.6, -74.0},  {41.6, -83.5},
};
const GeoPoint kManitoba[] = {
    {48.5, -101.36}, {54.77, -101.88}, {55.8, -102.0}, {60.0, -102.0},
    {60.0, -94.0},   {56.85, -88.9},   {52.83, -95.15}, {48.5, -95.15},
};
const GeoPoint kSaskatchewan[] = {
    {48.5, -110.0}, {60.0, -110.0}, {60.0, -102.0}, {55.8, -102.0}, {54.77, -101.88},
    {48.5, -101.36},
};
// The Alberta-British Columbia border: the 120th meridian down to 53.8 degrees north, then the
// Continental Divide to the US border.
const GeoPoint kAlberta[] = {
    {60.0, -120.0},  {60.0, -110.0},  {48.5, -110.0},  {48.5, -114.07}, {49.0, -114.07},
    {49.2, -114.4},  {49.63, -114.69}, {49.9, -114.75}, {50.5, -115.2},  {50.9, -115.6},
    {51.45, -116.29}, {51.7, -116.6},  {52.1, -117.3},  {52.4, -118.25}, {52.88, -118.47},
    {53.4, -119.0},  {53.8, -120.0},
};
const GeoPoint kBritishColumbia[] = {
    {60.0, -140.0},  {60.0, -120.0},  {53.8, -120.0},  {53.4, -119.0},  {52.88, -118.47},
    {52.4, -118.25}, {52.1, -117.3},  {51.7, -116.6},  {51.45, -116.29}, {50.9, -115.6},
    {50.5, -115.2},  {49.9, -114.75}, {49.63, -114.69}, {49.2, -114.4},  {49.0, -114.07},
    {48.0, -114.07}, {48.0, -134.0},
};
const GeoPoint kYukon[] = {
    {60.0, -141.0}, {70.0, -141.0}, {69.6, -136.45}, {67.8, -136.2}, {66.0, -133.5},
    {65.0, -132.5}, {64.0, -130.0}, {63.0, -128.5},  {61.5, -127.0}, {60.0, -124.0},
};
// The Northwest Territories with Nunavut: the north, Hudson Bay and its islands.
const GeoPoint kNorthwestTerritories[] = {
    {60.0, -141.0}, {84.0, -141.0}, {84.0, -55.0}, {60.4, -55.0},
    {51.2, -80.5},  {56.85, -88.9}, {60.0, -94.0},
};

const Boundary kBoundaries[] = {
    {"Newfoundland", kNewfoundlandIsland},
    {"Newfoundland", kLabrador},
    {"Prince Edward Island", kPrinceEdwardIsland},
    {"Nova Scotia", kNovaScotia},
    {"New Brunswick", kNewBrunswick},
    {"Quebec", kQuebec},
    {"Ontario", kOntario},
    {"Manitoba", kManitoba},
    {"Saskatchewan", kSaskatchewan},
    {"Alberta", kAlberta},
    {"British Columbia", kBritishColumbia},
    {"Yukon Territories", kYukon},
    {"North West Territories", kNorthwestTerritories},
};

// Places that no entry is filed under, and what they show instead.
const TableRule kRules[] = {
    {"i", "Crotia", PlaceRule::How::SameAs, "Croatia",
     "The list names Croatia twice; this entry shows the papers of Croatia."},
    {"i", "Estoria", PlaceRule::How::SameAs, "Estonia",
     "Estoria is Estonia, which the list also names; this entry shows the papers of Estonia."},
    {"i", "Yugoslavia", PlaceRule::How::SameAs, "Serbia and Montenegro",
     "Yugoslavia took the name Serbia and Montenegro in 2003, and split into Serbia and "
     "Montenegro in 2006; this entry shows their papers. Croatia, Slovenia, Bosnia and "
     "Macedonia have entries of their own."},
    {"i", "Farsi", PlaceRule::How::Language, "Persian",
     "Farsi is a language, not a country: this entry shows the papers published in Persian "
     "(Farsi), in Iran and elsewhere."},
    {"i", "Kurdistan", PlaceRule::How::Language, "Kurdish",
     "Kurdistan is not a country of its own: the Kurdish lands span Turkey, Iraq, Iran and "
     "Syria. This entry shows the papers published in Kurdish; the papers of Iraq's Kurdistan "
     "Region are also under Iraq."},
};

// Places whose papers need a word on their page.
const TableNote kNotes[] = {
    {"c", "North West Territories",
     "Nunavut was part of the Northwest Territories until 1999 and has no entry of its own in "
     "this list, so the papers of Nunavut are listed here too, under their towns."},
};

// Other names a reader may search for. Two-letter postal codes are left out: IN, OR, ME, OK,
// HI and most others are common words, and a keyword search would find them everywhere.
const TableAlias kAliases[] = {
    {"c", "Newfoundland", "Newfoundland and Labrador"},
    {"c", "Newfoundland", "Labrador"},
    {"c", "North West Territories", "Northwest Territories"},
    {"c", "North West Territories", "NWT"},
    {"c", "North West Territories", "Nunavut"},
    {"c", "Prince Edward Island", "PEI"},
    {"c", "Prince Edward Island", "P.E.I."},
    {"c", "Quebec", "Qu\u00e9bec"},
    {"c", "Yukon Territories", "Yukon"},
    {"c", "Yukon Territories", "Yukon Territory"},
    {"u", "District of Columbia", "Washington, D.C."},
    {"u", "District of Columbia", "Washington DC"},
    {"u", "District of Columbia", "DC"},
    {"i", "Banglades", "Bangladesh"},
    {"i", "Bahamas", "The Bahamas"},
    {"i", "Bosnia", "Bosnia and Herzegovina"},
    {"i", "Bosnia", "Herzegovina"},
    {"i", "Brunei", "Brunei Darussalam"},
    {"i", "Burma", "Myanmar"},
    {"i", "China", "People's Republic of China"},
    {"i", "Columbia", "Colombia"},
    {"i", "Congo", "Republic of the Congo"},
    {"i", "Congo", "Democratic Republic of the Congo"},
    {"i", "Congo", "DR Congo"},
    {"i", "Congo", "Zaire"},
    {"i", "Czech Republic", "Czechia"},
    {"i", "East Timor", "Timor-Leste"},
    {"i", "East Timor", "Timor Leste"},
    {"i", "Farsi", "Persian"},
    {"i", "French West Indies", "French Antilles"},
    {"i", "Iran", "Persia"},
    {"i", "Ireland", "Republic of Ireland"},
    {"i", "Ireland", "\u00c9ire"},
    {"i", "Ireland", "Eire"},
    {"i", "Ivory Coast", "C\u00f4te d'Ivoire"},
    {"i", "Ivory Coast", "Cote d'Ivoire"},
    {"i", "Kyrgyz Stan", "Kyrgyzstan"},
    {"i", "Kyrgyz Stan", "Kyrgyz Republic"},
    {"i", "Macau", "Macao"},
    {"i", "Macedonia", "North Macedonia"},
    {"i", "Nambia", "Namibia"},
    {"i", "Netherlands", "Holland"},
    {"i", "Netherlands", "The Netherlands"},
    {"i", "North Korea", "Democratic People's Republic of Korea"},
    {"i", "North Korea", "DPRK"},
    {"i", "Palestine", "State of Palestine"},
    {"i", "Palestine", "Palestinian Territories"},
    {"i", "Papua New Guinea", "PNG"},
    {"i", "Russia", "Russian Federation"},
    {"i", "Saint Lucia", "St. Lucia"},
    {"i", "Saint Lucia", "St Lucia"},
    {"i", "Saint Vincent and the Grenadines", "St. Vincent"},
    {"i", "Saint Vincent and the Grenadines", "Saint Vincent"},
    {"i", "S\u00e9n\u00e9gal", "Senegal"},
    {"i", "Serbia and Montenegro", "Serbia"},
    {"i", "Serbia and Montenegro", "Montenegro"},
    {"i", "South Korea", "Republic of Korea"},
    {"i", "Trinidad and Tobago", "Trinidad"},
    {"i", "Trinidad and Tobago", "Tobago"},
    {"i", "Tunsia", "Tunisia"},
    {"i", "Turkey", "T\u00fcrkiye"},
    {"i", "Turkey", "Turkiye"},
    {"i", "UK Northern Ireland", "Northern Ireland"},
    {"i", "UK Scotland", "Scotland"},
    {"i", "UK Wales", "Wales"},
    {"i", "UK Wales", "Cymru"},
    {"i", "United Arab Emirates", "UAE"},
    {"i", "United Kingdom", "Britain"},
    {"i", "United Kingdom", "Great Britain"},
    {"i", "United Kingdom", "England"},
    {"i", "United Kingdom", "UK"},
    {"i", "Vatican City", "Vatican"},
    {"i", "Vatican City", "Holy See"},
    {"i", "Vietnam", "Viet Nam"},
    {"i", "Virgin Islands", "US Virgin Islands"},
    {"i", "Virgin Islands", "United States Virgin Islands"},
};

const std::span<const TableCountry> kCountryTable = kCountries;
const std::span<const UsState> kUsStateTable = kUsStates;
const std::span<const StateName> kCanadianNameTable = kCanadianNames;
const std::span<const TownOverride> kCanadianTownTable = kCanadianTowns;
const std::span<const Boundary> kBoundaryTable = kBoundaries;
const std::span<const TableRule> kRuleTable = kRules;
const std::span<const TableAlias> kAliasTable = kAliases;
const std::span<const TableNote> kNoteTable = kNotes;

} // namespace tnews::catalogue::table
