// The URL builders with any region code, any 16-bit drop-down position and version, any host and
// any keywords. Input: position, major, minor and revision as little-endian 16-bit integers,
// then the code, a line feed, the host, a line feed, and the keywords.
#include "directory/catalogue.h"
#include "directory/query_encoding.h"
#include "directory/server_urls.h"
#include "fuzz_check.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

using tnews::fuzz::Check;

namespace
{

std::int16_t TakeInt16(std::string_view& input)
{
    std::uint8_t bytes[2] = {0, 0};
    for (std::uint8_t& byte : bytes)
    {
        if (!input.empty())
        {
            byte = static_cast<std::uint8_t>(input.front());
            input.remove_prefix(1);
        }
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)));
}

std::string_view TakeLine(std::string_view& input)
{
    const std::size_t end = std::min(input.find('\n'), input.size());
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(std::min(end + 1, input.size()));
    return line;
}

// The number at the start of `text` up to `stop`, removed from it.
int TakeNumber(std::string_view& text, char stop)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    Check(error == std::errc(), "version part is a number");
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (stop != '\0')
    {
        Check(!text.empty() && text.front() == stop, "version parts are separated by dots");
        text.remove_prefix(1);
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::int16_t position = TakeInt16(input);
    const std::int16_t major = TakeInt16(input);
    const std::int16_t minor = TakeInt16(input);
    const std::int16_t revision = TakeInt16(input);
    const std::string_view code = TakeLine(input);
    const std::string_view host = TakeLine(input);
    const std::string_view keywords = input;

    const tnews::RegionInfo* region = tnews::FindRegion(code);
    const std::optional<std::string> query = tnews::RegionQueryUrl(code, host);
    Check(query.has_value() == (region != nullptr), "a region query URL exactly for c, u and i");

    const std::optional<std::string> listing = tnews::ListingUrl(code, position, host);
    const bool listed =
        region && position >= 1 && static_cast<std::size_t>(position) <= region->places.size();
    Check(listing.has_value() == listed, "a listing URL exactly for positions 1 to the last");
    if (listing)
    {
        const std::string place(region->places[static_cast<std::size_t>(position) - 1]);
        Check(*listing == *query + "&" + std::string(region->placeKey) + "=" + place,
              "the listing URL is the region query with the place at that position");
        Check(listing->starts_with("http://" + std::string(tnews::kUserName) + ":" +
                                   std::string(tnews::kListingPassword) + "@"),
              "the listing URL carries the listing credentials");
    }

    const std::optional<std::string> search = tnews::KeywordSearchUrl(code, keywords, host);
    Check(search.has_value() == (region != nullptr), "a search URL exactly for c, u and i");
    if (search)
    {
        const std::string prefix = *query + "&skwords=";
        Check(search->starts_with(prefix), "the search URL extends the region query");
        const std::string_view encoded = std::string_view(*search).substr(prefix.size());
        Check(encoded.find_first_of("&#+ ") == std::string_view::npos,
              "the keywords can't end the value or start another parameter");
        Check(tnews::DecodeQueryValue(encoded) == std::string(keywords),
              "the server decodes exactly the keywords typed");
    }

    const std::string update = tnews::UpdateQueryUrl(major, minor, revision, host);
    const std::string updatePrefix = "http://" + std::string(tnews::kUserName) + ":" +
                                     std::string(tnews::kUpdatePassword) + "@" + std::string(host) +
                                     "/updates/tnewss.php?version=";
    Check(update.starts_with(updatePrefix), "the update URL names the update script");
    std::string_view version = std::string_view(update).substr(updatePrefix.size());
    Check(TakeNumber(version, '.') == major, "major version survives");
    Check(TakeNumber(version, '.') == minor, "minor version survives");
    Check(TakeNumber(version, '\0') == revision, "revision survives");
    Check(version.empty(), "nothing follows the version");

    Check(tnews::PublisherWebsiteUrl(host) == "http://" + std::string(host) + "/",
          "the publisher's URL has no credentials");
    return 0;
}
