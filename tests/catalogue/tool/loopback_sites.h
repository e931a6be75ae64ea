// Websites on loopback for the link check: an HTTP server with pages that answer, redirect,
// are missing, gone, slow or refuse HEAD; a port that resets every connection; and a TLS server
// whose certificate, made at test time, nobody signed.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace httplib
{
class Server;
}

namespace tnews::catalogue::testing
{

class LoopbackSites
{
public:
    /// Starts the servers; `certificateFolder` receives the TLS key and certificate.
    explicit LoopbackSites(const std::filesystem::path& certificateFolder);
    ~LoopbackSites();
    LoopbackSites(const LoopbackSites&) = delete;
    LoopbackSites& operator=(const LoopbackSites&) = delete;

    /// "http://127.0.0.1:port" + path.
    std::string Http(const std::string& path) const;
    /// "https://127.0.0.1:port/" of the TLS server with the unsigned certificate.
    std::string SelfSignedTls() const;
    /// "https://" to the plain HTTP port: a TLS client meets plain text.
    std::string TlsToPlainText() const;
    /// "http://" to the port that resets connections.
    std::string Resetting() const;

private:
    std::unique_ptr<httplib::Server> m_http;
    std::unique_ptr<httplib::Server> m_tls;
    std::thread m_httpThread, m_tlsThread, m_resetThread;
    int m_httpPort = 0, m_tlsPort = 0, m_resetPort = 0;
    int m_resetSocket = -1;
    std::atomic<bool> m_stopping{false};
};

} // namespace tnews::catalogue::testing
