// The real tnews-server process reloading its files on SIGHUP while 64 connections keep asking:
// no request fails, new data comes in whole, and a malformed catalogue leaves the data before
// serving and names its line. And stopped by SIGTERM, it finishes the answer under way.
#include "catalogue/gzip.h"
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "fixture_sources.h"
#include "server_process.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

namespace tnews::server
{
namespace
{

namespace fs = std::filesystem;
using testing::Contains;

using catalogue::testing::Slurp;
using testing::ServerProcess;

TEST(ReloadTest, SighupUnderLoadFailsNoRequest)
{
    const catalogue::testing::TempFolder folder;
    const fs::path& dir = folder.Path();
    for (const char* name : {"catalogue.tsv", "checks.tsv", "newspapers.csv", "newspapers.json"})
        fs::copy_file(testing::FixtureCataloguePath().parent_path() / name, dir / name);
    const fs::path catalogue = dir / "catalogue.tsv";
    ServerProcess server({"--data", catalogue.string()}, dir / "server.log");
    ASSERT_NE(server.Port(), 0);

    const std::string texas = "/software/news/tnewsudb.php?region=usa&state=Texas";
    const httplib::Headers auth = testing::BasicAuth(kUserName, kListingPassword);
    auto texasPage = [&]
    {
        httplib::Client client("127.0.0.1", server.Port());
        const httplib::Result result = client.Get(texas, auth);
        return result && result->status == 200 ? result->body : std::string();
    };
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> answered{0};
    std::atomic<std::size_t> failed{0};
    std::vector<std::jthread> clients;
    for (int c = 0; c < 64; ++c)
    {
        clients.emplace_back(
            [&, c]
            {
                httplib::Client client("127.0.0.1", server.Port());
                client.set_keep_alive(true);
                for (int i = c; !stop; ++i)
                {
                    const httplib::Result result = client.Get(i % 2 ? "/" : texas, auth);
                    const bool whole = result && result->status == 200 &&
                                       Contains(result->body, "</html>");
                    ++(whole ? answered : failed);
                }
            });
    }
    for (int i = 0; i < 5; ++i)
    {
        server.Signal(SIGHUP);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const std::size_t papers = catalogue::LoadCatalogue(catalogue).papers.size();
    EXPECT_TRUE(server.WaitForLog("tnews-server: reloaded " + std::to_string(papers) + " newspapers"));

    std::ofstream(catalogue, std::ios::app)
        << "paper\tu\tTexas\tAustin\tReload Gazette\tnewspaper\t\thttps://reload.example/\t\t"
           "curated\n";
    server.Signal(SIGHUP);
    EXPECT_TRUE(
        server.WaitForLog("tnews-server: reloaded " + std::to_string(papers + 1) + " newspapers"));
    EXPECT_TRUE(Contains(texasPage(), "Reload Gazette"));

    fs::copy_file(testing::FixtureCataloguePath().parent_path().parent_path() /
                      "bad_catalogue.tsv",
                  catalogue, fs::copy_options::overwrite_existing);
    server.Signal(SIGHUP);
    EXPECT_TRUE(server.WaitForLog("still serving the data loaded before: " + catalogue.string() +
                                  ":3: a paper record has 10 tab-separated fields, found 9"));
    EXPECT_TRUE(Contains(texasPage(), "Reload Gazette"));

    stop = true;
    clients.clear();
    EXPECT_EQ(failed, 0u) << answered << " answered";
    EXPECT_GT(answered, 64u);
    EXPECT_EQ(server.Stop(SIGTERM), 0);
}

// Rows of a CSV export, `count` of them: several of the pieces an answer reads at a time.
std::string CsvRows(int count, std::string_view site)
{
    std::string rows = "name,url\n";
    for (int i = 0; i < count; ++i)
        rows += "Paper " + std::to_string(i) + ",https://" + std::string(site) + std::to_string(i) +
                ".example/\n";
    return rows;
}

// The exports are sent from the files the server loaded: the catalogue tool's renaming a new
// one over them changes nothing until a reload, and one cut short under the server is not sent
// as if it were whole. A gzip form beside one is sent as it is when it holds that export, and
// ignored when it holds another.
TEST(ReloadTest, ExportsComeFromTheFilesLoaded)
{
    const catalogue::testing::TempFolder folder;
    const fs::path& dir = folder.Path();
    fs::copy_file(testing::FixtureCataloguePath(), dir / "catalogue.tsv");
    const fs::path csvFile = dir / "newspapers.csv";
    const fs::path gzipFile = dir / "newspapers.csv.gz";
    const std::string loaded = CsvRows(2000, "old");
    std::ofstream(csvFile, std::ios::binary) << loaded;
    std::ofstream(gzipFile, std::ios::binary)
        << catalogue::Gzip(loaded + "stale", catalogue::GzipLevel::Smallest);
    ServerProcess server({"--data", (dir / "catalogue.tsv").string()}, dir / "server.log");
    ASSERT_NE(server.Port(), 0);
    httplib::Client client("127.0.0.1", server.Port());
    client.set_decompress(false); // the bytes as sent
    auto csv = [&] { return client.Get("/exports/newspapers.csv"); };
    auto gzipped = [&] {
        return client.Get("/exports/newspapers.csv", {{"Accept-Encoding", "gzip"}});
    };
    httplib::Result result = gzipped();
    ASSERT_TRUE(result);
    EXPECT_TRUE(testing::Gunzip(result->body) == loaded) << "the stale gzip form was sent";

    const std::string rows = CsvRows(3000, "new");
    std::ofstream(dir / "new.csv", std::ios::binary) << rows;
    fs::rename(dir / "new.csv", csvFile);
    std::ofstream(gzipFile, std::ios::binary)
        << catalogue::Gzip(rows, catalogue::GzipLevel::Smallest);
    result = csv();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->body == loaded) << "not the file loaded";

    server.Signal(SIGHUP);
    ASSERT_TRUE(server.WaitForLog("tnews-server: reloaded"));
    result = csv();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->body == rows) << "not the file reloaded";
    result = gzipped();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->body == Slurp(gzipFile)) << "not the gzip form beside it";

