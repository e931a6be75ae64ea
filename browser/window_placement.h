// Placing top-level windows by their outer size, which some window managers tell only once the
// window is on screen.
#pragma once

#include <functional>

class wxTopLevelWindow;

namespace tnews
{

/// Runs `place` now, and again whenever the window manager changes the window's frame (its
/// outer size changes while its client size stays) before the user has moved the window.
void PlaceByFrame(wxTopLevelWindow* window, std::function<void()> place);

} // namespace tnews
