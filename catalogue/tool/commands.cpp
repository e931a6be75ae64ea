#include "commands.h"

#include "atomic_file.h"
#include "builder.h"
#include "corrections_review.h"
#include "catalogue/site_verdict.h"
#include "export.h"
#include "link_check.h"

#include "catalogue/command_options.h"
#include "catalogue/gzip.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <set>
#include <sstream>

namespace tnews::catalogue
{
namespace
{

constexpr std::string_view kUsage =
    "usage: tnews-catalogue build --output FILE [--curated FILE] [--sources DIR]\n"
    "                             [--corrections FILE] [--checks FILE]\n"
    "       tnews-catalogue check --catalogue FILE [--checks FILE] [--concurrency N]\n"
    "                             [--timeout SECONDS] [--limit N] [--max-age DAYS] [--all]\n"
    "                             [--resolve 'HOST:PORT:ADDRESS ...']\n"
    "       tnews-catalogue export --catalogue FILE --csv FILE --json FILE\n";

struct UsageError
{
    std::string message;
};

// The options after the command's name, as both commands take them ("--name value" or
// "--name=value", and bare "--flag"s), by name; a flag's value is "yes".
std::map<std::string, std::string> ParseOptions(const std::vector<std::string>& args,
                                                std::initializer_list<std::string_view> known,
                                                std::initializer_list<std::string_view> flags)
{
    const std::vector<std::string_view> words(args.begin() + 1, args.end());
    std::map<std::string, std::string> options;
    try
    {
        for (CommandOption& option : tnews::ParseOptions(words, known, flags))
            options[option.name] = option.value.value_or("yes");
    }
    catch (const OptionError& error)
    {
        throw UsageError{error.what() + std::string(" for ") + args[0]};
    }
    return options;
}

std::string Required(const std::map<std::string, std::string>& options, const std::string& name)
{
    auto it = options.find(name);
    if (it == options.end())
        throw UsageError{name + " is required"};
    return it->second;
}

std::string Optional(const std::map<std::string, std::string>& options, const std::string& name,
                     std::string fallback)
{
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
}

int Build(const std::vector<std::string>& args, std::ostream& out)
{
    const auto options = ParseOptions(
        args, {"--output", "--curated", "--sources", "--corrections", "--checks"}, {});
    const std::filesystem::path output = Required(options, "--output");
    BuildInputs inputs{Optional(options, "--curated", "data/newspapers.tsv"),
                       Optional(options, "--sources", "data/sources"),
                       Optional(options, "--corrections", ""), Optional(options, "--checks", "")};
    BuildSummary summary;
    const Catalogue catalogue = BuildCatalogue(inputs, summary);
    const std::string text = FormatCatalogue(catalogue);
    // The file must load as the server loads it; a fault here is the builder's.
    ParseCatalogue(text, output.string());
    WriteFileAtomically(output, text);
    out << "wrote " << output.string() << "\n" << FormatSummary(summary);
    return 0;
}

long Number(const std::map<std::string, std::string>& options, const std::string& name,
            long fallback, long low)
{
    auto it = options.find(name);
    if (it == options.end())
        return fallback;
    long value = 0;
    const std::string& text = it->second;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low)
        throw UsageError{name + " takes a whole number from " + std::to_string(low) + ", not \"" +
                         text + "\""};
    return value;
}

// Each website's history cut to what its verdict needs, so that the file stays small however
// often the check runs.
void TrimChecksFile(const std::filesystem::path& file)
{
    std::string text;
    for (auto& [website, history] : ChecksBySite(LoadCheckHistory(file)))
    {
        for (const LinkCheck& check : TrimHistory(std::move(history)))
            text += FormatCheck(check);
    }
    WriteFileAtomically(file, text);
}

// Checks the catalogue's websites that have no check younger than --max-age days (all with
// --all), so that a run cut short goes on where it stopped when run again. Results are appended
// to the checks file as the outage guard lets them through; an outage of the checker's own
// network fails the run and leaves its results out.
int Check(const std::vector<std::string>& args, std::ostream& out, const Clock& clock)
{
    const auto options = ParseOptions(args,
                                      {"--catalogue", "--checks", "--concurrency", "--timeout",
                                       "--limit", "--max-age", "--resolve"},
                                      {"--all"});
    const std::filesystem::path catalogueFile = Required(options, "--catalogue");
    CheckOptions check;
    check.concurrency = static_cast<std::size_t>(Number(options, "--concurrency", 16, 1));
    check.timeoutSeconds = Number(options, "--timeout", 20, 1);
    check.now = clock;
    std::istringstream entries(Optional(options, "--resolve", ""));
    for (std::string entry; entries >> entry;)
        check.resolve.push_back(entry);
    const long limit = Number(options, "--limit", 0, 0);
    const int maxAge = static_cast<int>(Number(options, "--max-age", 30, 0));

    const Catalogue catalogue = LoadCatalogue(catalogueFile);
    const std::filesystem::path checksFile =
        Optional(options, "--checks", ChecksFileFor(catalogueFile).string());
    const std::string now = clock();
    std::set<std::string> recent;
    if (!options.contains("--all"))
    {
        for (const LinkCheck& done : LoadChecks(checksFile))
        {
            if (CheckedWithin(done.checkedAt, now, maxAge))
                recent.insert(done.website);
        }
    }
    std::vector<std::string> websites;
    std::set<std::string> listed;
    std::size_t skipped = 0;
    for (const Paper& paper : catalogue.papers)
    {
        if (!listed.insert(paper.website).second)
            continue;
        if (recent.contains(paper.website))
            ++skipped;
        else
            websites.push_back(paper.website);
    }
    std::size_t later = 0;
    if (limit > 0 && websites.size() > static_cast<std::size_t>(limit))
    {
        later = websites.size() - static_cast<std::size_t>(limit);
        websites.resize(static_cast<std::size_t>(limit));
    }
    // In catalogue order the papers of one place or group stand together, dead ones too. Shuffled,
    // a run of unreachable hosts says the network is down, and the load spreads over the hosts.
    std::ranges::shuffle(websites, std::mt19937(std::random_device()()));

    // Opened at the first result worth recording, so that an outage leaves the file untouched.
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(nullptr, std::fclose);
    std::size_t ok = 0, failed = 0, parked = 0;
    const auto record = [&](const std::vector<LinkCheck>& results)
    {
        for (const LinkCheck& result : results)
        {
            if (!file)
                file.reset(std::fopen(checksFile.c_str(), "a"));
            const std::string line = FormatCheck(result);
            if (!file || std::fputs(line.c_str(), file.get()) < 0 || std::fflush(file.get()) != 0)
                throw CatalogueError(checksFile.string() +
                                     ": can't write: " + std::strerror(errno));
            ++(result.ok ? ok : result.parked ? parked : failed);
        }
    };
    OutageGuard guard(websites);
    CheckWebsites(websites, check,
                  [&](const CheckOutcome& outcome)
                  {
                      record(guard.Add(outcome));
                      return !guard.Outage();
                  });
    record(guard.Finish());
    const std::size_t recorded = ok + failed + parked;
    if (guard.Outage())
    {
        throw std::runtime_error(guard.Why() + "; " +
                                 (recorded == 0
                                      ? checksFile.string() + " is as it was"
                                      : "the " + std::to_string(recorded) +
                                            " results before them are in " + checksFile.string()));
    }
    file.reset();
    if (recorded > 0)
        TrimChecksFile(checksFile);
    out << "checked " << websites.size() << " websites: " << ok << " answered, " << failed
        << " failed";
    if (parked > 0)
        out << ", " << parked << " parked or for sale";
    out << "; results in " << checksFile.string() << "\n";
    if (skipped > 0)
        out << skipped << " checked in the last " << maxAge << " days were skipped (--all checks them)\n";
    if (later > 0)
        out << later << " left for a later run (--limit " << limit << ")\n";
    return 0;
}

int Export(const std::vector<std::string>& args, std::ostream& out)
{
    const auto options = ParseOptions(args, {"--catalogue", "--csv", "--json"}, {});
    const std::filesystem::path catalogueFile = Required(options, "--catalogue");
    const std::filesystem::path csv = Required(options, "--csv");
    const std::filesystem::path json = Required(options, "--json");
    const Catalogue catalogue = LoadCatalogue(catalogueFile);
    const std::vector<LinkCheck> checks = LoadChecks(ChecksFileFor(catalogueFile));
    // Each with its gzip form beside it, which the server sends as it is.
    for (const auto& [file, text] : {std::pair{csv, ExportCsv(catalogue, checks)},
                                     std::pair{json, ExportJson(catalogue, checks)}})
    {
        WriteFileAtomically(file, text);
        WriteFileAtomically(file.string() + ".gz", Gzip(text, GzipLevel::Smallest));
    }
    out << "wrote " << catalogue.papers.size() << " papers to " << csv.string() << " and "
        << json.string() << ", each with its .gz\n";
    return 0;
}

} // namespace

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunCommand(args, out, err, UtcNow);
}

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const Clock& clock)
{
    try
    {
        if (args.empty())
            throw UsageError{"no command given"};
        if (args[0] == "--help" || args[0] == "-h")
        {
            out << kUsage;
            return 0;
        }
        if (args[0] == "build")
            return Build(args, out);
        if (args[0] == "check")
            return Check(args, out, clock);
        if (args[0] == "export")
            return Export(args, out);
        if (args[0] == "corrections")
            return RunCorrections(args, out, err);
        throw UsageError{"unknown command \"" + args[0] + "\""};
    }
    catch (const UsageError& error)
    {
        err << "tnews-catalogue: " << error.message << "\n" << kUsage << kCorrectionsUsage;
        return 2;
    }
    catch (const std::exception& error)
    {
        err << "tnews-catalogue: " << error.what() << "\n";
        return 1;
    }
}

} // namespace tnews::catalogue
