// Keyword search over the catalogue with SQLite FTS5, safe to call from many threads at once.
#pragma once

#include "catalogue_file.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

struct SearchResult
{
    std::vector<std::size_t> newspapers; // indexes into the store's newspapers, best first
    std::size_t total = 0;               // matches in all, including those past the limit
};

/// An in-memory full-text index of names, cities and places, matched case- and
/// accent-insensitively (unicode61 tokenizer, diacritics removed).
class SearchStore
{
public:
    /// Indexes `newspapers` (the store keeps no reference to them); throws std::runtime_error
    /// when SQLite fails, for instance when it lacks FTS5.
    explicit SearchStore(std::span<const Newspaper> newspapers);
    ~SearchStore();
    SearchStore(const SearchStore&) = delete;
    SearchStore& operator=(const SearchStore&) = delete;

    /// The newspapers of `region` matching `matchExpression` (as built by MatchExpression),
    /// ranked by bm25 with names weighing most, at most `limit` of them. Throws
    /// std::runtime_error if SQLite rejects the query.
    SearchResult Search(const RegionInfo& region, const std::string& matchExpression,
                        std::size_t limit) const;

private:
    class Connection;

    std::unique_ptr<Connection> Acquire() const;
    void Release(std::unique_ptr<Connection> connection) const;

    std::vector<unsigned char> m_image; // the filled database, copied into new connections
    // Connections not in use. Each thread takes one for the length of a query, so SQLite never
    // sees two threads on one connection; the pool grows to the number of concurrent searches.
    mutable std::mutex m_mutex;
    mutable std::vector<std::unique_ptr<Connection>> m_idle;
};

} // namespace tnews::server
