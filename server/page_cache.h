// Pages already rendered for a request, kept so that asking again costs a lookup.
#pragma once

#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tnews::server
{

/// A least-recently-used map from keys to pages, holding at most `capacityBytes` of keys and
/// pages together; safe to use from any number of threads at once.
class PageCache
{
public:
    explicit PageCache(std::size_t capacityBytes) : m_capacity(capacityBytes) {}

    /// A copy of the page stored under `key`, which becomes the most recently used; nothing if
    /// there is none.
    std::optional<std::string> Find(const std::string& key) const;

    /// Stores `page` under `key`, dropping the least recently used pages until all fit. A page
    /// larger than the whole capacity is not stored.
    void Insert(const std::string& key, const std::string& page);

private:
    using Entry = std::pair<std::string, std::string>; // key, page
    static std::size_t Size(const Entry& entry) { return entry.first.size() + entry.second.size(); }

    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    mutable std::list<Entry> m_entries; // most recently used first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> m_index; // keys in m_entries
    std::size_t m_bytes = 0;
};

} // namespace tnews::server
