#pragma once

#include <string>
#include <string_view>

#include <wx/stattext.h>
#include <wx/string.h>

namespace tarvenna {

// The stages write ASCII; file names in error texts come in the system's
// narrow encoding, which is UTF-8 nearly everywhere.
inline wxString ToWx(std::string_view text)
{
    wxString converted = wxString::FromUTF8(text.data(), text.size());
    if (converted.empty() && !text.empty()) converted = wxString::From8BitData(text.data(), text.size());
    return converted;
}

// Wraps `text` at the label's width, from scratch: a label wrapped for
// another width unwraps first (wrapping only ever breaks at blanks).
inline void ShowWrapped(wxStaticText& label, wxString text)
{
    text.Replace("\n", " ");
    label.SetLabel(text);
    label.Wrap(label.GetSize().GetWidth());
}

// A message for the player as a sentence: a capital first and a full stop.
inline wxString Sentence(const std::string& message)
{
    wxString text = ToWx(message) + ".";
    text[0] = wxToupper(text[0]);
    return text;
}

} // namespace tarvenna
