// The catalogue that tnews-catalogue writes and the directory server loads, and the link
// check results kept next to it.
//
// catalogue.tsv: UTF-8, LF line ends, one record per line, TAB-separated fields, the record's
// kind first. Lines starting with '#' and blank lines are skipped. In every field a backslash
// escapes a backslash, a TAB or a line break ("\\", "\t", "\n"); any other control character is
// refused. Records:
//
//   source   id  name  short-name  date  licence  url  attribution
//   alias    region-code  place  other-name
//   rule     region-code  place  how  value  note
//   note     region-code  place  text
//   paper    region-code  place  city  name  kind  language  website  feed  sources
//   address  url
//   alive    date  source-id  what
//   closed   date  reported-by  note
//
// `sources` is a comma-separated list of source ids, the source whose fields won first. Every
// paper's place is an entry of its region's list exactly as the program spells it, and every
// source id a paper names is defined by a source record before it. A rule says what a place
// that no paper maps to shows instead: "same-as" the papers of the place `value` of the same
// region (a place the program lists twice, or under a former name), "language" the region's
// papers in the language `value`, or "none" with `value` empty. Its note says why, in a
// sentence fit for the place's page; a note record says the same of a place that has papers.
//
// The records after a paper, up to the next paper or the end, hold its evidence: each address
// record an earlier address of the paper (newest first, after its website); each alive record
// a first-hand sign that its site lived on `date` (`source-id` saw it, `what` says how in a few
// words: "feed answered"); each closed record a report that the paper closed on `date`, by
// whoever `reported-by` names in free text ("Wikidata", "reader report, reviewed 2026-12-01"),
// with an optional note. A date is "2026", "2026-03" or "2026-03-25", as precise as its source;
// a source's date says when its data set was published.
//
// checks.tsv, next to catalogue.tsv unless told otherwise:
//
//   check  website  result  http-status  final-url  checked-at  detail  moved-to
//
// `result` is "ok", "failed" or "parked" (the site answered with a domain-parking or for-sale
// page), `http-status` the last answer's status (0 when none came), `checked-at` a UTC time as
// 2026-12-07T08:00:00Z, `moved-to` where permanent redirects (301, 308) to another host led, or
// empty. Files written before `moved-to` existed have 7 fields and still load. A website
// checked more than once has a line for each check, oldest first; the checker keeps a few.
#pragma once

