// The language of the dialogs wx draws itself (the folder and file choosers on Linux, the buttons of its
// message boxes): the system's, from wx's own message catalog (Debian's wx3.2-i18n), so a Chinese desktop
// sees "取消", not "Cancel". The program's own texts are Chinese whatever the system says.
#pragma once

#include <wx/intl.h>

namespace albatrix {

// Installs wx's catalog for `language` (the system's by default): from the system's locale folders on
// Linux, from the exe's resources on Windows (Simplified Chinese only). Where there is none for it (an
// English system) wx keeps its English texts. Returns whether a catalog was loaded.
bool UseLanguageInWxDialogs(wxLanguage language = wxLANGUAGE_DEFAULT);

}  // namespace albatrix
