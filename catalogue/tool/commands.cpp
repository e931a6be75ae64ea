#include "commands.h"

#include "atomic_file.h"
#include "builder.h"
#include "export.h"
#include "link_check.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <memory>
#include <ostream>

namespace tnews::catalogue
{
namespace
{

constexpr std::string_view kUsage =
    "usage: tnews-catalogue build --output FILE [--curated FILE] [--sources DIR]\n"
    "       tnews-catalogue check --catalogue FILE [--concurrency N] [--timeout SECONDS]\n"
    "                             [--limit N] [--max-age DAYS] [--all]\n"
    "       tnews-catalogue export --catalogue FILE --csv FILE --json FILE\n";

struct UsageError
{
    std::string message;
};

// "--name value" pairs and bare "--flag"s; anything else, or an option not in `known`, is a
// usage error.
std::map<std::string, std::string> ParseOptions(const std::vector<std::string>& args,
                                                std::initializer_list<std::string_view> known,
                                                std::initializer_list<std::string_view> flags)
{
    std::map<std::string, std::string> options;
    for (std::size_t i = 1; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (std::ranges::find(flags, arg) != flags.end())
        {
            options[arg] = "yes";
            continue;
        }
        if (std::ranges::find(known, arg) == known.end())
            throw UsageError{"unknown option \"" + arg + "\" for " + args[0]};
        if (i + 1 == args.size())
            throw UsageError{arg + " needs a value"};
        options[arg] = args[++i];
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
    const auto options = ParseOptions(args, {"--output", "--curated", "--sources"}, {});
    const std::filesystem::path output = Required(options, "--output");
    BuildInputs inputs{Optional(options, "--curated", "data/newspapers.tsv"),
                       Optional(options, "--sources", "data/sources")};
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

// Checks the catalogue's websites that have no check younger than --max-age days (all with
// --all), so that a run cut short goes on where it stopped when run again; each result is
// appended to the checks file as it comes.
int Check(const std::vector<std::string>& args, std::ostream& out)
{
    const auto options = ParseOptions(
        args, {"--catalogue", "--concurrency", "--timeout", "--limit", "--max-age"}, {"--all"});
    const std::filesystem::path catalogueFile = Required(options, "--catalogue");
    CheckOptions check;
    check.concurrency = static_cast<std::size_t>(Number(options, "--concurrency", 16, 1));
    check.timeoutSeconds = Number(options, "--timeout", 20, 1);
    const long limit = Number(options, "--limit", 0, 0);
    const int maxAge = static_cast<int>(Number(options, "--max-age", 30, 0));

    const Catalogue catalogue = LoadCatalogue(catalogueFile);
    const std::filesystem::path checksFile = ChecksFileFor(catalogueFile);
    const std::string now = UtcNow();
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

    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(
        std::fopen(checksFile.c_str(), "a"), std::fclose);
    if (!file)
        throw CatalogueError(checksFile.string() + ": can't open to append: " +
                             std::strerror(errno));
    std::size_t ok = 0, failed = 0;
    CheckWebsites(websites, check, [&](const LinkCheck& result)
                  {
                      const std::string line = FormatCheck(result);
                      if (std::fputs(line.c_str(), file.get()) < 0 || std::fflush(file.get()) != 0)
                          throw CatalogueError(checksFile.string() + ": can't write: " +
                                               std::strerror(errno));
                      ++(result.ok ? ok : failed);
                  });
    out << "checked " << websites.size() << " websites: " << ok << " answered, " << failed
        << " failed; results in " << checksFile.string() << "\n";
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
    WriteFileAtomically(csv, ExportCsv(catalogue, checks));
    WriteFileAtomically(json, ExportJson(catalogue, checks));
    out << "wrote " << catalogue.papers.size() << " papers to " << csv.string() << " and "
        << json.string() << "\n";
    return 0;
}

} // namespace

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
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
            return Check(args, out);
        if (args[0] == "export")
            return Export(args, out);
        throw UsageError{"unknown command \"" + args[0] + "\""};
    }
    catch (const UsageError& error)
    {
        err << "tnews-catalogue: " << error.message << "\n" << kUsage;
        return 2;
    }
    catch (const std::exception& error)
    {
        err << "tnews-catalogue: " << error.what() << "\n";
        return 1;
    }
}

} // namespace tnews::catalogue
