// Conversions between the program's UTF-8 strings and wxString.
#pragma once

#include <wx/string.h>

#include <string>

namespace tnews
{

inline wxString FromUtf8(const std::string& text)
{
    return wxString::FromUTF8(text.data(), text.size());
}

/// Takes the string by reference on purpose: wxString may hand out its cached conversion,
/// which must not outlive the string.
inline std::string ToUtf8(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

} // namespace tnews
