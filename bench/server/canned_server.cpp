// The floor of the server benchmark: the least any server can do on this machine to answer a
// request with a given answer. One thread per core, each with its own listening socket on one
// port (SO_REUSEPORT) and its own epoll; every request head ("\r\n\r\n") on a connection gets
// the same bytes, read from a file, in one send. No parsing, no logging, no limits: not a server
// to run, only a measure of the kernel's and the load client's share of a request.
//
// Usage: canned_server PORT ANSWER-FILE THREADS; prints "listening on PORT" when it listens.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace
{

int Listen(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 1024) != 0)
    {
        std::perror("canned_server: listen");
        std::exit(1);
    }
    return fd;
}

void Serve(int listener, const std::string& answer)
{
    const int poll = ::epoll_create1(0);
    epoll_event event{EPOLLIN, {.fd = listener}};
    ::epoll_ctl(poll, EPOLL_CTL_ADD, listener, &event);
    std::unordered_map<int, std::string> pending; // a head's start, per connection
    std::vector<epoll_event> ready(256);
    char buffer[16 * 1024];
    for (;;)
    {
        const int count = ::epoll_wait(poll, ready.data(), static_cast<int>(ready.size()), -1);
        for (int i = 0; i < count; ++i)
        {
            const int fd = ready[i].data.fd;
            if (fd == listener)
            {
                for (int client;
                     (client = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;)
                {
                    const int on = 1;
                    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                    epoll_event added{EPOLLIN, {.fd = client}};
                    ::epoll_ctl(poll, EPOLL_CTL_ADD, client, &added);
                }
                continue;
            }
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
            {
                pending.erase(fd);
                ::close(fd);
                continue;
            }
            std::string& text = pending[fd];
            text.append(buffer, static_cast<std::size_t>(got));
            for (std::size_t end; (end = text.find("\r\n\r\n")) != std::string::npos;)
            {
                text.erase(0, end + 4);
                // Blocking is no concern: the load client reads every answer.
                for (std::size_t sent = 0; sent < answer.size();)
                {
                    const ssize_t wrote =
                        ::send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                    if (wrote > 0)
                        sent += static_cast<std::size_t>(wrote);
                    else if (wrote < 0 && errno != EAGAIN)
                        break;
                }
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: canned_server PORT ANSWER-FILE THREADS\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    const std::string answer{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::jthread> threads;
    for (int i = 0; i < std::atoi(argv[3]); ++i)
        threads.emplace_back(Serve, Listen(std::atoi(argv[1])), std::cref(answer));
    std::printf("listening on %s\n", argv[1]);
    std::fflush(stdout);
}
