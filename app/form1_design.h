// The main window's design and run-time layout, in twips (see browser/twips.h). Outer sizes
// were designed against a caption and a menu bar of 19 pixels and a frame of 3 pixels; the
// window asks for the client area those leave and lets the window manager add its own frame.
#pragma once

#include "browser/twips.h"

#include <algorithm>

namespace tnews::form1
{

// Window.
inline constexpr float kWidth = 7420; // outer width
inline constexpr float kClientWidth = 7320;
inline constexpr float kClientHeight = 2625;         // rolled down: the whole pane in view
inline constexpr float kDesignNonClientHeight = 660; // caption + menu bar + frame, 44 pixels
inline constexpr float kRolledUpHeight = 980;        // outer height: caption, menu bar, top row
inline constexpr float kRolledDownHeight = 3285;     // outer height: everything
inline constexpr float kTop = 0;
inline constexpr float kRightGap = 950; // from the outer right edge to the screen's

// Controls as designed, before start-up lays out the top row.
inline constexpr TwipsRect kCombo1 = {0, 0, 2685, 315};
inline constexpr TwipsRect kText1 = {2640, 0, 3105, 285};
inline constexpr TwipsRect kKSearch = {5760, 0, 855, 375};
inline constexpr TwipsRect kRollUp = {6600, 0, 375, 375};
inline constexpr TwipsRect kRollDown = {6960, 0, 375, 375};
inline constexpr TwipsRect kWebBrowser1 = {0, 360, 7335, 2295};

// Run-time layout of the top row.
inline constexpr float kCombo1Width = 2680;
inline constexpr float kText1Gap = 40; // between Combo1 and Text1
inline constexpr float kText1Top = 10;
inline constexpr float kText1Width = 2760;
inline constexpr float kKSearchFromRight = 1890; // KSearch's left is the window width less this
inline constexpr float kKSearchWidth = 1050;
inline constexpr float kKSearchExtraHeight = 20; // taller than Text1 by this
inline constexpr float kPaneGap = 20;            // between Combo1's bottom and the pane
inline constexpr float kRollButtonSize = 300;

/// The window's left edge: the screen's width less the window's and the right gap, but never
/// left of the screen, where the drop-down would be out of reach.
constexpr float WindowLeft(float screenWidth, float windowWidth)
{
    return std::max(0.0f, screenWidth - windowWidth - kRightGap);
}

/// Client height for a designed outer height.
constexpr float ClientHeightFor(float outerHeight)
{
    return outerHeight - kDesignNonClientHeight;
}

} // namespace tnews::form1
