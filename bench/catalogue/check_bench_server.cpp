// A loopback website for the check benchmark: every path answers 200 with a short page. Prints
// its port, then serves until its standard input closes.
#include <httplib.h>

#include <iostream>
#include <thread>

int main()
{
    httplib::Server server;
    // One thread per kept-alive connection of the checker (64 by default), so that the
    // checker's side is what the benchmark measures.
    server.new_task_queue = [] { return new httplib::ThreadPool(256); };
    // Without it, Nagle's algorithm holds the answer's last segment for the client's delayed
    // ACK: 40 ms a request, which would be what the benchmark measures.
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(100000);
    server.Get(R"(/.*)", [](const httplib::Request&, httplib::Response& res)
               { res.set_content("<html><body>paper</body></html>", "text/html"); });
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0)
    {
        std::cerr << "check_bench_server: can't listen on loopback\n";
        return 1;
    }
    std::thread serving([&] { server.listen_after_bind(); });
    std::cout << port << std::endl;
    std::string line;
    while (std::getline(std::cin, line))
    {
    }
    server.stop();
    serving.join();
    return 0;
}
