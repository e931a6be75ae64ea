#include "page_cache.h"

namespace tnews::server
{

SharedEncodedPage PageCache::Find(const std::string& key) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_index.find(key);
    if (found == m_index.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, found->second);
    return found->second->second;
}

void PageCache::Insert(const std::string& key, SharedEncodedPage page)
{
    if (key.size() + page->Size() > m_capacity)
        return;
    std::lock_guard lock(m_mutex);
    if (m_index.contains(key))
        return; // another thread rendered the same page meanwhile
    m_entries.emplace_front(key, std::move(page));
    m_index.emplace(m_entries.front().first, m_entries.begin());
    m_bytes += Size(m_entries.front());
    while (m_bytes > m_capacity)
    {
        const Entry& oldest = m_entries.back();
        m_bytes -= Size(oldest);
        m_index.erase(oldest.first);
        m_entries.pop_back();
    }
}

} // namespace tnews::server
