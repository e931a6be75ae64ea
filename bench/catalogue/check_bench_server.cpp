// Loopback websites for the check benchmark, under any host name: "/slow/MS" answers after MS
// milliseconds, "/chain/N" redirects N times (permanently) before its page, "/parked" is a
// parking page, any other path a plain page. Prints its port, then a port that refuses every
// connection (bound, never listening), then serves until its standard input closes.
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <iostream>
#include <thread>

int main()
{
    httplib::Server server;
    // One thread per kept-alive connection of the checker, so that the checker's side is what
    // the benchmark measures: it keeps up to 4 idle connections for each of its slots.
    server.new_task_queue = [] { return new httplib::ThreadPool(1024); };
    // Without it, Nagle's algorithm holds the answer's last segment for the client's delayed
    // ACK: 40 ms a request, which would be what the benchmark measures.
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(100000);
    // A home page's first bytes: the checker reads 16 KiB of it at most.
    const std::string page = "<html><head><title>Paper</title></head><body>" +
                             std::string(30000, 'x') + "</body></html>";
    server.Get(R"(/slow/(\d+))",
               [&](const httplib::Request& req, httplib::Response& res)
               {
                   std::this_thread::sleep_for(
                       std::chrono::milliseconds(std::stoi(req.matches[1])));
                   res.set_content(page, "text/html");
               });
    server.Get(R"(/chain/(\d+))",
               [&](const httplib::Request& req, httplib::Response& res)
               {
                   const int left = std::stoi(req.matches[1]);
                   if (left == 0)
                       return res.set_content(page, "text/html");
                   res.set_redirect("/chain/" + std::to_string(left - 1), 301);
               });
    server.Get(
        "/parked", [](const httplib::Request&, httplib::Response& res)
        { res.set_content("<script src=\"//img.sedoparking.com/p.js\"></script>", "text/html"); });
    server.Get(R"(/.*)", [&](const httplib::Request&, httplib::Response& res)
               { res.set_content(page, "text/html"); });
    const int port = server.bind_to_any_port("127.0.0.1");

    const int refusing = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (port <= 0 || bind(refusing, generic, length) != 0 ||
        getsockname(refusing, generic, &length) != 0)
    {
        std::cerr << "check_bench_server: can't listen on loopback\n";
        return 1;
    }
    std::thread serving([&] { server.listen_after_bind(); });
    std::cout << port << '\n' << ntohs(address.sin_port) << std::endl;
    std::string line;
    while (std::getline(std::cin, line))
    {
    }
    server.stop();
    serving.join();
    close(refusing);
    return 0;
}
