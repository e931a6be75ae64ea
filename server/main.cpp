// tnews-server: loads the newspaper catalogue and serves the directory until SIGINT or SIGTERM;
// SIGHUP loads it again.
#include "command_line.h"
#include "corrections_store.h"
#include "http_server.h"
#include "site.h"
#include "site_data.h"

#include <boost/asio/post.hpp>
#include <boost/asio/thread_pool.hpp>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <set>

namespace
{

using namespace tnews::server;

std::filesystem::path ExecutableDir(const char* argv0)
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return exe.parent_path();
    return std::filesystem::absolute(argv0, error).parent_path();
}

std::optional<std::filesystem::path> FindCatalogue(const std::filesystem::path& exeDir)
{
    for (const std::filesystem::path& candidate : DefaultCataloguePaths(exeDir))
    {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.lexically_normal();
    }
    return std::nullopt;
}

// Places that show nothing: no paper of their own and no rule that gives them any.
std::size_t PlacesWithoutPapers(const tnews::catalogue::Catalogue& catalogue)
{
    std::set<std::pair<const tnews::RegionInfo*, std::string_view>> shown;
    for (const tnews::catalogue::Paper& paper : catalogue.papers)
        shown.emplace(paper.region, paper.place);
    for (const tnews::catalogue::PlaceRule& rule : catalogue.rules)
    {
        if (rule.how != tnews::catalogue::PlaceRule::How::None)
            shown.emplace(rule.region, rule.place);
    }
    std::size_t places = 0;
    for (const tnews::RegionInfo& region : tnews::Regions())
        places += region.places.size();
    return places - shown.size();
}

void LogLine(const std::string& line)
{
    // One call per line keeps lines from different threads whole.
    std::fprintf(stderr, "%s\n", line.c_str());
}

struct Loaded
{
    std::shared_ptr<const Site> site;
    std::string summary; // what it holds, for the log
};

// Every Site the server serves is made here, at start-up and at each reload, over the one store
// of readers' corrections (null: none are taken), which outlives them all. Throws
// catalogue::CatalogueError naming the file and line of a malformed file, std::runtime_error when
// SQLite, ICU or zlib fails.
Loaded MakeSite(const std::filesystem::path& data, const ServerOptions& options,
                CorrectionsStore* corrections)
{
    SiteData files = LoadSiteData(data, options.checks);
    std::size_t exports = 0;
    for (const Export& file : files.exports)
        exports += file.content ? 1 : 0;
    std::string summary = std::to_string(files.catalogue.papers.size()) + " newspapers from " +
                          data.string();
    if (const std::size_t missing = PlacesWithoutPapers(files.catalogue); missing > 0)
        summary += " (" + std::to_string(missing) + " places have none yet)";
    summary += ", " + std::to_string(files.checks.size()) + " link checks, " +
               std::to_string(exports) + " of 2 exports beside it";
    const SiteOptions site{.publicHost = options.publicHost, .corrections = corrections};
    return {std::make_shared<const Site>(std::move(files), options.latest, site),
            std::move(summary)};
}

// Reloading and destroying the old Site take a few tenths of a second, which no request waits
// for; malformed new files leave the old data serving.
void Reload(HttpServer& server, const std::filesystem::path& data, const ServerOptions& options,
            CorrectionsStore* corrections)
{
    try
    {
        Loaded loaded = MakeSite(data, options, corrections);
        server.Replace(std::move(loaded.site));
        LogLine("tnews-server: reloaded " + loaded.summary);
    }
    catch (const std::exception& error)
    {
        LogLine(std::string("tnews-server: not reloaded, still serving the data loaded before: ") +
                error.what());
    }
}

int Run(const ServerOptions& options, const char* argv0)
{
    std::filesystem::path data = options.data;
    if (data.empty())
    {
        const auto found = FindCatalogue(ExecutableDir(argv0));
        if (!found)
        {
            std::cerr << "tnews-server: no catalogue found; looked for:\n";
            for (const auto& candidate : DefaultCataloguePaths(ExecutableDir(argv0)))
                std::cerr << "  " << candidate.lexically_normal().string() << '\n';
            std::cerr << "Give one with --data FILE.\n";
            return 1;
        }
        data = *found;
    }

    // The corrections outlive the server and every Site made over the catalogue.
    std::unique_ptr<CorrectionsStore> corrections;
    Loaded loaded;
    try
    {
        if (!options.state.empty())
        {
            std::filesystem::create_directories(options.state);
            corrections = std::make_unique<CorrectionsStore>(options.state);
        }
        loaded = MakeSite(data, options, corrections.get());
    }
    catch (const std::exception& error)
    {
        std::cerr << "tnews-server: " << error.what() << '\n';
        return 1;
    }

    // SIGHUP asks for a reload, run on a thread of its own; one asked for during another runs
    // after it.
    boost::asio::thread_pool reloads(1);
    std::atomic<bool> queued{false};
    std::function<void()> hangup;
    HttpServer server(loaded.site,
                      HttpOptions{options.threads, LogLine, kDefaultMaxConnections, true,
                                  [&hangup] { hangup(); }, options.trustedProxies});
    hangup = [&]
    {
        if (queued.exchange(true))
            return;
        boost::asio::post(reloads,
                          [&]
                          {
                              queued = false;
                              Reload(server, data, options, corrections.get());
                          });
    };
    const std::optional<int> port = server.Bind(options.bind, options.port);
    if (!port)
    {
        std::cerr << "tnews-server: cannot listen on " << options.bind << ':' << options.port
                  << '\n';
        return 1;
    }
    std::cerr << "tnews-server: " << loaded.summary << "\ntnews-server: ";
    if (corrections)
        std::cerr << "readers' corrections kept in " << (options.state / kCorrectionsFileName).string();
    else
        std::cerr << "no --state folder, so readers' corrections are not taken";
    std::cerr << "\ntnews-server: listening on http://" << options.bind << ':' << *port << "/"
              << std::endl;
    loaded.site.reset();
    const bool served = server.Listen();
    reloads.join(); // a reload under way ends before the server it swaps into
    return served ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Before any thread starts, so that every thread inherits the mask and only the server's
    // signal set takes them, also those sent while the catalogue loads.
    BlockServerSignals();
    std::signal(SIGPIPE, SIG_IGN);

    const std::vector<std::string_view> args(argv + 1, argv + argc);
    ServerOptions options;
    try
    {
        options = ParseCommandLine(args);
    }
    catch (const UsageError& error)
    {
        std::cerr << "tnews-server: " << error.what() << '\n' << UsageText();
        return 2;
    }
    if (options.help)
    {
        std::cout << UsageText();
        return 0;
    }
    return Run(options, argc > 0 ? argv[0] : "tnews-server");
}
