#include "search_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace tnews::server
{
namespace
{

// Name weighs most, then city, then place: "Houston" should rank the Houston Chronicle above a
// paper that merely sits in Houston.
constexpr std::string_view kSearchSql =
    "SELECT rowid FROM papers WHERE papers MATCH ?1 AND region = ?2 "
    "ORDER BY bm25(papers, 4.0, 2.0, 1.0), rowid";

[[noreturn]] void ThrowSqliteError(sqlite3* db, std::string_view what)
{
    throw std::runtime_error("SQLite " + std::string(what) + ": " +
                             (db ? sqlite3_errmsg(db) : "out of memory"));
}

struct StatementDeleter
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

Statement Prepare(sqlite3* db, std::string_view sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK)
    {
        ThrowSqliteError(db, "prepare");
    }
    return Statement(statement);
}

void BindText(sqlite3* db, sqlite3_stmt* statement, int index, std::string_view text)
{
    if (sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
    {
        ThrowSqliteError(db, "bind");
    }
}

void Execute(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        ThrowSqliteError(db, sql);
}

} // namespace

// One private in-memory database holding the whole index, with its search statement prepared.
class SearchStore::Connection
{
public:
    Connection()
    {
        // NOMUTEX: a connection is only ever used by the thread that took it from the pool.
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(":memory:", &m_db, flags, nullptr) != SQLITE_OK)
        {
            const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
            sqlite3_close(m_db);
            throw std::runtime_error("SQLite open: " + message);
        }
    }

    ~Connection()
    {
        m_search.reset();
        sqlite3_close(m_db);
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Fill(std::span<const Newspaper> newspapers)
    {
        Execute(m_db, "CREATE VIRTUAL TABLE papers USING fts5(name, city, place, "
                      "region UNINDEXED, tokenize = 'unicode61 remove_diacritics 2')");
        Execute(m_db, "BEGIN");
        Statement insert = Prepare(
            m_db,
            "INSERT INTO papers(rowid, name, city, place, region) VALUES (?1, ?2, ?3, ?4, ?5)");
        for (std::size_t i = 0; i < newspapers.size(); ++i)
        {
            sqlite3_stmt* statement = insert.get();
            sqlite3_reset(statement);
            // Row ids start at 1 so that they are never SQLite's "no row id" value.
            sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(i + 1));
            BindText(m_db, statement, 2, newspapers[i].name);
            BindText(m_db, statement, 3, newspapers[i].city);
            BindText(m_db, statement, 4, newspapers[i].place);
            BindText(m_db, statement, 5, newspapers[i].region->code);
            if (sqlite3_step(statement) != SQLITE_DONE)
                ThrowSqliteError(m_db, "insert");
        }
        insert.reset();
        Execute(m_db, "COMMIT");
        Execute(m_db, "INSERT INTO papers(papers) VALUES ('optimize')");
        PrepareSearch();
    }

    // The whole database as bytes, for Load.
    std::vector<unsigned char> Image() const
    {
        sqlite3_int64 size = 0;
        unsigned char* bytes = sqlite3_serialize(m_db, "main", &size, 0);
        if (!bytes)
            ThrowSqliteError(m_db, "serialize");
        std::vector<unsigned char> image(bytes, bytes + size);
        sqlite3_free(bytes);
        return image;
    }

    // A copy of the database `image`. Copying the bytes takes microseconds where filling the
    // index takes milliseconds, which piled up when many threads searched for the first time.
    void Load(const std::vector<unsigned char>& image)
    {
        const auto size = static_cast<sqlite3_int64>(image.size());
        auto* bytes = static_cast<unsigned char*>(sqlite3_malloc64(image.size()));
        if (!bytes)
            throw std::bad_alloc();
        std::copy(image.begin(), image.end(), bytes);
        // SQLite takes ownership of `bytes` even when this fails.
        if (sqlite3_deserialize(m_db, "main", bytes, size, size,
                                SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) !=
            SQLITE_OK)
        {
            ThrowSqliteError(m_db, "deserialize");
        }
        PrepareSearch();
    }

    SearchResult Search(std::string_view region, const std::string& match, std::size_t limit)
    {
        sqlite3_stmt* statement = m_search.get();
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        BindText(m_db, statement, 1, match);
        BindText(m_db, statement, 2, region);
        SearchResult result;
        int status = SQLITE_ROW;
        while ((status = sqlite3_step(statement)) == SQLITE_ROW)
        {
            if (result.total++ < limit)
            {
                const auto rowid = sqlite3_column_int64(statement, 0);
                result.newspapers.push_back(static_cast<std::size_t>(rowid - 1));
            }
        }
        if (status != SQLITE_DONE)
            ThrowSqliteError(m_db, "search");
        sqlite3_reset(statement);
        return result;
    }

private:
    void PrepareSearch() { m_search = Prepare(m_db, kSearchSql); }

    sqlite3* m_db = nullptr;
    Statement m_search;
};

SearchStore::SearchStore(std::span<const Newspaper> newspapers)
{
    // By default SQLite counts every allocation under one process-wide mutex; with several
    // threads searching at once, waiting for it took more time than the searches. This only
    // works before SQLite's first use in the process, and changes nothing else.
    static const int memoryStatistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)memoryStatistics;
    auto first = std::make_unique<Connection>();
    first->Fill(newspapers);
    m_image = first->Image();
    m_idle.push_back(std::move(first));
}

SearchStore::~SearchStore() = default;

SearchResult SearchStore::Search(const RegionInfo& region, const std::string& matchExpression,
                                 std::size_t limit) const
{
    std::unique_ptr<Connection> connection = Acquire();
    SearchResult result = connection->Search(region.code, matchExpression, limit);
    Release(std::move(connection));
    return result;
}

std::unique_ptr<SearchStore::Connection> SearchStore::Acquire() const
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_idle.empty())
        {
            std::unique_ptr<Connection> connection = std::move(m_idle.back());
            m_idle.pop_back();
            return connection;
        }
    }
    auto connection = std::make_unique<Connection>();
    connection->Load(m_image);
    return connection;
}

void SearchStore::Release(std::unique_ptr<Connection> connection) const
{
    std::lock_guard lock(m_mutex);
    m_idle.push_back(std::move(connection));
}

} // namespace tnews::server
