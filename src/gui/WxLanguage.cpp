#include "gui/WxLanguage.h"

#include <wx/log.h>
#include <wx/translation.h>

#include "MyCode/Trace.h"

namespace albatrix {

bool UseLanguageInWxDialogs(wxLanguage language) {
  wxLogNull quiet;  // a missing catalog is no news for the user
  auto* translations = new wxTranslations;
#ifdef __WXMSW__
  // The catalog travels inside the exe (albatrix.rc).
  translations->SetLoader(new wxResourceTranslationsLoader);
#endif
  if (language != wxLANGUAGE_DEFAULT) translations->SetLanguage(language);
  wxTranslations::Set(translations);  // wx owns it from here
  const bool loaded = translations->AddStdCatalog();
  if (!loaded) Trace("language: no wx catalog for the system's language; wx's own texts stay English");
  return loaded;
}

}  // namespace albatrix
