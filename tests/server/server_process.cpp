#include "server_process.h"

#include "fixture_sources.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace tnews::server::testing
{
namespace
{

constexpr std::string_view kListening = "listening on http://127.0.0.1:";

// The log as far as it is written; the child makes it, and until it has there is nothing.
std::string LogText(const std::filesystem::path& log)
{
    std::error_code missing;
    return std::filesystem::exists(log, missing) ? catalogue::testing::Slurp(log) : "";
}

} // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& arguments, std::filesystem::path log)
    : m_log(std::move(log))
{
    std::vector<std::string> args = {TNEWS_SERVER_EXE, "--port", "0", "--threads", "2"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 2000 && m_pid > 0; ++i)
    {
        if (::waitpid(m_pid, nullptr, WNOHANG) != 0)
        {
            m_pid = 0; // it ended before listening
            break;
        }
        const std::string text = LogText(m_log);
        if (const std::size_t at = text.find(kListening); at != std::string::npos)
        {
            m_port = std::atoi(text.c_str() + at + kListening.size());
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ServerProcess::~ServerProcess()
{
    Stop(SIGTERM);
}

void ServerProcess::Signal(int signal) const
{
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

bool ServerProcess::WaitForLog(std::string_view text) const
{
    for (int i = 0; i < 2000; ++i)
    {
        if (LogText(m_log).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int ServerProcess::Stop(int signal)
{
    if (m_pid <= 0)
        return -1;
    int status = 0;
    ::kill(m_pid, signal);
    ::waitpid(m_pid, &status, 0);
    m_pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tnews::server::testing
