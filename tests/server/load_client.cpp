#include "load_client.h"

#include "directory/catalogue.h"
#include "directory/server_urls.h"

#include <algorithm>
#include <thread>

namespace tnews::server::testing
{

std::vector<std::string> DirectoryTargets(const std::string& host,
                                          const std::vector<std::string>& searches)
{
    std::vector<std::string> targets;
    for (const RegionInfo& region : Regions())
    {
        for (std::size_t position = 1; position <= region.places.size(); ++position)
        {
            targets.push_back(
                WireTarget(*ListingUrl(region.code, static_cast<std::int16_t>(position), host)));
        }
    }
    for (const RegionInfo& region : Regions())
    {
        for (const std::string& words : searches)
            targets.push_back(WireTarget(*KeywordSearchUrl(region.code, words, host)));
    }
    return targets;
}

double LoadFigures::Percentile(double p) const
{
    if (milliseconds.empty())
        return 0;
    const auto at = static_cast<std::size_t>(p * static_cast<double>(milliseconds.size()));
    return milliseconds[std::min(milliseconds.size() - 1, at)];
}

LoadFigures RunLoad(int port, const std::vector<std::string>& targets, const LoadOptions& options,
                    const AnswerCheck& check)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + options.duration;
    std::vector<LoadFigures> parts(options.connections);
    {
        std::vector<std::jthread> clients;
        for (std::size_t c = 0; c < options.connections; ++c)
        {
            clients.emplace_back(
                [&, c]
                {
                    httplib::Client client = LoopbackClient(port);
                    client.set_keep_alive(true);
                    LoadFigures& part = parts[c];
                    for (std::size_t i = 0; (options.requestsPerConnection == 0 ||
                                             i < options.requestsPerConnection) &&
                                            (options.duration.count() == 0 || Clock::now() < end);
                         ++i)
                    {
                        const std::size_t t = (c * 37 + i) % targets.size();
                        const auto before = Clock::now();
                        const httplib::Result result = client.Get(targets[t], options.headers);
                        const std::chrono::duration<double, std::milli> took =
                            Clock::now() - before;
                        part.milliseconds.push_back(took.count());
                        ++part.requests;
                        part.failed += check(t, result) ? 0 : 1;
                    }
                });
        }
    } // joins the clients
    LoadFigures all;
    all.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (const LoadFigures& part : parts)
    {
        all.requests += part.requests;
        all.failed += part.failed;
        all.milliseconds.insert(all.milliseconds.end(), part.milliseconds.begin(),
                                part.milliseconds.end());
    }
    std::ranges::sort(all.milliseconds);
    return all;
}

} // namespace tnews::server::testing
