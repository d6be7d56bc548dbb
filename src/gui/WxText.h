// The program's UTF-16 text and wx's strings meet here only.
#pragma once

#include <wx/string.h>

#include "MyCode/StringCtrl.h"

namespace albatrix {

inline wxString ToWx(TextView text) { return wxString::FromUTF8(TextToUtf8(text)); }
inline Text FromWx(const wxString& text) {
  wxScopedCharBuffer utf8 = text.utf8_str();
  return Utf8ToText(std::string_view(utf8.data(), utf8.length()));
}

}  // namespace albatrix
