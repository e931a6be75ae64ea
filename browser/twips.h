// Window geometry is designed in twips (1440 to the inch) and shown at 15 twips to the
// device-independent pixel, so the window keeps its proportions on high-density screens.
#pragma once

#include <wx/gdicmn.h>
#include <wx/window.h>

#include <cmath>

namespace tnews
{

inline constexpr double kTwipsPerDip = 15.0;

/// A rectangle in twips, measured from the top left corner of the window's client area.
struct TwipsRect
{
    float left;
    float top;
    float width;
    float height;
};

/// Twips to device-independent pixels, rounded to the nearest pixel.
inline int TwipsToDip(double twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerDip));
}

/// Device-independent pixels to twips.
inline double DipToTwips(int dip)
{
    return dip * kTwipsPerDip;
}

/// `bounds` in the pixels of `parent`'s screen, for placing a child of `parent`.
inline wxRect TwipsToPixels(const wxWindow* parent, const TwipsRect& bounds)
{
    return wxRect(parent->FromDIP(wxPoint(TwipsToDip(bounds.left), TwipsToDip(bounds.top))),
                  parent->FromDIP(wxSize(TwipsToDip(bounds.width), TwipsToDip(bounds.height))));
}

/// Moves `window`'s top edge to `twips` below the top of its parent's client area; its left edge
/// and size stay. The browser pane's `Top`, whichever pane it is.
inline void MoveTopTo(wxWindow* window, float twips)
{
    window->Move(window->GetPosition().x, window->GetParent()->FromDIP(TwipsToDip(twips)));
}

} // namespace tnews
