#include "help_menu.h"

#include "browser/local_files.h"
#include "directory/server_urls.h"

namespace tnews
{

void ShowHelpPage(BrowserPane& pane, std::string_view programFolder)
{
    pane.Navigate(ProgramFilePath(programFolder, "help.htm"));
}

void CheckForUpdates(BrowserPane& pane, std::string_view host)
{
    pane.Navigate(UpdateQueryUrl(Major, Minor, Revision, host));
}

void OpenPublisherWebsite(BrowserPane& pane, std::string_view host)
{
    pane.Navigate(PublisherWebsiteUrl(host), std::nullopt, "_blank");
}

} // namespace tnews
