// Pages as the server sends them: compressed once when they are rendered, each form with its
// entity tag, and the choices a request's Accept-Encoding and If-None-Match fields make.
#pragma once

#include "file_content.h"

#include <memory>
#include <string>
#include <string_view>

namespace tnews::server
{

/// A page's bytes, shared by whatever keeps the page and the answers that send it.
using SharedPage = std::shared_ptr<const std::string>;

/// A content coding the server can send a page in.
enum class Coding
{
    Identity,
    Gzip,
};

/// A rendered page in the forms the server sends it in.
struct EncodedPage
{
    SharedPage identity;  // never null; empty when the page is sent from `file`
    SharedFile file;      // the page as it is, when it stays in its file; else null
    SharedPage gzip;      // null when the page is not kept compressed in memory
    SharedFile gzipFile;  // its gzip form when that stays in its file; else null
    std::string etag;     // strong entity tag of the page as it is, quotes included
    std::string gzipEtag; // of its gzip form; empty when there is none

    bool HasGzip() const { return gzip || gzipFile; }
    /// The page in `coding`, identity when not kept in it: in memory (Bytes), or, when File
    /// isn't null, in that file, and Bytes is empty. And the entity tag of those bytes.
    const SharedPage& Bytes(Coding coding) const;
    const SharedFile& File(Coding coding) const;
    const std::string& Etag(Coding coding) const;
    /// Bytes held in memory, in all forms.
    std::size_t Size() const;
};

using SharedEncodedPage = std::shared_ptr<const EncodedPage>;

/// How hard zlib tries: thoroughly for what is rendered once and sent many times (about a
/// millisecond per 40 KB), fast for a page rendered on the request that first asks for it.
enum class Compression
{
    Thorough,
    Fast,
};

/// `page` with its gzip form (zlib), kept when it is smaller.
SharedEncodedPage EncodePage(std::string page, Compression compression = Compression::Thorough);
SharedEncodedPage EncodePage(SharedPage page, Compression compression = Compression::Thorough);

/// The page `file` holds, sent from the file. Its gzip form is `gzipFile`, sent from that file,
/// when its gzip trailer names the page's length and CRC-32; else it is made here and kept in
/// memory. Throws std::system_error when a file can't be read.
SharedEncodedPage EncodeFile(SharedFile file, SharedFile gzipFile = nullptr);

/// `page` alone, for answers made for one request (errors, the update answer).
SharedEncodedPage PlainPage(std::string page);

/// The coding to send for a request whose Accept-Encoding field is `acceptEncoding` ("" when
/// absent), when the page exists in gzip too (`hasGzip`): the acceptable one with the highest
/// q-value (RFC 9110, 12.5.3), gzip on a tie, identity when not named coming after any coding
/// named; identity when nothing acceptable is kept, and for a field that names no coding.
/// Malformed elements are ignored.
Coding ChooseCoding(std::string_view acceptEncoding, bool hasGzip);

/// True when an If-None-Match field `ifNoneMatch` names `etag` by weak comparison, or is "*".
/// A malformed field names nothing.
bool NoneMatchNames(std::string_view ifNoneMatch, std::string_view etag);

} // namespace tnews::server
