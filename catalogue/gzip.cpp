#include "gzip.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

namespace tnews::catalogue
{
namespace
{

// A window of 2^15 bytes, plus 16: a gzip header and trailer rather than zlib's.
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;
// zlib counts bytes in uInt, 4 GiB at a time.
constexpr std::size_t kZlibMax = std::numeric_limits<uInt>::max();

int ZlibLevel(GzipLevel level)
{
    switch (level)
    {
    case GzipLevel::Fastest:
        return Z_BEST_SPEED;
    case GzipLevel::Smallest:
        return Z_BEST_COMPRESSION;
    case GzipLevel::Default:
        break;
    }
    return Z_DEFAULT_COMPRESSION;
}

std::uint32_t LittleEndian32(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return value;
}

} // namespace

GzipWriter::GzipWriter(GzipLevel level, std::size_t expectedSize)
    : m_stream(std::make_unique<z_stream>())
{
    if (deflateInit2(m_stream.get(), ZlibLevel(level), Z_DEFLATED, kGzipWindowBits, kMemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK)
    {
        throw std::bad_alloc();
    }
    // With room for deflateBound's bytes, bytes added in one piece are compressed in one call.
    m_out.resize(
        deflateBound(m_stream.get(), static_cast<uLong>(std::min(expectedSize, kZlibMax))));
}

GzipWriter::~GzipWriter()
{
    deflateEnd(m_stream.get());
}

void GzipWriter::Add(std::string_view bytes)
{
    while (bytes.size() > kZlibMax)
    {
        Deflate(bytes.substr(0, kZlibMax), Z_NO_FLUSH);
        bytes.remove_prefix(kZlibMax);
    }
    Deflate(bytes, Z_NO_FLUSH);
}

std::string GzipWriter::Finish() &&
{
    Deflate({}, Z_FINISH);
    m_out.resize(m_stream->total_out);
    m_out.shrink_to_fit();
    return std::move(m_out);
}

void GzipWriter::Deflate(std::string_view bytes, int flush)
{
    m_stream->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    m_stream->avail_in = static_cast<uInt>(bytes.size());
    for (;;)
    {
        if (m_stream->total_out == m_out.size())
            m_out.resize(m_out.size() + m_out.size() / 2 + 4096);
        m_stream->next_out = reinterpret_cast<Bytef*>(m_out.data() + m_stream->total_out);
        m_stream->avail_out =
            static_cast<uInt>(std::min(m_out.size() - m_stream->total_out, kZlibMax));
        const int status = deflate(m_stream.get(), flush);
        if (status == Z_STREAM_END)
            return;
        if (status != Z_OK && status != Z_BUF_ERROR)
            throw std::runtime_error("zlib could not compress");
        // Without Z_FINISH, zlib is done once it has taken every byte with room left over.
        if (flush == Z_NO_FLUSH && m_stream->avail_in == 0 && m_stream->avail_out > 0)
            return;
    }
}

std::string Gzip(std::string_view bytes, GzipLevel level)
{
    GzipWriter writer(level, bytes.size());
    writer.Add(bytes);
    return std::move(writer).Finish();
}

std::optional<GzipTrailer> ReadGzipTrailer(std::string_view head, std::string_view tail)
{
    // ID1, ID2 and CM = deflate.
    if (head.size() < 3 || tail.size() < 8 || head.substr(0, 3) != "\x1f\x8b\x08")
        return std::nullopt;
    tail = tail.substr(tail.size() - 8);
    return GzipTrailer{LittleEndian32(tail.substr(0, 4)), LittleEndian32(tail.substr(4, 4))};
}

} // namespace tnews::catalogue
