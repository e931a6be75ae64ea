// Keyword encoding: any bytes encode to unreserved characters and %XX only, and decoding the
// result gives back exactly those bytes. Decoding any text at all never crashes.
#include "directory/query_encoding.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using tnews::fuzz::Check;

namespace
{

bool IsEncodedCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '%';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::string encoded = tnews::EncodeQueryValue(text);
    for (char c : encoded)
        Check(IsEncodedCharacter(c), "encoding has only unreserved characters and %XX");
    const std::optional<std::string> decoded = tnews::DecodeQueryValue(encoded);
    Check(decoded.has_value(), "an encoded text decodes");
    Check(*decoded == text, "decoding gives back the bytes encoded");

    // Any text, as a hostile URL may carry it: decoding it and encoding the result is stable.
    if (const auto any = tnews::DecodeQueryValue(text))
    {
        Check(any->size() <= text.size(), "decoding never grows a text");
        Check(tnews::DecodeQueryValue(tnews::EncodeQueryValue(*any)) == any, "stable round trip");
    }
    return 0;
}
