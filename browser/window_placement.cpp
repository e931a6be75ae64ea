#include "window_placement.h"

#include <wx/toplevel.h>

#include <memory>

namespace tnews
{
namespace
{

struct Placement
{
    wxPoint position;
    wxSize outer;
    wxSize client;
};

Placement Current(const wxTopLevelWindow* window)
{
    return {window->GetPosition(), window->GetSize(), window->GetClientSize()};
}

} // namespace

void PlaceByFrame(wxTopLevelWindow* window, std::function<void()> place)
{
    place();
    auto placed = std::make_shared<Placement>(Current(window));
    window->Bind(wxEVT_SIZE,
                 [window, place, placed](wxSizeEvent& event)
                 {
                     event.Skip();
                     const Placement now = Current(window);
                     const bool frameChanged =
                         now.client == placed->client && now.outer != placed->outer;
                     if (frameChanged && now.position == placed->position)
                         place();
                     *placed = Current(window);
                 });
}

} // namespace tnews
