#include "program_icon.h"

namespace tnews
{

wxIconBundle ProgramIcons()
{
    // The program file's own icon (app/tnews.rc.in), in each of its sizes.
    return wxIconBundle("tnews", nullptr);
}

} // namespace tnews
