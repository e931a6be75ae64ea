// The Help menu's roads away from the directory: the local help page, the update check and the
// publisher's website. Each builds one address and makes one call on the browser pane.
#pragma once

#include "browser/browser_pane.h"
#include "tnews/build_config.h"

#include <string_view>

namespace tnews
{

/// Shows help.htm from the program's folder in the pane.
void ShowHelpPage(BrowserPane& pane, std::string_view programFolder);

/// Shows the directory server's answer to the update query for this version in the pane.
void CheckForUpdates(BrowserPane& pane, std::string_view host = DirectoryHost);

/// Opens the publisher's website in a new browser window; the pane keeps its page.
void OpenPublisherWebsite(BrowserPane& pane, std::string_view host = DirectoryHost);

} // namespace tnews
