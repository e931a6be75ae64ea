// data/corrections.tsv: readers' reports that the publisher reviewed and accepted, which the
// build applies with the curated list's priority.
//
// UTF-8, one correction per line, ten TAB-separated fields (escaped as the catalogue's are):
//
//   action  region  place  name  city  website  value  reported  reviewed  report
//
// add     a paper to list: region code, place, name, city (may be empty), website; no value
// move    the paper at `website` now lives at `value`
// place   the paper at `website` belongs under `region` and `place` (and `city`, when given)
// closed  the paper at `website` has closed; `value` is the day a reader reported it
// remove  the paper at `website` is no paper's site any more: `value` is "gone" or
//         "not-newspaper"
//
// `name` and `city` of a move, closed or remove line say which paper it was, for the reader of
// the file. `reported` and `reviewed` are days (2026-12-07); `report` names the item in the
// corrections store ("store-id/item"), so an item is never added twice.
#pragma once

#include "import.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::catalogue
{

/// The id under which the corrections' papers appear.
inline constexpr std::string_view kCorrectionsSourceId = "corrections";

/// The comment lines a new corrections file starts with.
std::string CorrectionsFileHeader();

struct Correction
{
    std::string action; // "add", "move", "place", "closed" or "remove"
    std::optional<PlaceRef> place; // add and place; else the place it was listed under, if known
    std::string name;
    std::string city;
    std::string website;
    std::string value;
    std::string reported;
    std::string reviewed;
    std::string report;
    std::string origin; // "file:line", for messages
};

/// The corrections' source record, dated by the latest review among `corrections`.
Source CorrectionsSource(const std::vector<Correction>& corrections);

/// The corrections in `text`; throws CatalogueError "file:line: problem" for a malformed line:
/// an unknown action, a place that is not the program's or whose rule sends its papers
/// elsewhere, a website or new address that is not an absolute http or https URL, a value
/// that doesn't fit its action, a malformed day, or a report named twice.
std::vector<Correction> ParseCorrections(std::string_view text, std::string_view fileName);

/// One line of the file, with its line break.
std::string FormatCorrection(const Correction& correction);

/// Adds to `import`, as kCorrectionsSourceId's, the papers the corrections add (entries) and
/// the closures they report (evidence: a closure report dated the day a reader reported it,
/// "reader report, reviewed DATE").
void AddCorrections(const std::vector<Correction>& corrections, Import& import);

/// Applies the moves, places and removals to the merged `papers`, each to every paper whose
/// website has the correction's website key; counts those that match no paper under
/// kCorrectionsSourceId in `notApplied`.
void ApplyCorrections(const std::vector<Correction>& corrections, std::vector<Paper>& papers,
                      Tally& notApplied);

} // namespace tnews::catalogue
