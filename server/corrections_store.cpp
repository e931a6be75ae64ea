#include "corrections_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <random>
#include <stdexcept>

namespace tnews::server
{
namespace
{

// The schema this program writes. A store made by a newer one is refused rather than misread;
// an older one would be brought up to date here, step by step.
constexpr int kSchemaVersion = 1;
// How long a write waits for the lock that the review tool holds for a moment.
constexpr int kBusyMilliseconds = 5000;

constexpr const char* kSchema = R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE items(
    id INTEGER PRIMARY KEY,
    kind TEXT NOT NULL CHECK (kind IN ('suggestion', 'report')),
    key TEXT NOT NULL,
    status TEXT NOT NULL DEFAULT 'open' CHECK (status IN ('open', 'accepted', 'rejected')),
    reason TEXT NOT NULL DEFAULT '',
    reviewed_at TEXT NOT NULL DEFAULT '');
CREATE UNIQUE INDEX open_items ON items(kind, key) WHERE status = 'open';
CREATE TABLE submissions(
    id INTEGER PRIMARY KEY,
    item INTEGER NOT NULL REFERENCES items(id),
    received_at TEXT NOT NULL,
    region TEXT NOT NULL,
    place TEXT NOT NULL,
    name TEXT NOT NULL,
    website TEXT NOT NULL,
    town TEXT NOT NULL,
    problem TEXT NOT NULL,
    new_address TEXT NOT NULL,
    note TEXT NOT NULL);
CREATE INDEX submissions_of_item ON submissions(item);
)";

class SqliteError : public std::runtime_error
{
public:
    SqliteError(sqlite3* db, std::string_view what)
        : std::runtime_error("SQLite " + std::string(what) + ": " +
                             (db ? sqlite3_errmsg(db) : "out of memory")),
          code(db ? sqlite3_errcode(db) : SQLITE_NOMEM)
    {
    }
    int code;
};

struct StatementDeleter
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// A prepared statement with its values bound in order; Step returns whether a row came.
class Statement
{
public:
    Statement(sqlite3* db, std::string_view sql) : m_db(db)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement,
                               nullptr) != SQLITE_OK)
            throw SqliteError(db, "prepare");
        m_statement.reset(statement);
    }
    Statement& Bind(std::string_view text)
    {
        Check(sqlite3_bind_text(m_statement.get(), ++m_bound, text.data(),
                                static_cast<int>(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& Bind(std::int64_t number)
    {
        Check(sqlite3_bind_int64(m_statement.get(), ++m_bound, number));
        return *this;
    }
    bool Step()
    {
        const int result = sqlite3_step(m_statement.get());
        if (result != SQLITE_ROW && result != SQLITE_DONE)
            throw SqliteError(m_db, "step");
        return result == SQLITE_ROW;
    }
    std::string Text(int column) const
    {
        const auto* text = sqlite3_column_text(m_statement.get(), column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  static_cast<std::size_t>(
                                      sqlite3_column_bytes(m_statement.get(), column)))
                    : std::string();
    }
    std::int64_t Number(int column) const { return sqlite3_column_int64(m_statement.get(), column); }

private:
    void Check(int result)
    {
        if (result != SQLITE_OK)
            throw SqliteError(m_db, "bind");
    }
    sqlite3* m_db;
    std::unique_ptr<sqlite3_stmt, StatementDeleter> m_statement;
    int m_bound = 0;
};

void Execute(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw SqliteError(db, sql);
}

// Rolls back an open transaction unless committed, so no failure leaves the lock held.
class Transaction
{
public:
    explicit Transaction(sqlite3* db) : m_db(db) { Execute(db, "BEGIN IMMEDIATE"); }
    ~Transaction()
    {
        if (m_open)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit()
    {
        Execute(m_db, "COMMIT");
        m_open = false;
    }

private:
    sqlite3* m_db;
    bool m_open = true;
};

std::string RandomStoreId()
{
    std::random_device device;
    char text[17];
    std::snprintf(text, sizeof text, "%08x%08x", device(), device());
    return text;
}

constexpr std::array<ReportProblem, 5> kProblems = {{
    {"gone", "The site is gone"},
    {"moved", "It moved to a new address"},
    {"place", "It is in the wrong place"},
    {"not-newspaper", "It is not a newspaper"},
    {"closed", "The paper has closed"},
}};

constexpr const char* kSubmissionColumns =
    "received_at, region, place, name, website, town, problem, new_address, note";

} // namespace

std::span<const ReportProblem> ReportProblems()
{
    return kProblems;
}

const ReportProblem* FindReportProblem(std::string_view id)
{
    const auto found = std::ranges::find(kProblems, id, &ReportProblem::id);
    return found == kProblems.end() ? nullptr : &*found;
}

std::string UtcText(std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

CorrectionsStore::CorrectionsStore(const std::filesystem::path& folder, StoreOptions options)
    : m_options(options), m_limit(options.perHour)
{
    const std::filesystem::path file = folder / kCorrectionsFileName;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX |
                      (options.create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr) != SQLITE_OK)
    {
        const std::string problem = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw std::runtime_error(file.string() + ": " + problem);
    }
    try
    {
        sqlite3_busy_timeout(m_db, kBusyMilliseconds);
        // Every acknowledged submission must survive a crash or a power cut: the WAL is synced
        // at each commit.
        Execute(m_db, "PRAGMA journal_mode=WAL");
        Execute(m_db, "PRAGMA synchronous=FULL");
        Execute(m_db, "PRAGMA foreign_keys=ON");
        if (options.maxPageCount > 0)
        {
            Execute(m_db, ("PRAGMA max_page_count=" + std::to_string(options.maxPageCount)).c_str());
        }
        Transaction transaction(m_db);
        Statement version(m_db, "PRAGMA user_version");
        version.Step();
        const std::int64_t found = version.Number(0);
        if (found > kSchemaVersion)
        {
            throw std::runtime_error(file.string() + ": made by a newer tnews-server (schema " +
                                     std::to_string(found) + ", this one knows " +
                                     std::to_string(kSchemaVersion) + ")");
        }
        if (found == 0)
        {
            Execute(m_db, kSchema);
            Statement(m_db, "INSERT INTO meta(key, value) VALUES ('store-id', ?)")
                .Bind(RandomStoreId())
                .Step();
            Execute(m_db, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
        }
        Statement id(m_db, "SELECT value FROM meta WHERE key = 'store-id'");
        if (!id.Step())
            throw std::runtime_error(file.string() + ": the store has no id");
        m_storeId = id.Text(0);
        transaction.Commit();
    }
    catch (const std::exception& error)
    {
        sqlite3_close(m_db);
        if (dynamic_cast<const SqliteError*>(&error))
            throw std::runtime_error(file.string() + ": " + error.what());
        throw;
    }
}

CorrectionsStore::~CorrectionsStore()
{
    sqlite3_close(m_db);
}

Receipt CorrectionsStore::Submit(const Submission& submission, std::string_view key,
                                 std::string_view client)
{
    Receipt receipt;
    const auto now = SubmissionLimit::Clock::now();
    receipt.retryAfter = m_limit.Take(client, now);
    if (receipt.retryAfter.count() > 0)
    {
        receipt.outcome = Receipt::Outcome::TooMany;
        return receipt;
    }
    try
    {
        std::lock_guard lock(m_mutex);
        receipt.outcome = Insert(submission, key, UtcText(std::chrono::system_clock::now()), receipt);
    }
    catch (const SqliteError& error)
    {
        receipt.outcome = error.code == SQLITE_FULL ? Receipt::Outcome::StoreFull
                                                    : Receipt::Outcome::Unavailable;
    }
    catch (const std::exception&)
    {
        receipt.outcome = Receipt::Outcome::Unavailable;
    }
    if (receipt.outcome != Receipt::Outcome::Recorded)
        m_limit.GiveBack(client, now);
    return receipt;
}

Receipt::Outcome CorrectionsStore::Insert(const Submission& submission, std::string_view key,
                                          std::string_view receivedAt, Receipt& receipt)
{
    Transaction transaction(m_db);
    Statement existing(m_db, "SELECT id FROM items WHERE kind = ? AND key = ? AND status = 'open'");
    if (existing.Bind(submission.kind).Bind(key).Step())
    {
        receipt.item = existing.Number(0);
    }
    else
    {
        Statement open(m_db, "SELECT count(*) FROM items WHERE status = 'open'");
        open.Step();
        if (static_cast<std::size_t>(open.Number(0)) >= m_options.maxOpenItems)
            return Receipt::Outcome::QueueFull;
        Statement(m_db, "INSERT INTO items(kind, key) VALUES (?, ?)")
            .Bind(submission.kind)
            .Bind(key)
            .Step();
        receipt.item = sqlite3_last_insert_rowid(m_db);
    }
    Statement(m_db, std::string("INSERT INTO submissions(item, ") + kSubmissionColumns +
                        ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .Bind(receipt.item)
        .Bind(receivedAt)
        .Bind(submission.region)
        .Bind(submission.place)
        .Bind(submission.name)
        .Bind(submission.website)
        .Bind(submission.town)
        .Bind(submission.problem)
        .Bind(submission.newAddress)
        .Bind(submission.note)
        .Step();
    Statement count(m_db, "SELECT count(*) FROM submissions WHERE item = ?");
    count.Bind(receipt.item).Step();
    receipt.count = count.Number(0);
    transaction.Commit();
    return Receipt::Outcome::Recorded;
}

Receipt CorrectionsStore::CountDropped(std::string_view client)
{
    Receipt receipt;
    receipt.retryAfter = m_limit.Take(client, SubmissionLimit::Clock::now());
    receipt.outcome = receipt.retryAfter.count() > 0 ? Receipt::Outcome::TooMany
                                                     : Receipt::Outcome::Recorded;
    return receipt;
}

std::optional<CorrectionItem> CorrectionsStore::LoadItem(std::int64_t id)
{
    Statement item(m_db, "SELECT kind, status, reason, reviewed_at FROM items WHERE id = ?");
    if (!item.Bind(id).Step())
        return std::nullopt;
    CorrectionItem found{id, item.Text(0), item.Text(1), item.Text(2), item.Text(3), {}};
    Statement rows(m_db, std::string("SELECT ") + kSubmissionColumns +
                             " FROM submissions WHERE item = ? ORDER BY id");
    rows.Bind(id);
    while (rows.Step())
    {
        StoredSubmission stored;
        stored.kind = found.kind;
        stored.receivedAt = rows.Text(0);
        stored.region = rows.Text(1);
        stored.place = rows.Text(2);
        stored.name = rows.Text(3);
        stored.website = rows.Text(4);
        stored.town = rows.Text(5);
        stored.problem = rows.Text(6);
        stored.newAddress = rows.Text(7);
        stored.note = rows.Text(8);
        found.submissions.push_back(std::move(stored));
    }
    return found;
}

std::vector<CorrectionItem> CorrectionsStore::OpenItems()
{
    std::lock_guard lock(m_mutex);
    // One read transaction, so the items and their submissions agree.
    Execute(m_db, "BEGIN");
    std::vector<CorrectionItem> items;
    try
    {
        Statement open(m_db, "SELECT id FROM items WHERE status = 'open' ORDER BY id");
        while (open.Step())
            items.push_back(*LoadItem(open.Number(0)));
    }
    catch (...)
    {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    Execute(m_db, "COMMIT");
    return items;
}

std::optional<CorrectionItem> CorrectionsStore::FindItem(std::int64_t id)
{
    std::lock_guard lock(m_mutex);
    return LoadItem(id);
}

void CorrectionsStore::Close(std::int64_t id, std::string_view status, std::string_view reason,
                             std::string_view reviewedAt,
                             const std::function<void(const CorrectionItem&)>& whileLocked)
{
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_db);
    const std::optional<CorrectionItem> item = LoadItem(id);
    if (!item)
        throw std::runtime_error("there is no item " + std::to_string(id));
    if (item->status != "open")
    {
        throw std::runtime_error("item " + std::to_string(id) + " is already " + item->status +
                                 (item->reviewedAt.empty() ? "" : " (" + item->reviewedAt + ")"));
    }
    if (whileLocked)
        whileLocked(*item);
    Statement(m_db, "UPDATE items SET status = ?, reason = ?, reviewed_at = ? WHERE id = ?")
        .Bind(status)
        .Bind(reason)
        .Bind(reviewedAt)
        .Bind(id)
        .Step();
    transaction.Commit();
}

} // namespace tnews::server
