#include "correction_fields.h"

#include "catalogue/text_fields.h"
#include "directory/ascii.h"
#include "directory/utf8.h"

#include <algorithm>

namespace tnews::server
{
namespace
{

constexpr std::size_t kMaxLabelBytes = 63;

bool IsHostLabel(std::string_view label)
{
    return !label.empty() && label.size() <= kMaxLabelBytes && label.front() != '-' &&
           label.back() != '-' &&
           std::ranges::all_of(label,
                               [](char c)
                               {
                                   const auto byte = static_cast<unsigned char>(c);
                                   return byte >= 0x80 || (c >= 'a' && c <= 'z') ||
                                          (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                          c == '-';
                               });
}

// The website's host, path and query, which are the same site whatever its scheme or port.
std::string SiteKey(std::string_view url)
{
    const std::optional<std::string> host = WebsiteHost(url);
    if (!host)
        return std::string(url);
    std::string key = host->starts_with("www.") ? host->substr(4) : *host;
    std::string_view rest = url.substr(url.find("://") + 3);
    rest = rest.substr(std::min(rest.find_first_of("/?#"), rest.size()));
    rest = rest.substr(0, rest.find('#'));
    const std::size_t question = std::min(rest.find('?'), rest.size());
    std::string_view path = rest.substr(0, question);
    while (path.ends_with('/'))
        path.remove_suffix(1);
    key += path;
    if (question + 1 < rest.size())
        key += rest.substr(question);
    return key;
}

} // namespace

std::optional<std::string> WebsiteHost(std::string_view url)
{
    if (!catalogue::IsWebUrl(url) || !IsValidUtf8(url))
        return std::nullopt;
    std::string_view authority = url.substr(url.find("://") + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (authority.find('@') != std::string_view::npos)
        return std::nullopt;
    if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos)
    {
        const std::string_view port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5 ||
            !std::ranges::all_of(port, [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        authority = authority.substr(0, colon);
    }
    if (authority.ends_with('.'))
        authority.remove_suffix(1);
    std::size_t labels = 0;
    std::string_view last;
    for (std::string_view rest = authority;;)
    {
        const std::size_t dot = std::min(rest.find('.'), rest.size());
        last = rest.substr(0, dot);
        if (!IsHostLabel(last))
            return std::nullopt;
        ++labels;
        if (dot == rest.size())
            break;
        rest.remove_prefix(dot + 1);
    }
    // An address of numbers is no paper's website; the last label of a name has a letter.
    if (labels < 2 || std::ranges::all_of(last, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return AsciiLower(authority);
}

std::vector<FieldProblem> CheckSubmission(Submission& submission)
{
    std::vector<FieldProblem> problems;
    const bool report = submission.kind == kReport;
    const auto add = [&](std::string_view field, std::string message)
    { problems.push_back({std::string(field), std::move(message)}); };

    struct Field
    {
        std::string* text;
        std::string_view name;  // in the form
        std::string_view label; // in a sentence
        std::size_t maxChars;
        bool oneLine;
        bool required;
    };
    std::vector<Field> fields;
    if (report)
    {
        fields = {{&submission.newAddress, "address", "new address", kMaxWebsiteBytes, true, false},
                  {&submission.note, "note", "note", kMaxNoteChars, false, false}};
    }
    else
    {
        fields = {{&submission.name, "name", "name", kMaxNameChars, true, true},
                  {&submission.website, "website", "website", kMaxWebsiteBytes, true, true},
                  {&submission.town, "town", "town", kMaxNameChars, true, true},
                  {&submission.note, "note", "note", kMaxNoteChars, false, false}};
    }
    for (const Field& field : fields)
    {
        std::string& text = *field.text;
        if (!IsValidUtf8(text))
        {
            add(field.name, "The " + std::string(field.label) +
                                " is not valid text (UTF-8); please type it again.");
            continue;
        }
        if (field.oneLine)
        {
            text = TrimBlanks(text);
        }
        else
        {
            std::erase(text, '\r'); // a text box sends CR LF
        }
        const bool control =
            field.oneLine ? catalogue::HasControlCharacter(text)
                          : std::ranges::any_of(text,
                                                [](char c)
                                                {
                                                    return c != '\n' && c != '\t' &&
                                                           catalogue::HasControlCharacter(
                                                               std::string_view(&c, 1));
                                                });
        if (control)
            add(field.name, "The " + std::string(field.label) + " holds a control character.");
        else if (field.required && text.empty())
            add(field.name, "Please give the " + std::string(field.label) + ".");
        else if (field.name == "website" || field.name == "address")
        {
            if (text.size() > field.maxChars)
            {
                add(field.name, "The " + std::string(field.label) + " is too long: at most " +
                                    std::to_string(field.maxChars) + " characters.");
            }
            else if (!text.empty() && !WebsiteHost(text))
            {
                add(field.name, "The " + std::string(field.label) +
                                    " must be a website address starting with http:// or "
                                    "https://, such as https://www.example.com/.");
            }
        }
        else if (CodePointCount(text) > field.maxChars)
        {
            add(field.name, "The " + std::string(field.label) + " is too long: at most " +
                                std::to_string(field.maxChars) + " characters.");
        }
    }
    if (report)
    {
        if (!FindReportProblem(submission.problem))
            add("problem", "Please choose what is wrong.");
        else if (submission.problem == "moved" && submission.newAddress.empty() &&
                 std::ranges::none_of(problems, [](const FieldProblem& p) { return p.field == "address"; }))
            add("address", "Please give the new address.");
        else if (submission.problem == "place" && submission.note.empty() &&
                 std::ranges::none_of(problems, [](const FieldProblem& p) { return p.field == "note"; }))
            add("note", "Please say in the note where the paper belongs.");
    }
    return problems;
}

std::string DuplicateKey(const Submission& submission)
{
    if (submission.kind == kReport)
        return submission.problem + ' ' + SiteKey(submission.website);
    return SiteKey(submission.website);
}

} // namespace tnews::server
