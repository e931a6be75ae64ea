// The program's own pages for the two failures a newcomer meets first: a directory server that
// does not answer, and an address for the web browser when none is set up. Built in memory (the
// program writes no files); every value they show is escaped.
#pragma once

#include <string>
#include <string_view>

namespace tnews
{

/// Shown in place of the engine's error page when a load of `url` from the directory server at
/// `host` fails with the engine's `reason`: what failed, that nothing answers at `host`, how to
/// start the server, and a link to `url` (credentials and all) to try again.
std::string ServerNotAnsweringPage(std::string_view url, std::string_view host,
                                   std::string_view reason);

/// Shown when `url` belongs in the user's web browser and none could be started: says so, gives
/// the address to copy, and links back to `back`, the page the pane showed (none when empty).
std::string NoBrowserPage(std::string_view url, std::string_view back);

/// `url` without the user name and password in front of its host, for showing it.
std::string WithoutCredentials(std::string_view url);

} // namespace tnews
