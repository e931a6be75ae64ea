// The pages outside the directory scripts: update answer, publisher's page and error pages.
#pragma once

#include "catalogue/catalogue_file.h"
#include "paper_items.h"
#include "site_data.h"
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

/// The publisher's page: what the program is, how many papers and places the catalogue holds
/// for each region and how many of them are reported closed, where the papers come from with
/// each source's licence, date and the notices they require, how the links fared in their last
/// check, and links to the `exports` that are there (at kExportsPath). It carries no user name or
/// password.
std::string PublisherPage(const catalogue::Catalogue& catalogue, const CheckResults& checks,
                          std::span<const Export> exports, Version latest);

/// Where the exports are served, without credentials: kExportsPath + Export::fileName.
inline constexpr std::string_view kExportsPath = "/exports/";

/// A short page for an error: `title` as heading and `message` as text, both escaped.
std::string ErrorPage(std::string_view title, std::string_view message);

} // namespace tnews::server
