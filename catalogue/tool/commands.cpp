#include "commands.h"

#include "atomic_file.h"
#include "builder.h"

#include <algorithm>
#include <map>
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

} // namespace

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try
    {
        if (args.empty())
            throw UsageError{"no command given"};
        if (args[0] == "build")
            return Build(args, out);
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
