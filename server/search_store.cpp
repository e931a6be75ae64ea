#include "search_store.h"

#include "directory/ascii.h"
#include "directory/region_selection.h"
#include "keywords.h"

#include <sqlite3.h>

#include <time.h>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <numeric>
#include <stdexcept>

namespace tnews::server
{
namespace
{

// One table per region, so a search reads only its region's part of the index.
constexpr std::array<std::string_view, 3> kRegionCodes = {"c", "u", "i"};
constexpr std::string_view kCuratedSource = "curated";

// SQLite's virtual machine instructions between two looks at a search's budget: some
// microseconds of work, against a clock read that costs well under one.
constexpr int kInstructionsPerCheck = 1000;

// The processor time this thread has used. A search's budget counts its own work, not the time
// other threads or processes held the core, so a busy machine doesn't turn searches away.
std::chrono::nanoseconds ThreadCpuTime()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// The point in the thread's processor time past which a search gives up.
class CpuDeadline
{
public:
    explicit CpuDeadline(std::chrono::nanoseconds budget) : m_end(ThreadCpuTime() + budget) {}

    bool Passed() const { return ThreadCpuTime() > m_end; }

    void ThrowIfPassed() const
    {
        if (Passed())
            throw SearchOverBudget("the search used up its time budget");
    }

private:
    std::chrono::nanoseconds m_end;
};

// Row ids follow the size proxy (RankOrder), so the matches come in that order.
std::string SearchSql(std::string_view table)
{
    const std::string t(table);
    return "SELECT rowid FROM " + t + " WHERE " + t + " MATCH ?1 ORDER BY rowid";
}

std::string TableName(std::string_view code)
{
    return "papers_" + std::string(code);
}

std::size_t RegionSlot(const RegionInfo& region)
{
    const auto found = std::ranges::find(kRegionCodes, region.code);
    if (found == kRegionCodes.end())
        throw std::invalid_argument("no search table for region " + std::string(region.code));
    return static_cast<std::size_t>(found - kRegionCodes.begin());
}

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

void Execute(sqlite3* db, const std::string& sql)
{
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        ThrowSqliteError(db, sql);
}

// The size proxy: papers of the curated list first, then those more sources list, then by
// name; the catalogue's order settles the rest.
std::vector<std::size_t> RankOrder(const catalogue::Catalogue& catalogue, const Alphabetical& order)
{
    const auto& papers = catalogue.papers;
    std::vector<std::size_t> ranked(papers.size());
    std::iota(ranked.begin(), ranked.end(), std::size_t{0});
    std::vector<bool> curated(papers.size());
    for (std::size_t i = 0; i < papers.size(); ++i)
        curated[i] =
            std::ranges::find(papers[i].sources, kCuratedSource) != papers[i].sources.end();
    std::ranges::stable_sort(ranked,
                             [&](std::size_t a, std::size_t b)
                             {
                                 if (curated[a] != curated[b])
                                     return static_cast<bool>(curated[a]);
                                 if (papers[a].sources.size() != papers[b].sources.size())
                                     return papers[a].sources.size() > papers[b].sources.size();
                                 return order.Less(papers[a].name, papers[b].name);
                             });
    return ranked;
}

// Each place's text in the index: its name, its alias records' names and the places whose
// same-as rule leads to it, so that "Bangladesh" finds the papers of "Banglades".
std::map<std::pair<const RegionInfo*, std::string_view>, std::string>
PlaceTexts(const catalogue::Catalogue& catalogue)
{
    std::map<std::pair<const RegionInfo*, std::string_view>, std::string> texts;
    for (const catalogue::Paper& paper : catalogue.papers)
        texts.try_emplace({paper.region, paper.place}, paper.place);
    const auto add = [&](const RegionInfo* region, std::string_view place, std::string_view name)
    {
        if (auto found = texts.find({region, place}); found != texts.end())
            found->second.append("\n").append(name);
    };
    for (const catalogue::PlaceAlias& alias : catalogue.aliases)
        add(alias.region, alias.place, alias.alias);
    for (const catalogue::PlaceRule& rule : catalogue.rules)
    {
        if (rule.how == catalogue::PlaceRule::How::SameAs)
            add(rule.region, rule.value, rule.place);
    }
    return texts;
}

// The places whose language rule lists `paper`, each after a line break: "Farsi" finds the
// papers in Persian as its page shows them.
std::string LanguagePlaces(const catalogue::Catalogue& catalogue, const catalogue::Paper& paper)
{
    std::string names;
    for (const catalogue::PlaceRule& rule : catalogue.rules)
    {
        if (rule.how == catalogue::PlaceRule::How::Language && rule.region == paper.region &&
            catalogue::HasLanguage(paper, rule.value))
        {
            names.append("\n").append(rule.place);
        }
    }
    return names;
}

// True if one of `words` (each followed by a blank) is `keyword`, or starts with it when it is a
// prefix.
bool HasWord(std::string_view words, const Keyword& keyword)
{
    for (std::size_t start = 0; start < words.size();)
    {
        const std::size_t end = words.find(' ', start);
        const std::string_view word = words.substr(start, end - start);
        if (keyword.prefix ? word.starts_with(keyword.text) : word == keyword.text)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

bool IsKeywordStartText(std::string_view typed)
{
    const std::size_t first = typed.find_first_not_of(" \t");
    const std::size_t last = typed.find_last_not_of(" \t");
    return first != std::string_view::npos &&
           AsciiLower(typed.substr(first, last - first + 1)) == AsciiLower(kKeywordStartText);
}

// One private in-memory database holding the whole index, with its search statements prepared
// and a splitter for the keywords.
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
        for (Statement& statement : m_search)
            statement.reset();
        sqlite3_close(m_db);
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Fill(const catalogue::Catalogue& catalogue, const std::vector<std::size_t>& ranked)
    {
        const auto placeTexts = PlaceTexts(catalogue);
        Execute(m_db, "BEGIN");
        for (std::string_view code : kRegionCodes)
        {
            Execute(m_db, "CREATE VIRTUAL TABLE " + TableName(code) +
                              " USING fts5(name, city, place, tokenize = '" + TokenizerArgument() +
                              "', prefix = '1 2 3')");
        }
        std::array<Statement, kRegionCodes.size()> inserts;
        for (std::size_t slot = 0; slot < kRegionCodes.size(); ++slot)
        {
            inserts[slot] = Prepare(m_db, "INSERT INTO " + TableName(kRegionCodes[slot]) +
                                              "(rowid, name, city, place) VALUES (?1, ?2, ?3, ?4)");
        }
        for (std::size_t row = 0; row < ranked.size(); ++row)
        {
            const catalogue::Paper& paper = catalogue.papers[ranked[row]];
            sqlite3_stmt* statement = inserts[RegionSlot(*paper.region)].get();
            sqlite3_reset(statement);
            // Row ids start at 1 so that they are never SQLite's "no row id" value.
            sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(row + 1));
            BindText(m_db, statement, 2, paper.name);
            BindText(m_db, statement, 3, paper.city);
            BindText(m_db, statement, 4,
                     placeTexts.at({paper.region, paper.place}) + LanguagePlaces(catalogue, paper));
            if (sqlite3_step(statement) != SQLITE_DONE)
                ThrowSqliteError(m_db, "insert");
        }
        for (Statement& insert : inserts)
            insert.reset();
        Execute(m_db, "COMMIT");
        for (std::string_view code : kRegionCodes)
        {
            const std::string table = TableName(code);
            Execute(m_db, "INSERT INTO " + table + "(" + table + ") VALUES ('optimize')");
        }
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

    // The database `image`, read where it is: every connection shares the one copy, read-only.
    // Opening takes microseconds where filling the index takes milliseconds, which piled up when
    // many threads searched for the first time.
    void Load(const std::vector<unsigned char>& image)
    {
        const auto size = static_cast<sqlite3_int64>(image.size());
        // Read-only and never freed by SQLite, so the const_cast writes nothing.
        if (sqlite3_deserialize(m_db, "main", const_cast<unsigned char*>(image.data()), size, size,
                                SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
        {
            ThrowSqliteError(m_db, "deserialize");
        }
        PrepareSearch();
    }

    // Row ids of the matches of `match` in region `slot`, in order. Throws SearchOverBudget when
    // `deadline` passes first.
    std::vector<std::size_t> Search(std::size_t slot, const std::string& match,
                                    const CpuDeadline& deadline)
    {
        sqlite3_stmt* statement = m_search[slot].get();
        sqlite3_reset(statement);
        BindText(m_db, statement, 1, match);
        sqlite3_progress_handler(
            m_db, kInstructionsPerCheck,
            [](void* context)
            { return static_cast<const CpuDeadline*>(context)->Passed() ? 1 : 0; },
            const_cast<CpuDeadline*>(&deadline));
        std::vector<std::size_t> rows;
        int status = SQLITE_ROW;
        while ((status = sqlite3_step(statement)) == SQLITE_ROW)
            rows.push_back(static_cast<std::size_t>(sqlite3_column_int64(statement, 0)));
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        sqlite3_reset(statement);
        if (status == SQLITE_INTERRUPT)
            deadline.ThrowIfPassed();
        if (status != SQLITE_DONE)
            ThrowSqliteError(m_db, "search");
        return rows;
    }

    const KeywordSplitter& Splitter() const { return m_splitter; }

private:
    void PrepareSearch()
    {
        for (std::size_t slot = 0; slot < kRegionCodes.size(); ++slot)
            m_search[slot] = Prepare(m_db, SearchSql(TableName(kRegionCodes[slot])));
    }

    sqlite3* m_db = nullptr;
    std::array<Statement, kRegionCodes.size()> m_search;
    KeywordSplitter m_splitter;
};

SearchStore::SearchStore(const catalogue::Catalogue& catalogue, const Alphabetical& order)
{
    // By default SQLite counts every allocation under one process-wide mutex; with several
    // threads searching at once, waiting for it took more time than the searches. This only
    // works before SQLite's first use in the process, and changes nothing else.
    static const int memoryStatistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)memoryStatistics;
    const std::vector<std::size_t> ranked = RankOrder(catalogue, order);
    auto first = std::make_unique<Connection>();
    first->Fill(catalogue, ranked);
    m_image = first->Image();
    m_rows.reserve(ranked.size());
    const auto appendWords = [&](std::string_view text)
    {
        for (const Keyword& word : first->Splitter().Split(text))
            m_words.append(word.text).append(" ");
        if (m_words.size() > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("too many words to index");
        return static_cast<std::uint32_t>(m_words.size());
    };
    for (std::size_t paper : ranked)
    {
        Row row{static_cast<std::uint32_t>(paper), static_cast<std::uint32_t>(m_words.size()), 0,
                0};
        row.city = appendWords(catalogue.papers[paper].name);
        row.end = appendWords(catalogue.papers[paper].city);
        m_rows.push_back(row);
    }
    m_words.shrink_to_fit();
    // The filling connection is not kept: FTS5 walks every slot of its table of pending writes
    // before each prefix query, and filling grew that table to thousands of slots, which cost
    // a third of a search's time. Connections loaded from the image start with a small one.
}

SearchStore::~SearchStore() = default;

int SearchStore::Tier(const Row& row, const Keywords& keywords) const
{
    const std::string_view words(m_words);
    const std::string_view name = words.substr(row.name, row.city - row.name);
    const std::string_view city = words.substr(row.city, row.end - row.city);
    int tier = 0;
    for (const Keyword& keyword : keywords)
    {
        if (HasWord(name, keyword))
            continue;
        if (!HasWord(city, keyword))
            return 2;
        tier = 1;
    }
    return tier;
}

SearchResult SearchStore::Search(const RegionInfo& region, std::string_view typed,
                                 std::size_t offset, std::size_t count,
                                 std::chrono::nanoseconds budget) const
{
    const CpuDeadline deadline(budget);
    const std::size_t slot = RegionSlot(region);
    std::unique_ptr<Connection> connection = Acquire();
    SearchResult result;
    Keywords keywords;
    std::vector<std::size_t> rows;
    try
    {
        keywords = connection->Splitter().Split(typed);
        result.hasWords = !keywords.empty() && !IsKeywordStartText(typed);
        if (result.hasWords)
            rows = connection->Search(slot, *MatchExpression(keywords), deadline);
    }
    catch (const SearchOverBudget&)
    {
        // The connection is sound, only interrupted. After any other failure it is dropped.
        Release(std::move(connection));
        throw;
    }
    Release(std::move(connection));

    // The index finds the papers; which of their fields hold the words decides their rank.
    // The rows come in size order, which each tier keeps, so the page needs no more than its
    // end's worth of each tier, and no more rows at all once the first tier fills it: a word
    // of one letter matches most of a region.
    result.total = rows.size();
    const std::size_t wanted = offset + count;
    std::array<std::vector<std::size_t>, 3> tiers;
    for (std::size_t i = 0; i < rows.size() && tiers[0].size() < wanted; ++i)
    {
        if (i % 4096 == 0)
            deadline.ThrowIfPassed();
        const Row& found = m_rows[rows[i] - 1];
        auto& tier = tiers[static_cast<std::size_t>(Tier(found, keywords))];
        if (tier.size() < wanted)
            tier.push_back(found.paper);
    }
    deadline.ThrowIfPassed();
    std::size_t skip = offset;
    for (const std::vector<std::size_t>& tier : tiers)
    {
        for (std::size_t paper : tier)
        {
            if (skip > 0)
                --skip;
            else if (result.papers.size() < count)
                result.papers.push_back(paper);
        }
    }
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
