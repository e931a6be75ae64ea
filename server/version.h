// Program versions as the update query sends them: "A.B.C".
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace tnews::server
{

struct Version
{
    int major = 0;
    int minor = 0;
    int revision = 0;

    auto operator<=>(const Version&) const = default;
};

/// The version written as "A.B.C", each number 1 to 5 decimal digits with a value of at most
/// 32767 (the program keeps them in 16-bit integers). Nothing for anything else, including
/// signs, blanks, missing or extra parts.
std::optional<Version> ParseVersion(std::string_view text);

/// "A.B.C" in plain decimal, as the program writes it (VersionText).
std::string FormatVersion(Version version);

} // namespace tnews::server
