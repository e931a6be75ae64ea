// tnews-server: loads the newspaper catalogue and serves the directory until SIGINT or SIGTERM.
#include "command_line.h"
#include "corrections_store.h"
#include "http_server.h"
#include "site.h"
#include "site_data.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <pthread.h>
#include <set>
#include <system_error>
#include <thread>

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

// Blocked in every thread and awaited by one, see Run.
sigset_t StopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}
const sigset_t kStopSignals = StopSignals();

void LogLine(const std::string& line)
{
    // One call per line keeps lines from different threads whole.
    std::fprintf(stderr, "%s\n", line.c_str());
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

    SiteData files;
    try
    {
        files = LoadSiteData(data, options.checks);
    }
    catch (const tnews::catalogue::CatalogueError& error)
    {
        std::cerr << "tnews-server: " << error.what() << '\n';
        return 1;
    }
    const std::size_t count = files.catalogue.papers.size();
    const std::size_t missing = PlacesWithoutPapers(files.catalogue);
    const std::size_t checks = files.checks.size();
    std::size_t exports = 0;
    for (const Export& file : files.exports)
        exports += file.bytes ? 1 : 0;

    // The corrections outlive any Site made over the catalogue.
    std::unique_ptr<CorrectionsStore> corrections;
    std::optional<Site> site;
    try
    {
        if (!options.state.empty())
        {
            std::filesystem::create_directories(options.state);
            corrections = std::make_unique<CorrectionsStore>(options.state);
        }
        site.emplace(std::move(files), options.latest,
                     SiteOptions{.publicHost = options.publicHost, .corrections = corrections.get()});
    }
    catch (const std::exception& error)
    {
        std::cerr << "tnews-server: " << error.what() << '\n';
        return 1;
    }

    HttpServer server(*site, HttpOptions{options.threads, LogLine});
    const std::optional<int> port = server.Bind(options.bind, options.port);
    if (!port)
    {
        std::cerr << "tnews-server: cannot listen on " << options.bind << ':' << options.port
                  << '\n';
        return 1;
    }

    // SIGINT and SIGTERM are blocked in every thread (see main) and taken here, outside any
    // signal handler, where stopping the server is safe (also before Listen runs, which then
    // returns at once). The thread is joined before the server is destroyed: once Listen has
    // returned, a SIGTERM sent to the thread alone ends its wait.
    std::optional<std::thread> signals;
    try
    {
        signals.emplace(
            [&server]
            {
                int signal = 0;
                sigwait(&kStopSignals, &signal);
                server.Stop();
            });
    }
    catch (const std::system_error&)
    {
        // Then the signals keep their default action, which ends the process.
        pthread_sigmask(SIG_UNBLOCK, &kStopSignals, nullptr);
    }
    struct Joined
    {
        std::optional<std::thread>& thread;
        ~Joined()
        {
            if (!thread)
                return;
            pthread_kill(thread->native_handle(), SIGTERM);
            thread->join();
        }
    } joined{signals};

    std::cerr << "tnews-server: " << count << " newspapers from " << data.string();
    if (missing > 0)
        std::cerr << " (" << missing << " places have none yet)";
    std::cerr << "\ntnews-server: " << checks << " link checks, " << exports
              << " of 2 exports beside it";
    if (corrections)
        std::cerr << "\ntnews-server: readers' corrections kept in "
                  << (options.state / kCorrectionsFileName).string();
    else
        std::cerr << "\ntnews-server: no --state folder, so readers' corrections are not taken";
    std::cerr << "\ntnews-server: listening on http://" << options.bind << ':' << *port << "/"
              << std::endl;
    const bool served = server.Listen();
    return served ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Blocked before any thread starts, so that every thread inherits the mask and only the
    // signal thread of Run receives them.
    pthread_sigmask(SIG_BLOCK, &kStopSignals, nullptr);
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
