// Where a request's head ends in the bytes a connection has received, with limits on its size,
// found before any of it is parsed so that a hostile client can't make the server hold more.
#pragma once

#include <cstddef>
#include <string_view>

namespace tnews::server
{

/// Longest request line, CR LF included; a longer one gets 414.
inline constexpr std::size_t kMaxRequestLineBytes = 8192;
/// Longest head, request line and header fields together; a longer one gets 431.
inline constexpr std::size_t kMaxHeadBytes = 32 * 1024;
/// Most header fields in one request; more get 431.
inline constexpr std::size_t kMaxHeaderFields = 100;

enum class HeadStatus
{
    Incomplete,   // the head may still end within the limits
    Complete,     // size and hasBody are set
    LineTooLong,  // the request line passes kMaxRequestLineBytes
    HeadTooLarge, // the head passes kMaxHeadBytes or kMaxHeaderFields
};

struct RequestHead
{
    HeadStatus status = HeadStatus::Incomplete;
    std::size_t size = 0; // bytes up to and including the empty line that ends the head
    bool hasBody = false; // a Content-Length other than 0, or any Transfer-Encoding
};

/// The head at the start of `received`, read the way httplib reads it: lines end at LF, the
/// first is the request line, and the head ends at the first later line that is exactly CR LF.
RequestHead FindRequestHead(std::string_view received);

} // namespace tnews::server