#include "directory/catalogue.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::catalogue
{

/// What kind of paper an entry is.
enum class Kind
{
    Newspaper,
    College, // a student paper of a college or university
};

/// "newspaper" or "college", as the file writes it.
std::string_view KindName(Kind kind);
/// The kind named `name` in the file, or nothing.
std::optional<Kind> ParseKind(std::string_view name);

/// A data set that entries come from, with the licence it is under.
struct Source
{
    std::string id;          // "curated", "local-memory", "wikidata"
    std::string name;        // what to call it on a page
    std::string shortName;   // a few words for a paper's line: "Local Memory"
    std::string date;        // when the data set was published: "2017", "2023-04"
    std::string licence;     // e.g. "MIT", "CC0 1.0"
    std::string url;         // where it is published
    std::string attribution; // the notice that must travel with the data; may be empty
};

/// Another name a place is known by, which a keyword search also finds it by.
struct PlaceAlias
{
    const RegionInfo* region = nullptr; // never null once loaded
    std::string_view place;             // an entry of region->places, so it lives forever
    std::string alias;                  // e.g. "Bangladesh" for "Banglades"
};

/// What a place that no paper maps to shows instead.
struct PlaceRule
{
    enum class How
    {
        SameAs,   // the papers of the place `value` of the same region
        Language, // the region's papers whose language is `value`
        None,     // nothing; the note says why
    };
    const RegionInfo* region = nullptr; // never null once loaded
    std::string_view place;             // an entry of region->places
    How how = How::None;
    std::string value;
    std::string note; // one or two sentences for the place's page
};

/// "same-as", "language" or "none", as the file writes a rule's `how`.
std::string_view RuleHowName(PlaceRule::How how);

/// A sentence about a place that has papers of its own, for its page.
struct PlaceNote
{
    const RegionInfo* region = nullptr; // never null once loaded
    std::string_view place;             // an entry of region->places
    std::string text;
};

/// The id of the curated list, the publisher's own list typed in by hand. Its entries carry its
/// date as a sign of life: the publisher's word that the paper was current then, which keeps
/// older closure reports from moving it, though nobody saw its site then.
inline constexpr std::string_view kCuratedSourceId = "curated";

/// A sign that a paper's own site was alive: first-hand (a check, a feed, a national library's
/// current flag), or the curated list's word (its sourceId kCuratedSourceId).
struct SignOfLife
{
    std::string date;     // "2026-03-25", or less precise: "2026-03", "2026"
    std::string sourceId; // the source that saw it; empty for a link check
    std::string what;     // how, in a few words: "feed answered", "link check"
};

/// A report that a paper closed.
struct ClosureReport
{
    std::string date;       // when it closed, as precise as the report: "2022-04-22", "2016"
    std::string reportedBy; // who says so, free text: "Wikidata"
    std::string note;       // may be empty: "followed by The Daily Star"
};

/// One newspaper of the catalogue.
struct Paper
{
    const RegionInfo* region = nullptr; // never null once loaded
    std::string_view place;             // an entry of region->places, so it lives forever
    std::string city;                   // empty when no source names one
    std::string name;
    Kind kind = Kind::Newspaper;
    std::string language; // in English ("French"), several joined by ", " ("English, French");
                          // empty when unknown
    std::string website;  // absolute http or https URL, its newest address
    std::string feed;                 // RSS or Atom feed; empty when unknown
    std::vector<std::string> sources; // ids of the sources that list it, the winner first
    std::vector<std::string> addresses;  // earlier addresses, newest first
    std::vector<SignOfLife> alive;       // first-hand signs of life that data sets record
    std::vector<ClosureReport> closures; // reports that it closed
};

struct Catalogue
{
    std::vector<Source> sources;
    std::vector<PlaceAlias> aliases;
    std::vector<PlaceRule> rules;
    std::vector<PlaceNote> notes;
    std::vector<Paper> papers; // in file order
};

/// True if `language` is one of the languages of `paper` ("French" of "English, French").
bool HasLanguage(const Paper& paper, std::string_view language);

/// The outcome of the latest check of one website.
struct LinkCheck
{
    std::string website;   // as the catalogue has it
    bool ok = false;       // the site answered with a page
    int httpStatus = 0;    // the last answer's status; 0 when none came
    std::string finalUrl;  // where redirects ended; empty when none came
    std::string checkedAt; // UTC, "2026-12-07T08:00:00Z"
    std::string detail;    // what failed, e.g. "timed out after 20 s"; may be empty
    std::string movedTo{}; // where permanent redirects to another host led; usually empty
    bool parked = false;   // it answered with a parking or for-sale page (ok is then false)
};

/// A catalogue or checks file that can't be read or is malformed; what() reads
/// "file:line: problem", or "file: problem" for the whole file.
class CatalogueError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// The catalogue in `text`, checked line by line; throws CatalogueError naming `fileName` and
/// the line for anything malformed, and for a catalogue without any paper.
Catalogue ParseCatalogue(std::string_view text, std::string_view fileName);

/// ParseCatalogue over the contents of `file`; also throws CatalogueError if it can't be read.
Catalogue LoadCatalogue(const std::filesystem::path& file);

/// The file text of `catalogue`: the same catalogue gives the same bytes.
std::string FormatCatalogue(const Catalogue& catalogue);

/// Every check in `text`, in file order; throws CatalogueError as above.
std::vector<LinkCheck> ParseCheckHistory(std::string_view text, std::string_view fileName);

/// ParseCheckHistory over `file`; no file gives no checks.
std::vector<LinkCheck> LoadCheckHistory(const std::filesystem::path& file);

/// The latest check of each website in `text` (the later line of two at the same time), in the
/// order the websites first appear; throws CatalogueError as above.
std::vector<LinkCheck> ParseChecks(std::string_view text, std::string_view fileName);

/// ParseChecks over `file`; no file gives no checks.
std::vector<LinkCheck> LoadChecks(const std::filesystem::path& file);

/// Seconds since 1970 of a UTC time written as 2026-12-07T08:00:00Z, or nothing when `text`
/// is not one.
std::optional<std::int64_t> UtcSeconds(std::string_view text);

/// One line of the checks file, with its line break.
std::string FormatCheck(const LinkCheck& check);

/// The checks file that belongs to `catalogueFile`: checks.tsv in the same folder.
std::filesystem::path ChecksFileFor(const std::filesystem::path& catalogueFile);

} // namespace tnews::catalogue
