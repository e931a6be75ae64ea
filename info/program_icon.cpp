#include "program_icon.h"

#include "tnews/icon_images.h"

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/image.h>

namespace tnews
{
namespace
{

template <std::size_t N> wxIcon IconFromPng(const unsigned char (&png)[N])
{
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap::NewFromPNGData(png, N));
    return icon;
}

} // namespace

wxIconBundle ProgramIcons()
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxIconBundle icons;
    icons.AddIcon(IconFromPng(kIcon16Png));
    icons.AddIcon(IconFromPng(kIcon32Png));
    icons.AddIcon(IconFromPng(kIcon48Png));
    return icons;
}

} // namespace tnews
