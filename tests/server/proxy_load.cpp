// Load through a proxy in front of tnews-server replicas (replicas_test.sh): every listing, some
// searches, the publisher's page and the exports, each first asked for once, then by many
// kept-alive connections for a while; every answer must be 200 and the same as the first.
//   proxy_load PORT SECONDS CONNECTIONS
#include "load_client.h"

#include <atomic>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    using namespace tnews::server::testing;
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: proxy_load PORT SECONDS CONNECTIONS\n");
        return 2;
    }
    const int port = std::stoi(argv[1]);
    std::vector<std::string> targets = DirectoryTargets(
        "127.0.0.1:" + std::to_string(port), {"times", "daily news", "sen", "hous* chron", "la"});
    targets.insert(targets.end(), {"/", "/exports/newspapers.csv", "/exports/newspapers.json"});
    const httplib::Headers auth = BasicAuth(tnews::kUserName, tnews::kListingPassword);

    std::vector<std::string> first;
    for (const std::string& target : targets)
    {
        const httplib::Result result = LoopbackClient(port).Get(target, auth);
        if (!result || result->status != 200)
        {
            std::fprintf(stderr, "proxy_load: %s: %s\n", target.c_str(),
                         result ? std::to_string(result->status).c_str()
                                : httplib::to_string(result.error()).c_str());
            return 1;
        }
        first.push_back(result->body);
    }

    std::atomic<int> reported{0};
    const LoadFigures figures = RunLoad(
        port, targets,
        {.connections = std::stoul(argv[3]),
         .duration = std::chrono::seconds(std::stoi(argv[2])),
         .headers = auth},
        [&](std::size_t t, const httplib::Result& result)
        {
            const bool right = result && result->status == 200 && result->body == first[t];
            if (!right && reported++ < 20)
            {
                std::fprintf(stderr, "proxy_load: %s: %s\n", targets[t].c_str(),
                             !result                 ? httplib::to_string(result.error()).c_str()
                             : result->status != 200 ? std::to_string(result->status).c_str()
                                                     : "another body");
            }
            return right;
        });
    std::printf("proxy_load: %zu requests in %.0f s at %s connections, %zu failed; "
                "p50 %.2f ms, p99 %.2f ms\n",
                figures.requests, figures.seconds, argv[3], figures.failed, figures.Percentile(0.5),
                figures.Percentile(0.99));
    return figures.failed == 0 ? 0 : 1;
}
