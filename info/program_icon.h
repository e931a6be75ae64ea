// The program's own icon, carried inside the program.
#pragma once

#include <wx/iconbndl.h>

namespace tnews
{

/// The icon in 16, 32 and 48 pixels (and 256 on Windows), for the caption bar and the task
/// bar.
wxIconBundle ProgramIcons();

} // namespace tnews
