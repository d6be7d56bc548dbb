// The language of the dialogs wx draws itself (the folder and file choosers on Linux, the buttons of its
// message boxes): the system's, from wx's own message catalog (Debian's wx3.2-i18n), so a Chinese desktop
// sees "取消", not "Cancel". The program's own texts are Chinese whatever the system says.
#pragma once

#include <wx/intl.h>

namespace albatrix {

// Installs wx's catalog for `language` (the system's by default). Where no catalog for it is installed
// (an English system; Windows, whose dialogs are the system's own) wx keeps its English texts. Returns
// whether a catalog was loaded.
bool UseLanguageInWxDialogs(wxLanguage language = wxLANGUAGE_DEFAULT);

}  // namespace albatrix
