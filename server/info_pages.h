// The pages outside the directory scripts: update answer, publisher's page and error pages.
#pragma once

#include "catalogue_file.h"
#include "version.h"

#include <span>
#include <string>
#include <string_view>

namespace tnews::server
{

/// The update script's answer for a program at `running`: "Version A.B.C is the current
/// version." when running >= latest, otherwise which newer version exists with a link to
/// `publisherUrl` (the words "current version" then appear nowhere).
std::string UpdatePage(Version running, Version latest, std::string_view publisherUrl);

/// The publisher's page: what the program is and how many newspapers and places the catalogue
/// holds for each region. It carries no user name or password.
std::string PublisherPage(std::span<const Newspaper> newspapers, Version latest);

/// A short page for an error: `title` as heading and `message` as text, both escaped.
std::string ErrorPage(std::string_view title, std::string_view message);

} // namespace tnews::server
