#include "correction_desk.h"

#include "correction_pages.h"
#include "directory/ascii.h"
#include "html.h"
#include "request_target.h"

#include <algorithm>
#include <map>

namespace tnews::server
{
namespace
{

constexpr std::string_view kFormType = "application/x-www-form-urlencoded";

// The pages' policy, which also lets a form post only to this server.
Response FormResponse(int status, std::string page)
{
    Response response = HtmlResponse(status, std::move(page));
    for (auto& [name, value] : response.headers)
    {
        if (name == "Content-Security-Policy")
            value += "; form-action 'self'";
    }
    return response;
}

// True if `url` ("http://host:port/..."), as an Origin or Referer field has it, names `host`
// (the Host field), case aside.
bool NamesHost(std::string_view url, std::string_view host)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos || host.empty())
        return false;
    const std::string name = AsciiLower(url.substr(0, scheme));
    if (name != "http" && name != "https")
        return false;
    std::string_view authority = url.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    return AsciiLower(authority) == AsciiLower(host);
}

// A browser names the page a form was posted from in Origin (and Referer, unless its policy
// withholds it); a page of another site must not post in a reader's name. A client that sends
// neither is no browser, and gains nothing it could not do by hand.
bool FromAnotherSite(const Request& request)
{
    if (!request.origin.empty())
        return !NamesHost(request.origin, request.host);
    return !request.referer.empty() && !NamesHost(request.referer, request.host);
}

// application/x-www-form-urlencoded, in UTF-8 if a charset is named.
bool IsFormBody(std::string_view contentType)
{
    const std::size_t semicolon = std::min(contentType.find(';'), contentType.size());
    std::string_view media = contentType.substr(0, semicolon);
    while (!media.empty() && media.back() == ' ')
        media.remove_suffix(1);
    if (AsciiLower(media) != kFormType)
        return false;
    const std::string parameters = AsciiLower(contentType.substr(semicolon));
    const std::size_t charset = parameters.find("charset=");
    if (charset == std::string::npos)
        return true;
    std::string_view value = std::string_view(parameters).substr(charset + 8);
    value = value.substr(0, value.find(';'));
    return value == "utf-8" || value == "\"utf-8\"";
}

const RegionInfo* RegionByValue(std::string_view value)
{
    for (const RegionInfo& region : Regions())
    {
        if (region.regionValue == value)
            return &region;
    }
    return nullptr;
}

struct Fields
{
    std::map<std::string, std::string, std::less<>> values;
    std::string repeated; // a key given twice; "" when none was

    const std::string& operator[](std::string_view key) const
    {
        static const std::string kNone;
        const auto found = values.find(key);
        return found == values.end() ? kNone : found->second;
    }
    bool Has(std::string_view key) const { return values.contains(key); }
};

Fields FieldsOf(const QueryPairs& pairs)
{
    Fields fields;
    for (const auto& [key, value] : pairs)
    {
        if (!fields.values.emplace(key, value).second && fields.repeated.empty())
            fields.repeated = key;
    }
    return fields;
}

std::string WaitText(std::chrono::seconds wait)
{
    const auto minutes = (wait.count() + 59) / 60;
    return minutes <= 1 ? std::string("a minute") : std::to_string(minutes) + " minutes";
}

} // namespace

CorrectionDesk::CorrectionDesk(const catalogue::Catalogue& catalogue, CorrectionsStore* store)
    : m_catalogue(catalogue), m_store(store)
{
}

bool CorrectionDesk::Serves(std::string_view path)
{
    return path == kSuggestPath || path == kReportPath;
}

