// gzip (RFC 1952) with zlib, for the files the catalogue tool writes and the pages the server
// sends: one compressor, whether the bytes come in one piece or in several.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct z_stream_s; // zlib's

namespace tnews::catalogue
{

/// zlib's levels: the fastest, the default (within 2 % of the smallest in less than half its
/// time), and the smallest.
enum class GzipLevel
{
    Fastest,
    Default,
    Smallest,
};

/// A gzip member built from bytes added a piece at a time.
class GzipWriter
{
public:
    /// `expectedSize`: the bytes to come, if known, so that one piece is compressed in one go.
    /// Throws std::bad_alloc when zlib can't start.
    explicit GzipWriter(GzipLevel level, std::size_t expectedSize = 0);
    ~GzipWriter();
    GzipWriter(const GzipWriter&) = delete;
    GzipWriter& operator=(const GzipWriter&) = delete;

    void Add(std::string_view bytes);
    /// The whole member; the writer takes nothing after it.
    std::string Finish() &&;

private:
    void Deflate(std::string_view bytes, int flush);

    std::unique_ptr<z_stream_s> m_stream;
    std::string m_out;
};

/// `bytes` gzipped whole.
std::string Gzip(std::string_view bytes, GzipLevel level);

/// What a gzip member's trailer says of the bytes it holds: their CRC-32 and their length
/// modulo 2^32 (RFC 1952, 2.3.1).
struct GzipTrailer
{
    std::uint32_t crc = 0;
    std::uint32_t size = 0;
};

/// The trailer of a gzip file that begins with `head` (at least its first 3 bytes) and ends with
/// `tail` (its last 8); nothing when `head` is not the start of a deflated gzip member.
std::optional<GzipTrailer> ReadGzipTrailer(std::string_view head, std::string_view tail);

} // namespace tnews::catalogue
