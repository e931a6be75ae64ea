// Platform detail of the main window's look.
#pragma once

class wxWindow;

namespace tnews
{

/// Lets the controls inside `container` take the small heights of the window's design. GTK
/// themes pad buttons, entries and drop-downs to 30 pixels and more, which would clip their
/// text at the designed 20; elsewhere the native controls fit as they are.
void UseCompactControls(wxWindow* container);

} // namespace tnews