Response CorrectionDesk::Answer(const Request& request) const
{
    const bool post = request.method == "POST";
    if (!post && request.method != "GET" && request.method != "HEAD")
    {
        Response response = ErrorResponse(405, "The method " + Quoted(request.method) +
                                                   " is not allowed here; use GET or POST.");
        response.headers.emplace_back("Allow", "GET, HEAD, POST");
        return response;
    }

    // Which form, for which place and paper: from the address, as the links give it.
    const Fields query = FieldsOf(request.query);
    if (!query.repeated.empty())
        return ErrorResponse(400, "The parameter " + Quoted(query.repeated) + " is given more than once.");
    const RegionInfo* region = RegionByValue(query["region"]);
    if (!region)
        return ErrorResponse(400, "The region " + Quoted(query["region"]) + " is not one of the directory's.");
    const std::string placeKey(region->placeKey);
    const std::string& place = query[placeKey];
    const auto listed = std::ranges::find(region->places, place);
    if (listed == region->places.end())
    {
        return ErrorResponse(404, Quoted(place) + " is not a " + placeKey + " of the " +
                                      std::string(region->heading) + ".");
    }
    FormView view;
    view.region = region;
    view.place = *listed;
    const bool report = request.path == kReportPath;
    if (report)
    {
        const std::string& website = query["website"];
        const auto paper = std::ranges::find_if(m_catalogue.papers, [&](const catalogue::Paper& p)
            { return p.region == region && p.place == view.place && p.website == website; });
        if (paper == m_catalogue.papers.end())
        {
            return ErrorResponse(404, "No paper at " + Quoted(website) + " is listed under " +
                                          Quoted(place) + ".");
        }
        view.paper = &*paper;
    }
    else if (std::ranges::any_of(m_catalogue.rules, [&](const catalogue::PlaceRule& rule)
                                 { return rule.region == region && rule.place == view.place; }))
    {
        return ErrorResponse(400, Quoted(place) + " lists no papers of its own; suggest the paper "
                                                  "under its country.");
    }
    if (!m_store)
    {
        return FormResponse(503, DeskClosedPage(*region, view.place,
                                                "The directory is not taking suggestions or "
                                                "reports at the moment."));
    }
    if (!post)
        return FormResponse(200, FormPage(view));

    if (FromAnotherSite(request))
    {
        return FormResponse(403, DeskClosedPage(*region, view.place,
                                                "This form can be sent only from the "
                                                "directory's own pages."));
    }
    if (!IsFormBody(request.contentType))
    {
        return ErrorResponse(415, "The form must be sent as " + std::string(kFormType) +
                                      " in UTF-8.");
    }
    if (request.body.size() > kMaxFormBytes)
    {
        return ErrorResponse(413, "The form is too large: at most " +
                                      std::to_string(kMaxFormBytes) + " bytes are taken.");
    }
    const std::optional<QueryPairs> pairs = ParseQuery(request.body);
    if (!pairs)
        return ErrorResponse(400, "The form's data is malformed.");
    const Fields form = FieldsOf(*pairs);
    if (!form.repeated.empty())
        return ErrorResponse(400, "The field " + Quoted(form.repeated) + " is given more than once.");

    Submission& typed = view.typed;
    typed.kind = report ? kReport : kSuggestion;
    typed.region = region->code;
    typed.place = view.place;
    if (report)
    {
        typed.name = view.paper->name;
        typed.website = view.paper->website;
        typed.town = view.paper->city;
        typed.problem = form["problem"];
        typed.newAddress = form["address"];
    }
    else
    {
        typed.name = form["name"];
        typed.website = form["website"];
        typed.town = form["town"];
    }
    typed.note = form["note"];

    Receipt receipt;
    Submission checked = typed;
    if (!form[kRobotField].empty())
    {
        // A robot is told what a reader would be, and nothing is kept.
        receipt = m_store->CountDropped(request.client);
    }
    else
    {
        view.problems = CheckSubmission(checked);
        if (!view.problems.empty())
            return FormResponse(400, FormPage(view));
        receipt = m_store->Submit(checked, DuplicateKey(checked), request.client);
    }
    switch (receipt.outcome)
    {
    case Receipt::Outcome::Recorded:
        return FormResponse(200, ThanksPage(*region, checked, receipt));
    case Receipt::Outcome::TooMany:
    {
        view.message = "This address has sent as many suggestions and reports as the directory "
                       "takes in an hour. Please send this one again in " +
                       WaitText(receipt.retryAfter) + "; what you typed is still here.";
        Response response = FormResponse(429, FormPage(view));
        response.headers.emplace_back("Retry-After", std::to_string(receipt.retryAfter.count()));
        return response;
    }
    case Receipt::Outcome::QueueFull:
        view.message = "So many suggestions and reports are waiting for review that the directory "
                       "takes no new ones for now. Please send this one again in a few days; "
                       "what you typed is still here.";
        break;
    case Receipt::Outcome::StoreFull:
    case Receipt::Outcome::Unavailable:
        view.message = "The directory could not store this just now. Please send it again later; "
                       "what you typed is still here.";
        break;
    }
    Response response = FormResponse(503, FormPage(view));
    if (receipt.outcome != Receipt::Outcome::QueueFull)
        response.problem = "the corrections store could not record a submission";
    return response;
}

} // namespace tnews::server