    fs::resize_file(csvFile, 1000);
    result = csv();
    EXPECT_TRUE(!result || result->body.size() < rows.size()) << "sent as if whole";
    EXPECT_TRUE(server.WaitForLog("an answer stopped short"));
    EXPECT_EQ(server.Stop(SIGTERM), 0);
}

// A socket to the server on loopback that reads slowly (a small receive buffer), or -1 when the
// server refuses it.
int SlowReader(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A stop is a restart or a shutdown: the export a client is reading when SIGTERM comes still
// reaches it whole, while no new connection is taken, and the server ends cleanly after it.
TEST(ReloadTest, SigtermFinishesTheAnswerUnderWay)
{
    const catalogue::testing::TempFolder folder;
    const fs::path& dir = folder.Path();
    fs::copy_file(testing::FixtureCataloguePath(), dir / "catalogue.tsv");
    // An export far larger than the socket buffers on both ends, so the answer is still under
    // way when the signal comes.
    {
        std::ofstream json(dir / "newspapers.json", std::ios::binary);
        json << "[";
        for (int i = 0; i < 60000; ++i)
            json << (i ? "," : "") << "{\"name\":\"Paper " << i << "\",\"url\":\"https://p" << i
                 << ".example/\"}";
        json << "]";
    }
    ServerProcess server({"--data", (dir / "catalogue.tsv").string()}, dir / "server.log");
    ASSERT_NE(server.Port(), 0);
    const int reader = SlowReader(server.Port());
    ASSERT_GE(reader, 0);
    const std::string request = "GET /exports/newspapers.json HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_EQ(::send(reader, request.data(), request.size(), 0),
              static_cast<ssize_t>(request.size()));
    std::string received(1024, '\0');
    ASSERT_GT(::recv(reader, received.data(), received.size(), 0), 0) << "the answer has begun";

    server.Signal(SIGTERM);
    bool refused = false;
    for (int i = 0; i < 100 && !refused; ++i)
    {
        const int late = SlowReader(server.Port());
        refused = late < 0;
        if (late >= 0)
            ::close(late);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(refused) << "a connection after SIGTERM was taken";

    std::string answer = received.substr(0, received.find('\0'));
    for (char buffer[65536];;)
    {
        pollfd ready{reader, POLLIN, 0};
        ASSERT_EQ(::poll(&ready, 1, 5000), 1) << "the answer stopped at " << answer.size();
        const ssize_t got = ::recv(reader, buffer, sizeof buffer, 0);
        ASSERT_GE(got, 0) << "reset after " << answer.size() << " bytes";
        if (got == 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(reader);
    const std::size_t end = answer.find("\r\n\r\n");
    ASSERT_NE(end, std::string::npos);
    const std::string lengthField = "Content-Length: ";
    const std::size_t length = answer.find(lengthField);
    ASSERT_LT(length, end);
    EXPECT_EQ(answer.size() - end - 4, std::stoul(answer.substr(length + lengthField.size())))
        << "the export came whole";
    EXPECT_TRUE(answer.ends_with(Slurp(dir / "newspapers.json"))) << "as it is on disk";
    EXPECT_EQ(server.Stop(SIGTERM), 0) << "it ended cleanly";
}

} // namespace
} // namespace tnews::server
