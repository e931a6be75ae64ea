// HTTP Basic authentication as the program's browser pane sends it after a 401 challenge.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tnews::server
{

/// Standard base64 (RFC 4648 alphabet, '=' padding required). Nothing for a length that is not
/// a multiple of four, a character outside the alphabet, or misplaced padding.
std::optional<std::string> DecodeBase64(std::string_view text);

/// The user name of a well-formed "Basic" Authorization value, for the access log; nothing
/// when the value is malformed. The password is never returned.
std::optional<std::string> BasicUserName(std::string_view authorization);

/// True if `authorization` is "Basic " (scheme in any case) followed by the base64 of
/// "user:password" exactly. The comparison takes the same time whichever byte differs, so
/// timing tells a client nothing about the password.
bool HasBasicCredentials(std::string_view authorization, std::string_view user,
                         std::string_view password);

} // namespace tnews::server
