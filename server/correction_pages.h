// The pages of the readers' corrections: the suggest and report forms, the answer to a
// submission, and the links that lead to the forms from listings and search results. Plain HTML
// without script, compact enough for the program's pane and usable by keyboard alone.
#pragma once

#include "catalogue/catalogue_file.h"
#include "corrections_store.h"
#include "correction_fields.h"

#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

/// Where the forms are served, beside the directory scripts.
inline constexpr std::string_view kSuggestPath = "/software/news/suggest.php";
inline constexpr std::string_view kReportPath = "/software/news/report.php";
/// The form field that only robots fill: hidden from readers, its value is never stored.
inline constexpr std::string_view kRobotField = "email";

/// The suggest form's address for `place`, relative to the directory scripts.
std::string SuggestLink(const RegionInfo& region, std::string_view place);

/// The report form's address for `paper`, relative to the directory scripts.
std::string ReportLink(const catalogue::Paper& paper);

/// A form as it is shown: for a place (and, for a report, a paper), with what the reader typed
/// and what is wrong with it.
struct FormView
{
    const RegionInfo* region = nullptr;
    std::string_view place;
    const catalogue::Paper* paper = nullptr; // a report's paper; null for a suggestion
    Submission typed;                        // the fields as sent; empty for a new form
    std::string message;                     // said above the form; may be empty
    std::vector<FieldProblem> problems;      // named above the form, their fields marked
};

/// The suggest form, or the report form when view.paper is set. Every value is escaped.
std::string FormPage(const FormView& view);

/// The answer to a recorded submission: what was recorded and how often the same was sent.
/// `receipt` may have no item (a robot's, dropped), and then says no count.
std::string ThanksPage(const RegionInfo& region, const Submission& recorded, const Receipt& receipt);

/// A page for a form that cannot be used here: `message` and the link back to the listing.
std::string DeskClosedPage(const RegionInfo& region, std::string_view place, std::string_view message);

} // namespace tnews::server
