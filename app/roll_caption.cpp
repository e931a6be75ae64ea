#include "roll_caption.h"

#include <wx/button.h>
#include <wx/font.h>

#ifdef __WXMSW__
#include <wx/fontutil.h>

#include <windows.h>

#include <vector>
#endif

namespace tnews
{
namespace
{

wxString StandInArrow(bool up)
{
    return wxString(wxUniChar(up ? 0x21E7 : 0x21E9));
}

#ifdef __WXMSW__

// True when the font draws every character of `text` with a glyph of its own. Windows gives
// another font for a face name it lacks, and a font may lack a glyph: either way the caption
// would show an empty box.
bool HasGlyphs(const wxFont& font, const wxString& text)
{
    if (!font.IsOk())
        return false;
    const std::wstring characters = text.ToStdWstring();
    std::vector<WORD> glyphs(characters.size());
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font.GetHFONT());
    const DWORD found = ::GetGlyphIndicesW(dc, characters.c_str(), static_cast<int>(glyphs.size()),
                                           glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    if (found != glyphs.size())
        return false;
    for (WORD glyph : glyphs)
        if (glyph == 0xFFFF)
            return false;
    return true;
}

// "Wingdings" in its symbol character set, which wx has no encoding for; no font where the
// system has none of that name (wx then leaves the font without its native description).
wxFont SymbolFont(wxFont font)
{
    if (!font.SetFaceName("Wingdings") || !font.GetNativeFontInfo())
        return wxFont();
    wxNativeFontInfo symbol = *font.GetNativeFontInfo();
    symbol.lf.lfCharSet = SYMBOL_CHARSET;
    return wxFont(symbol);
}

#endif

} // namespace

void SetRollCaption(wxButton* button, bool up)
{
    const wxFont bold(wxFontInfo(12).Bold());
#ifdef __WXMSW__
    // A symbol font's characters sit at U+F000 plus their code.
    const wxString symbol(wxUniChar(0xF000 + (up ? 0xF1 : 0xF2)));
    const wxFont wingdings = SymbolFont(bold);
    if (HasGlyphs(wingdings, symbol))
    {
        button->SetFont(wingdings);
        button->SetLabel(symbol);
        return;
    }
    // The system's font, else fonts known to carry the arrows: Windows' symbol font and the
    // common free one (Wine).
    const wxString arrow = StandInArrow(up);
    for (const char* face : {"", "Segoe UI Symbol", "DejaVu Sans"})
    {
        wxFont font = bold;
        if (*face)
            font.SetFaceName(face);
        if (HasGlyphs(font, arrow))
        {
            button->SetFont(font);
            button->SetLabel(arrow);
            return;
        }
    }
#endif
    button->SetFont(bold);
    button->SetLabel(StandInArrow(up));
}

} // namespace tnews
