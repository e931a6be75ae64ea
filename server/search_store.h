// Keyword search over the catalogue with SQLite FTS5, safe to call from many threads at once.
#pragma once

#include "alphabetical.h"
#include "catalogue/catalogue_file.h"
#include "keywords.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

struct SearchResult
{
    std::vector<std::size_t> papers; // indexes into the catalogue's papers, best first
    std::size_t total = 0;           // matches in all, on every page
    bool hasWords = true;            // false: no word to look for, or the untouched start text
};

/// True if `typed` is the keyword box's start text, which the program may send untouched.
bool IsKeywordStartText(std::string_view typed);

/// Thrown by SearchStore::Search for a search that used up its time budget.
class SearchOverBudget : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// An in-memory full-text index of each paper's name, city, place and the place's other names
/// (its alias records, and the places a same-as rule sends to it), and the names of the places
/// whose language rule lists the paper, matched case- and accent-insensitively with the words
/// found by KeywordSplitter.
class SearchStore
{
public:
    /// Indexes the papers of `catalogue` (the store keeps no reference to it); `order` sorts
    /// names. Throws std::runtime_error when SQLite fails, for instance when it lacks FTS5.
    SearchStore(const catalogue::Catalogue& catalogue, const Alphabetical& order);
    ~SearchStore();
    SearchStore(const SearchStore&) = delete;
    SearchStore& operator=(const SearchStore&) = delete;

    /// The papers of `region` that have every word of `typed` in their name, city, place or
    /// place's other names, `count` of them from position `offset`. Ranked: papers with every
    /// word in the name, then in name and city, then the rest; among equals the larger papers
    /// first, by a proxy (no circulation is known): papers of the curated list, then papers that
    /// more sources list, then by name. Throws SearchOverBudget once the search has taken more
    /// than `budget` of its thread's processor time, and std::runtime_error if SQLite fails.
    SearchResult Search(const RegionInfo& region, std::string_view typed, std::size_t offset,
                        std::size_t count, std::chrono::nanoseconds budget) const;

private:
    class Connection;

    // A row of the index: its paper, and where the words of its name and of its city are in
    // m_words. Kept this small because a catalogue ten times today's has a million and a half
    // words.
    struct Row
    {
        std::uint32_t paper; // index in the catalogue's papers
        std::uint32_t name;  // the name's words from here,
        std::uint32_t city;  // the city's words from here,
        std::uint32_t end;   // up to here
    };

    // 0 when every word of `keywords` is in the row's name, 1 when each is in its name or city,
    // 2 otherwise (some word only in the place's names).
    int Tier(const Row& row, const Keywords& keywords) const;

    std::unique_ptr<Connection> Acquire() const;
    void Release(std::unique_ptr<Connection> connection) const;

    std::vector<Row> m_rows; // by row id - 1
    // The words of the rows' names and cities as the index has them, each followed by a blank,
    // which no word holds.
    std::string m_words;
    // The filled database, which every connection reads (and none writes); it outlives them.
    std::vector<unsigned char> m_image;
    // Connections not in use. Each thread takes one for the length of a query, so SQLite never
    // sees two threads on one connection; the pool grows to the number of concurrent searches.
    mutable std::mutex m_mutex;
    mutable std::vector<std::unique_ptr<Connection>> m_idle;
};

} // namespace tnews::server
