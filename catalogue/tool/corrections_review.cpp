#include "corrections_review.h"

#include "atomic_file.h"
#include "catalogue/file_lines.h"
#include "corrections_file.h"
#include "directory/ascii.h"
#include "directory/utf8.h"
#include "server/corrections_store.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <map>
#include <ostream>

namespace tnews::catalogue
{
namespace
{

using server::CorrectionItem;
using server::StoredSubmission;

struct UsageError
{
    std::string message;
};

constexpr std::string_view kOptions[] = {"--state", "--file", "--reason", "--region",
                                         "--place", "--name", "--city",   "--website"};

struct Arguments
{
    std::vector<std::string> words; // the action and its item
    std::map<std::string, std::string, std::less<>> options;

    std::string Option(std::string_view name, std::string fallback = {}) const
    {
        const auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    }
};

Arguments Parse(const std::vector<std::string>& args)
{
    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (!arg.starts_with("--"))
        {
            parsed.words.push_back(arg);
            continue;
        }
        if (std::ranges::find(kOptions, arg) == std::end(kOptions))
            throw UsageError{"unknown option \"" + arg + "\" for corrections"};
        if (i + 1 == args.size())
            throw UsageError{arg + " needs a value"};
        parsed.options[arg] = args[++i];
    }
    if (parsed.Option("--state").empty())
        throw UsageError{"--state is required"};
    return parsed;
}

std::int64_t ItemId(const Arguments& arguments)
{
    if (arguments.words.size() != 2)
        throw UsageError{arguments.words[0] + " takes one item number"};
    const std::string& text = arguments.words[1];
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || id <= 0)
        throw UsageError{"\"" + text + "\" is not an item number"};
    return id;
}

std::string Today()
{
    return server::UtcText(std::chrono::system_clock::now()).substr(0, 10);
}

std::string ProblemLabel(std::string_view problem)
{
    const server::ReportProblem* found = server::FindReportProblem(problem);
    return found ? std::string(found->label) : TerminalText(problem);
}

// The fields a reader typed, each on a line; for a later submission only those that differ
// from the first.
void PrintFields(std::ostream& out, const StoredSubmission& shown, const StoredSubmission* first)
{
    const bool report = shown.kind == server::kReport;
    const std::pair<std::string_view, const std::string StoredSubmission::*> fields[] = {
        {report ? "paper" : "name", &StoredSubmission::name},
        {"website", &StoredSubmission::website},
        {report ? "city" : "town", &StoredSubmission::town},
        {"new address", &StoredSubmission::newAddress},
        {"note", &StoredSubmission::note},
    };
    for (const auto& [label, field] : fields)
    {
        const std::string& value = shown.*field;
        if (value.empty() || (first && first->*field == value))
            continue;
        out << (first ? "      " : "    ") << label << ": " << TerminalText(value) << '\n';
    }
}

void PrintItem(std::ostream& out, const CorrectionItem& item)
{
    const StoredSubmission& first = item.submissions.front();
    out << '#' << item.id << ' ';
    if (first.kind == server::kReport)
        out << "report: " << ProblemLabel(first.problem);
    else
        out << "suggestion";
    out << ", " << TerminalText(first.place) << " (" << TerminalText(first.region) << "), "
        << item.submissions.size() << (item.submissions.size() == 1 ? " submission" : " submissions")
        << ", first " << first.receivedAt << '\n';
    PrintFields(out, first, nullptr);
    for (std::size_t i = 1; i < item.submissions.size(); ++i)
    {
        out << "    also " << item.submissions[i].receivedAt << ":\n";
        PrintFields(out, item.submissions[i], &first);
    }
}

int List(server::CorrectionsStore& store, std::ostream& out)
{
    const std::vector<CorrectionItem> items = store.OpenItems();
    out << items.size() << (items.size() == 1 ? " open item" : " open items") << '\n';
    for (const CorrectionItem& item : items)
        PrintItem(out, item);
    return 0;
}

// The correction that accepting `item` makes, the reviewer's options filling in or replacing
// what the reader gave.
Correction CorrectionOf(const CorrectionItem& item, const Arguments& arguments,
                        const std::string& storeId)
{
    const StoredSubmission& first = item.submissions.front();
    Correction correction;
    correction.name = arguments.Option("--name", first.name);
    correction.city = arguments.Option("--city", first.town);
    correction.website = first.website;
    correction.reported = first.receivedAt.substr(0, 10);
    correction.reviewed = Today();
    correction.report = storeId + "/" + std::to_string(item.id);
    std::string region = arguments.Option("--region", first.region);
    std::string place = arguments.Option("--place", first.place);
    if (first.kind == server::kSuggestion)
    {
        correction.action = "add";
        correction.website = arguments.Option("--website", first.website);
    }
    else if (first.problem == "moved")
    {
        correction.action = "move";
        for (const StoredSubmission& submission : item.submissions)
        {
            if (correction.value.empty())
                correction.value = submission.newAddress;
        }
        correction.value = arguments.Option("--website", correction.value);
        if (correction.value.empty())
            throw UsageError{"no reader gave the new address; give it with --website"};
    }
    else if (first.problem == "place")
    {
        if (arguments.Option("--place").empty())
            throw UsageError{"say where the paper belongs with --place (and --region, --city)"};
        correction.action = "place";
        correction.city = arguments.Option("--city");
    }
    else if (first.problem == "closed")
    {
        correction.action = "closed";
        correction.value = correction.reported;
    }
    else
    {
        correction.action = "remove";
        correction.value = first.problem;
    }
    // The place as the file writes it; a wrong one is refused with the line it would make.
    correction.place = FindPlace(region, place);
    if (!correction.place)
        throw CatalogueError("\"" + TerminalText(place) + "\" is not a place of region \"" +
                             TerminalText(region) + "\"; give one with --region and --place");
    return correction;
}

