// How many submissions one address may make in an hour.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tnews::server
{

/// A sliding hour per address, safe from any thread. IPv6 addresses count by their /64, the
/// block one subscriber gets, so that a client can't escape the limit by changing its address
/// within it.
class SubmissionLimit
{
public:
    using Clock = std::chrono::steady_clock;

    explicit SubmissionLimit(std::size_t perHour) : m_perHour(perHour) {}

    /// Takes a slot for `client` at `now`: zero when taken, else how long until one frees (at
    /// least a second).
    std::chrono::seconds Take(std::string_view client, Clock::time_point now);

    /// Gives back the slot `client` took at `now`, for a submission that was not recorded.
    void GiveBack(std::string_view client, Clock::time_point now);

private:
    void Forget(Clock::time_point now);

    const std::size_t m_perHour;
    std::mutex m_mutex;
    std::unordered_map<std::string, std::deque<Clock::time_point>> m_taken; // oldest first
    std::size_t m_forgetAt = 1024; // addresses held before the idle ones are forgotten
};

/// The key `client` counts under: an IPv4 address as it is (an IPv4-mapped IPv6 one too), the
/// first 64 bits of any other IPv6 address, and anything that is no address as it is.
std::string AddressBlock(std::string_view client);

} // namespace tnews::server
