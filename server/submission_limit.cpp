#include "submission_limit.h"

#include <boost/asio/ip/address.hpp>

#include <algorithm>

namespace tnews::server
{
namespace
{

constexpr std::chrono::hours kWindow{1};

} // namespace

std::string AddressBlock(std::string_view client)
{
    boost::system::error_code error;
    const boost::asio::ip::address address =
        boost::asio::ip::make_address(std::string(client), error);
    if (error)
        return std::string(client);
    if (address.is_v4())
        return address.to_string();
    const boost::asio::ip::address_v6 v6 = address.to_v6();
    if (v6.is_v4_mapped())
        return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, v6).to_string();
    boost::asio::ip::address_v6::bytes_type bytes = v6.to_bytes();
    std::fill(bytes.begin() + 8, bytes.end(), 0);
    return boost::asio::ip::address_v6(bytes).to_string() + "/64";
}

std::chrono::seconds SubmissionLimit::Take(std::string_view client, Clock::time_point now)
{
    const std::string block = AddressBlock(client);
    std::lock_guard lock(m_mutex);
    if (m_taken.size() >= m_forgetAt)
        Forget(now);
    std::deque<Clock::time_point>& taken = m_taken[block];
    while (!taken.empty() && taken.front() <= now - kWindow)
        taken.pop_front();
    if (taken.size() >= m_perHour)
    {
        const auto wait = std::chrono::ceil<std::chrono::seconds>(taken.front() + kWindow - now);
        return std::max(wait, std::chrono::seconds(1));
    }
    taken.push_back(now);
    return std::chrono::seconds(0);
}

void SubmissionLimit::GiveBack(std::string_view client, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_taken.find(AddressBlock(client));
    if (found == m_taken.end())
        return;
    std::deque<Clock::time_point>& taken = found->second;
    if (const auto slot = std::ranges::find(taken, now); slot != taken.end())
        taken.erase(slot);
}

void SubmissionLimit::Forget(Clock::time_point now)
{
    // Addresses whose hour has passed hold nothing; the table then grows only with the
    // addresses of the last hour, and is swept again when it has doubled.
    std::erase_if(m_taken, [&](const auto& entry)
                  { return entry.second.empty() || entry.second.back() <= now - kWindow; });
    m_forgetAt = std::max<std::size_t>(1024, m_taken.size() * 2);
}

} // namespace tnews::server
