// The real tnews-server program in a process of its own, for tests of what only a process shows:
// signals, a kill halfway, the exit status.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::server::testing
{

class ServerProcess
{
public:
    /// Starts tnews-server with "--port 0 --threads 2" and `arguments`, its stderr in `log`, and
    /// waits up to 20 s for it to listen; Port() is 0 when it did not.
    ServerProcess(const std::vector<std::string>& arguments, std::filesystem::path log);
    /// Stops it with SIGTERM if it still runs.
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return m_port; }
    void Signal(int signal) const;

    /// Waits up to 20 s for `text` in the log.
    bool WaitForLog(std::string_view text) const;

    /// Sends `signal` and waits for the end: the exit status, or -1 for an end by a signal.
    int Stop(int signal);

private:
    std::filesystem::path m_log;
    pid_t m_pid = 0;
    int m_port = 0;
};

} // namespace tnews::server::testing
