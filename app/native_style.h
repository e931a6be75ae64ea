// Platform detail of the main window's look.
#pragma once

class wxMenuBar;
class wxWindow;

namespace tnews
{

/// Lets the controls inside `container` take the small heights of the window's design. GTK
/// themes pad buttons, entries and drop-downs to 30 pixels and more, which would clip their
/// text at the designed 20; elsewhere the native controls fit as they are.
void UseCompactControls(wxWindow* container);

/// Keeps `bar` from staying stuck open. GTK gives up opening a menu when it can't grab the
/// pointer (another client holds it, as a window manager may just after a click), but leaves the
/// menu bar active, its title lit and every later key and click sent nowhere: the window can no
/// longer be used, nor closed. Here a bar whose menu did not open is put back to rest.
void KeepMenuBarFromSticking(wxMenuBar* bar);

} // namespace tnews
