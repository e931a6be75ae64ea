#include "encoded_page.h"

#include "catalogue/gzip.h"
#include "directory/ascii.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>

namespace tnews::server
{
namespace
{

using catalogue::GzipLevel;

// zlib's default level for what is rendered once and sent many times: the listings, and the
// exports when they come without their gzip forms. A page rendered for a request, a search's,
// takes the fastest level: half the time of the default for a page 10 % larger, where
// compressing was a third of a distinct search's cost.
GzipLevel LevelOf(Compression compression)
{
    return compression == Compression::Fast ? GzipLevel::Fastest : GzipLevel::Default;
}

// zlib counts bytes in uInt, 4 GiB; no page comes near that.
uInt ZlibSize(std::string_view bytes)
{
    if (bytes.size() > std::numeric_limits<uInt>::max())
        throw std::length_error("a page too large for zlib");
    return static_cast<uInt>(bytes.size());
}

const Bytef* ZlibBytes(std::string_view bytes)
{
    return reinterpret_cast<const Bytef*>(bytes.data());
}

// Two independent checksums of zlib's and the length: 64 bits that tell apart the versions one
// address has from one catalogue to the next. Replicas of one build give the same tags.
class EntityTagger
{
public:
    void Add(std::string_view bytes)
    {
        m_crc = crc32(m_crc, ZlibBytes(bytes), ZlibSize(bytes));
        m_adler = adler32(m_adler, ZlibBytes(bytes), ZlibSize(bytes));
        m_size += bytes.size();
    }

    std::string Tag() const
    {
        std::string tag = "\"";
        for (const std::uint64_t value : {m_size, std::uint64_t{m_crc}, std::uint64_t{m_adler}})
        {
            for (int shift = 24; shift >= 0; shift -= 8)
                AppendHexByte(tag, static_cast<unsigned char>(value >> shift), false);
        }
        tag += '"';
        return tag;
    }

