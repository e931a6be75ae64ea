// The directory-server addresses other than the listing URLs: keyword search, update query and
// the publisher's website.
#pragma once

#include "tnews/build_config.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tnews
{

/// Password of the update script (the listing scripts have their own, kListingPassword).
inline constexpr std::string_view kUpdatePassword = "hup39zk5wcaj7fen";

/// The region's query prefix + "&skwords=" + the keywords percent-encoded as a query value, so
/// the server receives exactly what was typed; "" gives a URL ending in "&skwords=". Nothing for
/// any code other than "c", "u" or "i".
std::optional<std::string> KeywordSearchUrl(std::string_view code, std::string_view keywords,
                                            std::string_view host = DirectoryHost);

/// A version as the program sends and shows it: "A.B.C", each number in plain decimal, never
/// padded.
std::string VersionText(int major, int minor, int revision);

/// "http://tnewsuser:<update password>@host/updates/tnewss.php?version=A.B.C", the version as
/// VersionText writes it.
std::string UpdateQueryUrl(std::int16_t major, std::int16_t minor, std::int16_t revision,
                           std::string_view host = DirectoryHost);

/// The publisher's website, "http://host/", with no user name or password.
std::string PublisherWebsiteUrl(std::string_view host = DirectoryHost);

} // namespace tnews
