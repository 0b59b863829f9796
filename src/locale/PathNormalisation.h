#pragma once

#include <wx/filename.h>
#include <wx/string.h>

namespace KivoUnit::detail {

// A path with every normalisation except case folding, relative to the working folder.
inline wxString normalized(const wxString& path) {
  wxFileName name(path);
  name.Normalize(wxPATH_NORM_ENV_VARS | wxPATH_NORM_DOTS | wxPATH_NORM_TILDE |
                 wxPATH_NORM_ABSOLUTE | wxPATH_NORM_LONG | wxPATH_NORM_SHORTCUT);
  return name.GetFullPath();
}

}  // namespace KivoUnit::detail
