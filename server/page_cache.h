// Pages already rendered for a request, kept so that asking again costs a lookup.
#pragma once

#include "encoded_page.h"

#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tnews::server
{

/// A least-recently-used map from keys to pages, holding at most `capacityBytes` of keys and
/// pages (in all their forms) together; safe to use from any number of threads at once.
class PageCache
{
public:
    explicit PageCache(std::size_t capacityBytes) : m_capacity(capacityBytes) {}

    /// The page stored under `key`, which becomes the most recently used; null if there is
    /// none.
    SharedEncodedPage Find(const std::string& key) const;

    /// Stores `page` (not null) under `key`, dropping the least recently used pages until all
    /// fit. A page larger than the whole capacity is not stored.
    void Insert(const std::string& key, SharedEncodedPage page);

private:
    using Entry = std::pair<std::string, SharedEncodedPage>; // key, page
    static std::size_t Size(const Entry& entry)
    {
        return entry.first.size() + entry.second->Size();
    }

    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    mutable std::list<Entry> m_entries; // most recently used first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> m_index; // keys in m_entries
    std::size_t m_bytes = 0;
};

} // namespace tnews::server