int Accept(server::CorrectionsStore& store, const Arguments& arguments, std::ostream& out)
{
    const std::int64_t id = ItemId(arguments);
    const std::filesystem::path file = arguments.Option("--file", "data/corrections.tsv");
    Correction written;
    store.Close(id, "accepted", "", Today(),
                [&](const CorrectionItem& item)
                {
                    const Correction correction = CorrectionOf(item, arguments, store.StoreId());
                    std::error_code missing;
                    std::string text = std::filesystem::exists(file, missing)
                                           ? ReadWholeFile(file)
                                           : CorrectionsFileHeader();
                    written = correction;
                    // Accepted before, and cut short before the store knew: written only once.
                    for (const Correction& listed : ParseCorrections(text, file.string()))
                    {
                        if (listed.report == correction.report)
                            return;
                    }
                    text += FormatCorrection(correction);
                    // The file must stay one the build reads; a bad line is refused here.
                    ParseCorrections(text, file.string());
                    WriteFileAtomically(file, text);
                });
    out << "accepted #" << id << ": " << written.action << " \u201C" << TerminalText(written.name)
        << "\u201D " << TerminalText(written.website);
    if (!written.value.empty())
        out << " \u2192 " << TerminalText(written.value);
    out << ", " << written.place->place << " (" << written.place->region->code << "); written to "
        << file.string() << '\n';
    return 0;
}

int Reject(server::CorrectionsStore& store, const Arguments& arguments, std::ostream& out)
{
    const std::int64_t id = ItemId(arguments);
    const std::string reason = arguments.Option("--reason");
    if (reason.empty())
        throw UsageError{"reject needs --reason TEXT"};
    store.Close(id, "rejected", reason, Today(), {});
    out << "rejected #" << id << ": " << TerminalText(reason) << '\n';
    return 0;
}

} // namespace

std::string TerminalText(std::string_view text)
{
    std::string shown;
    for (std::size_t pos = 0; pos < text.size();)
    {
        const std::size_t start = pos;
        const char32_t code = NextCodePoint(text, pos);
        const bool invisible = code < 0x20 || (code >= 0x7F && code < 0xA0) || code == 0x061C ||
                               (code >= 0x200B && code <= 0x200F) ||
                               (code >= 0x2028 && code <= 0x202E) ||
                               (code >= 0x2060 && code <= 0x2069) || code == 0xFEFF;
        if (code == kInvalidCodePoint)
        {
            shown += "\\x";
            AppendHexByte(shown, static_cast<unsigned char>(text[start]), false);
        }
        else if (code == '\\')
        {
            shown += "\\\\";
        }
        else if (code == '\n')
        {
            shown += "\\n";
        }
        else if (invisible)
        {
            char hex[16];
            const auto end = std::to_chars(hex, hex + sizeof hex, static_cast<std::uint32_t>(code), 16).ptr;
            shown += "\\u{" + std::string(hex, end) + "}";
        }
        else
        {
            shown.append(text.substr(start, pos - start));
        }
    }
    return shown;
}

int RunCorrections(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try
    {
        const Arguments arguments = Parse(args);
        if (arguments.words.empty())
            throw UsageError{"corrections needs list, accept or reject"};
        const std::string& action = arguments.words[0];
        if (action != "list" && action != "accept" && action != "reject")
            throw UsageError{"unknown corrections action \"" + action + "\""};
        server::CorrectionsStore store(arguments.Option("--state"),
                                       server::StoreOptions{.create = false});
        if (action == "list")
            return List(store, out);
        if (action == "accept")
            return Accept(store, arguments, out);
        return Reject(store, arguments, out);
    }
    catch (const UsageError& error)
    {
        err << "tnews-catalogue: " << error.message << "\nusage:\n" << kCorrectionsUsage;
        return 2;
    }
    catch (const std::exception& error)
    {
        err << "tnews-catalogue: " << error.what() << "\n";
        return 1;
    }
}

} // namespace tnews::catalogue