    /// Of the bytes added so far: their CRC-32, and how many.
    uLong Crc() const { return m_crc; }
    std::uint64_t Size() const { return m_size; }

private:
    uLong m_crc = crc32(0, nullptr, 0);
    uLong m_adler = adler32(0, nullptr, 0);
    std::uint64_t m_size = 0;
};

std::string EntityTag(std::string_view bytes)
{
    EntityTagger tagger;
    tagger.Add(bytes);
    return tagger.Tag();
}

// Gives each piece of `file` in turn to `take`, in a buffer of its own.
template <typename Take> void ReadThrough(const FileContent& file, Take take)
{
    std::string buffer(1024 * 1024, '\0');
    for (std::uint64_t offset = 0; offset < file.Size();)
    {
        const std::string_view piece(buffer.data(), file.ReadAt(offset, buffer));
        take(piece);
        offset += piece.size();
    }
}

// True when `gzipFile` is a gzip member whose trailer names the bytes `tagger` has seen.
bool HoldsGzipOf(const FileContent& gzipFile, const EntityTagger& tagger)
{
    // A header of 10 bytes and the trailer of 8 at least.
    if (gzipFile.Size() < 18)
        return false;
    char head[3];
    char tail[8];
    gzipFile.ReadAt(0, head);
    gzipFile.ReadAt(gzipFile.Size() - sizeof tail, tail);
    const auto trailer = catalogue::ReadGzipTrailer({head, sizeof head}, {tail, sizeof tail});
    return trailer && trailer->crc == static_cast<std::uint32_t>(tagger.Crc()) &&
           trailer->size == static_cast<std::uint32_t>(tagger.Size());
}

// Keeps `compressed` as `encoded`'s gzip form when it is smaller than the page, `size` bytes.
void KeepGzip(EncodedPage& encoded, std::string compressed, std::uint64_t size)
{
    if (compressed.size() >= size)
        return;
    // zlib gives the same bytes for the same page, so the page's tag tells them apart too.
    encoded.gzipEtag = encoded.etag;
    encoded.gzipEtag.insert(encoded.gzipEtag.size() - 1, "-gzip");
    encoded.gzip = std::make_shared<const std::string>(std::move(compressed));
}

// A qvalue in thousandths: "0", "0.5", "1", "1.000" (RFC 9110, 12.4.2); nothing when malformed.
std::optional<int> ParseQValue(std::string_view text)
{
    if (text.empty() || (text[0] != '0' && text[0] != '1') ||
        (text.size() > 1 && (text[1] != '.' || text.size() > 5)))
    {
        return std::nullopt;
    }
    int value = (text[0] - '0') * 1000;
    int scale = 100;
    for (char c : text.substr(std::min<std::size_t>(text.size(), 2)))
    {
        if (c < '0' || c > '9')
            return std::nullopt;
        value += (c - '0') * scale;
        scale /= 10;
    }
    if (value > 1000)
        return std::nullopt;
    return value;
}

// The coding an Accept-Encoding element names, in lower case, and its weight in thousandths;
// nothing when the element is malformed.
std::optional<std::pair<std::string, int>> ParseElement(std::string_view element)
{
    const std::size_t semicolon = element.find(';');
    std::pair<std::string, int> coding{AsciiLower(TrimBlanks(element.substr(0, semicolon))), 1000};
    if (coding.first.empty())
        return std::nullopt;
    if (semicolon == std::string_view::npos)
        return coding;
    const std::string_view parameter = TrimBlanks(element.substr(semicolon + 1));
    if (!StartsWithAsciiCaseless(parameter, "q="))
        return std::nullopt;
    const std::optional<int> weight = ParseQValue(parameter.substr(2));
    if (!weight)
        return std::nullopt;
    coding.second = *weight;
    return coding;
}

} // namespace

const SharedPage& EncodedPage::Bytes(Coding coding) const
{
    return coding == Coding::Gzip && gzip ? gzip : identity;
}

const SharedFile& EncodedPage::File(Coding coding) const
{
    return coding == Coding::Gzip && HasGzip() ? gzipFile : file;
}

const std::string& EncodedPage::Etag(Coding coding) const
{
    return coding == Coding::Gzip && HasGzip() ? gzipEtag : etag;
}

std::size_t EncodedPage::Size() const
{
    return identity->size() + (gzip ? gzip->size() : 0);
}

SharedEncodedPage EncodePage(std::string page, Compression compression)
{
    // Pages are built by appending, which leaves up to as much again unused.
    page.shrink_to_fit();
    return EncodePage(std::make_shared<const std::string>(std::move(page)), compression);
}

SharedEncodedPage EncodePage(SharedPage page, Compression compression)
{
    auto encoded = std::make_shared<EncodedPage>();
    encoded->etag = EntityTag(*page);
    KeepGzip(*encoded, catalogue::Gzip(*page, LevelOf(compression)), page->size());
    encoded->identity = std::move(page);
    return encoded;
}

SharedEncodedPage EncodeFile(SharedFile file, SharedFile gzipFile)
{
    auto encoded = std::make_shared<EncodedPage>();
    EntityTagger tagger;
    ReadThrough(*file, [&](std::string_view piece) { tagger.Add(piece); });
    encoded->etag = tagger.Tag();
    encoded->identity = std::make_shared<const std::string>();
    if (gzipFile && HoldsGzipOf(*gzipFile, tagger))
    {
        if (gzipFile->Size() < file->Size())
        {
            EntityTagger gzipTagger;
            ReadThrough(*gzipFile, [&](std::string_view piece) { gzipTagger.Add(piece); });
            encoded->gzipEtag = gzipTagger.Tag();
            encoded->gzipFile = std::move(gzipFile);
        }
    }
    else
    {
        catalogue::GzipWriter gzipper(GzipLevel::Default);
        ReadThrough(*file, [&](std::string_view piece) { gzipper.Add(piece); });
        KeepGzip(*encoded, std::move(gzipper).Finish(), file->Size());
    }
    encoded->file = std::move(file);
    return encoded;
}

SharedEncodedPage PlainPage(std::string page)
{
    auto encoded = std::make_shared<EncodedPage>();
    encoded->etag = EntityTag(page);
    encoded->identity = std::make_shared<const std::string>(std::move(page));
    return encoded;
}

Coding ChooseCoding(std::string_view acceptEncoding, bool hasGzip)
{
    std::optional<int> gzip;
    std::optional<int> identity;
    std::optional<int> any;
    for (std::size_t start = 0; start <= acceptEncoding.size();)
    {
        const std::size_t comma = std::min(acceptEncoding.find(',', start), acceptEncoding.size());
        if (const auto element = ParseElement(acceptEncoding.substr(start, comma - start)))
        {
            const auto& [name, weight] = *element;
            if (name == "gzip" || name == "x-gzip") // RFC 9110, 8.4.1.3: the same coding
                gzip = weight;
            else if (name == "identity")
                identity = weight;
            else if (name == "*")
                any = weight;
        }
        start = comma + 1;
    }
    // "*" stands for every coding not named. Identity is acceptable unless excluded, and unless
    // named it comes after any coding the client names: "gzip;q=0.5" asks for gzip.
    const int gzipWeight = gzip.value_or(any.value_or(0));
    const int identityWeight = identity.value_or(any.value_or(1));
    return hasGzip && gzipWeight > 0 && gzipWeight >= identityWeight ? Coding::Gzip
                                                                     : Coding::Identity;
}

bool NoneMatchNames(std::string_view ifNoneMatch, std::string_view etag)
{
    std::string_view rest = TrimBlanks(ifNoneMatch);
    if (rest == "*")
        return true;
    // Weak comparison: W/"x" and "x" name the same tag.
    const std::string_view opaque = etag.starts_with("W/") ? etag.substr(2) : etag;
    while (!rest.empty())
    {
        if (rest.starts_with("W/"))
            rest.remove_prefix(2);
        if (!rest.starts_with('"'))
            return false;
        const std::size_t close = rest.find('"', 1);
        if (close == std::string_view::npos)
            return false;
        if (rest.substr(0, close + 1) == opaque)
            return true;
        rest = TrimBlanks(rest.substr(close + 1));
        if (!rest.empty() && !rest.starts_with(','))
            return false;
        // Lists may hold empty elements (RFC 9110, 5.6.1).
        while (rest.starts_with(','))
            rest = TrimBlanks(rest.substr(1));
    }
    return false;
}

} // namespace tnews::server
