// What the readers of the curated list and the data sets hand the builder: entries already
// placed, and counts of what they dropped or could not place.
#pragma once

#include "paper_merge.h"
#include "place_table.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tnews::catalogue
{

/// One entry of a source, read but not yet merged.
struct Entry
{
    std::string source;                // id of the source it comes from
    std::optional<PlaceRef> place;     // nothing: left out, for `leftOutReason`
    std::string leftOutReason;
    std::string city;
    std::string name;
    Kind kind = Kind::Newspaper;
    std::string language;              // several joined by ", ", alphabetically
    std::string website;
    std::vector<std::string> keys;     // WebsiteKey of the website and of any other URL it has
    std::string feed;
    std::optional<GeoPoint> point;     // where the source puts its town, when it does
    std::string origin;                // where it was read, for messages: "file:line" or "file: ..."
};

/// What a data set says about the papers whose website has one of `keys` as its WebsiteKey,
/// whichever source lists them.
struct KeyedEvidence
{
    std::string source; // id of the data set it comes from
    std::vector<std::string> keys;
    std::optional<SignOfLife> alive;
    std::optional<ClosureReport> closure;
    std::string feed;   // a feed for a paper that has none; may be empty
    bool lists = false; // the data set lists the site itself: its id joins the paper's sources
    std::vector<std::string> successorKeys; // the websites of what continued the paper
};

/// Counts by source and reason, for the build's summary.
using Tally = std::map<std::string, std::map<std::string, std::size_t>>;

/// Everything read from the sources, in the order of precedence: curated first.
struct Import
{
    std::vector<Entry> entries;
    std::vector<KeyedEvidence> evidence;
    Tally dropped;  // not papers, or no website of their own: TV, radio, social-media pages
    Tally leftOut;  // papers that could not be placed (counted again if they merge after all)
    std::map<std::string, std::size_t> read; // entries read per source
};

/// A city name of the data sets and every place it is found in; what places a Wikidata item
/// by its place of publication. Exact names only.
using CityIndex = std::map<std::string, std::vector<PlaceRef>, std::less<>>;

/// Adds `place` to the places of `city`, once.
void IndexCity(CityIndex& index, std::string_view city, const PlaceRef& place);

/// `text` without blanks, TABs and line breaks at its ends.
std::string Trimmed(std::string_view text);

} // namespace tnews::catalogue
