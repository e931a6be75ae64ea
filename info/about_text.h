// The texts of the About box that are not fixed captions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tnews
{

/// The publisher's legal notice shown in the About box.
inline constexpr std::string_view kLegalNotice =
    "Tavi's Newspapers and all of its components and files are the property of Tavi Orlund, "
    "who reserves all rights in them. You may use this program on a single computer only. "
    "Copying or distributing the program or any of its files without written permission is "
    "strictly prohibited.";

/// "Version: A.B.C", each number in plain decimal.
std::string VersionCaption(std::int16_t major, std::int16_t minor, std::int16_t revision);

} // namespace tnews
