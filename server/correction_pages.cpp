#include "correction_pages.h"

#include "directory/query_encoding.h"
#include "html.h"

#include <algorithm>

namespace tnews::server
{
namespace
{

constexpr std::string_view kSiteName = "Tavi's Newspapers";

std::string PlaceQuery(const RegionInfo& region, std::string_view place)
{
    return "?region=" + std::string(region.regionValue) + "&" + std::string(region.placeKey) + "=" +
           EncodeQueryValue(place);
}

std::string ListingLink(const RegionInfo& region, std::string_view place)
{
    return std::string(region.script) + PlaceQuery(region, place);
}

std::string BackLink(const RegionInfo& region, std::string_view place)
{
    return "<a class=\"top\" href=\"" + EscapeHtml(ListingLink(region, place)) + "\">\u2039 " +
           EscapeHtml(place) + " newspapers</a>";
}

std::string QuotedHtml(std::string_view text)
{
    return Quoted(EscapeHtml(text));
}

bool HasProblem(const FormView& view, std::string_view field)
{
    return std::ranges::any_of(view.problems,
                               [&](const FieldProblem& problem) { return problem.field == field; });
}

// The first field to type in: the first one with a problem, else the form's first.
std::string_view FocusField(const FormView& view, std::string_view first)
{
    return view.problems.empty() ? first : std::string_view(view.problems.front().field);
}

struct Input
{
    std::string_view name;
    std::string_view label;
    const std::string& value;
    std::size_t maxLength;
    std::string_view type;        // "text" or "url"
    std::string_view placeholder; // may be empty
    bool wide;                    // spans the rest of its row
};

void AppendInput(std::string& html, const FormView& view, const Input& input,
                 std::string_view focus)
{
    const std::string name(input.name);
    html += "<label for=\"" + name + "\">" + std::string(input.label) + "</label><input";
    if (input.wide)
        html += " class=\"wide\"";
    html += " id=\"" + name + "\" name=\"" + name + "\" type=\"" + std::string(input.type) +
            "\" maxlength=\"" + std::to_string(input.maxLength) + "\"";
    if (!input.placeholder.empty())
        html += " placeholder=\"" + std::string(input.placeholder) + "\"";
    if (HasProblem(view, input.name))
        html += " aria-invalid=\"true\"";
    if (focus == input.name)
        html += " autofocus";
    html += " value=\"" + EscapeHtml(input.value) + "\">\n";
}

void AppendProblems(std::string& html, const FormView& view)
{
    if (view.message.empty() && view.problems.empty())
        return;
    html += "<p class=\"problem\" role=\"alert\">";
    std::string text = view.message;
    for (const FieldProblem& problem : view.problems)
        text += (text.empty() ? "" : " ") + problem.message;
    html += EscapeHtml(text) + "</p>\n";
}

// The field only robots fill: out of sight, out of the tab order, never offered for autofill.
constexpr std::string_view kRobotTrap =
    "<p class=\"hp\" aria-hidden=\"true\"><label>Leave this empty <input name=\"email\" "
    "tabindex=\"-1\" autocomplete=\"off\" value=\"\"></label></p>\n";

std::string FormStart(std::string_view action)
{
    // novalidate: the server names every problem in the page, the same way in every engine.
    return "<form class=\"c\" method=\"post\" action=\"" + EscapeHtml(action) +
           "\" accept-charset=\"utf-8\" novalidate>\n";
}

std::string SuggestForm(const FormView& view)
{
    const RegionInfo& region = *view.region;
    const std::string_view focus = FocusField(view, "name");
    std::string body = "<h1>Suggest a newspaper for " + EscapeHtml(view.place) + " " +
                       BackLink(region, view.place) + "</h1>\n";
    AppendProblems(body, view);
    body += FormStart(SuggestLink(region, view.place));
    const Submission& typed = view.typed;
    AppendInput(body, view, {"name", "Name", typed.name, kMaxNameChars, "text", "", true}, focus);
    AppendInput(body, view,
                {"website", "Website", typed.website, kMaxWebsiteBytes, "url", "https://", true},
                focus);
    AppendInput(body, view, {"town", "Town", typed.town, kMaxNameChars, "text", "", false}, focus);
    AppendInput(body, view,
                {"note", "Note", typed.note, kMaxNoteChars, "text", "optional", false}, focus);
    body += kRobotTrap;
    body += "<p class=\"send\"><button type=\"submit\">Send suggestion</button> <span "
            "class=\"note\">The publisher reviews it before it is listed.</span></p>\n</form>\n";
    return HtmlPage("Suggest a newspaper for " + std::string(view.place) + " - " +
                        std::string(kSiteName),
                    body);
}

std::string ReportForm(const FormView& view)
{
    const RegionInfo& region = *view.region;
    const catalogue::Paper& paper = *view.paper;
    const std::string_view focus = FocusField(view, "problem");
    std::string body = "<h1>Report " + QuotedHtml(paper.name) + " " +
                       BackLink(region, view.place) + "</h1>\n";
    body += "<p class=\"note\">" + EscapeHtml(paper.website);
    if (!paper.city.empty())
        body += " \u00B7 " + EscapeHtml(paper.city);
    body += ", " + EscapeHtml(paper.place) + "</p>\n";
    AppendProblems(body, view);
    body += FormStart(ReportLink(paper));
    body += "<label for=\"problem\">What is wrong</label><select class=\"wide\" id=\"problem\" "
            "name=\"problem\"";
    if (HasProblem(view, "problem"))
        body += " aria-invalid=\"true\"";
    if (focus == "problem")
        body += " autofocus";
    body += ">\n<option value=\"\">Choose\u2026</option>\n";
    for (const ReportProblem& problem : ReportProblems())
    {
        body += "<option value=\"" + std::string(problem.id) + "\"";
        if (view.typed.problem == problem.id)
            body += " selected";
        body += ">" + std::string(problem.label) + "</option>\n";
    }
    body += "</select>\n";
    const Submission& typed = view.typed;
    AppendInput(body, view,
                {"address", "New address", typed.newAddress, kMaxWebsiteBytes, "url",
                 "if it moved: https://", true},
                focus);
    AppendInput(body, view,
                {"note", "Note", typed.note, kMaxNoteChars, "text",
                 "optional; where it belongs if in the wrong place", true},
                focus);
    body += kRobotTrap;
    body += "<p class=\"send\"><button type=\"submit\">Send report</button> <span "
            "class=\"note\">The publisher reviews it before the listing changes.</span></p>\n"
            "</form>\n";
    return HtmlPage("Report " + paper.name + " - " + std::string(kSiteName), body);
}

} // namespace

std::string SuggestLink(const RegionInfo& region, std::string_view place)
{
    return std::string(kSuggestPath.substr(kSuggestPath.rfind('/') + 1)) + PlaceQuery(region, place);
}

std::string ReportLink(const catalogue::Paper& paper)
{
    return std::string(kReportPath.substr(kReportPath.rfind('/') + 1)) +
           PlaceQuery(*paper.region, paper.place) + "&website=" + EncodeQueryValue(paper.website);
}

std::string FormPage(const FormView& view)
{
    return view.paper ? ReportForm(view) : SuggestForm(view);
}

std::string ThanksPage(const RegionInfo& region, const Submission& recorded, const Receipt& receipt)
{
    const bool report = recorded.kind == kReport;
    std::string body = "<h1>Thank you</h1>\n<p>Recorded your ";
    if (report)
    {
        const ReportProblem* problem = FindReportProblem(recorded.problem);
        body += "report on " + QuotedHtml(recorded.name) + " (" + EscapeHtml(recorded.website) +
                "): " + std::string(problem ? problem->label : "") + ".";
        if (!recorded.newAddress.empty())
            body += " New address: " + EscapeHtml(recorded.newAddress) + ".";
    }
    else
    {
        body += "suggestion: " + QuotedHtml(recorded.name) + ", " + EscapeHtml(recorded.website) +
                ", in " + EscapeHtml(recorded.town) + ", " + EscapeHtml(recorded.place) + ".";
    }
    if (!recorded.note.empty())
        body += " Note: <span class=\"typed\">" + QuotedHtml(recorded.note) + "</span>";
    body += "</p>\n";
    if (receipt.count > 1)
    {
        body += "<p class=\"note\">Readers have sent the same " +
                std::string(report ? "report" : "website") + " " +
                std::to_string(receipt.count) + " times.</p>\n";
    }
    body += "<p class=\"note\">The publisher reviews every " +
            std::string(report ? "report" : "suggestion") +
            " before the directory changes.</p>\n<p>" + BackLink(region, recorded.place) + "</p>\n";
    return HtmlPage("Thank you - " + std::string(kSiteName), body);
}

std::string DeskClosedPage(const RegionInfo& region, std::string_view place, std::string_view message)
{
    return HtmlPage("Not available - " + std::string(kSiteName),
                    "<h1>Not available</h1>\n<p>" + EscapeHtml(message) + "</p>\n<p>" +
                        BackLink(region, place) + "</p>\n");
}

} // namespace tnews::server
