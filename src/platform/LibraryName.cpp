#include "platform/LibraryName.h"

#include <wx/dynlib.h>
#include <wx/filename.h>

namespace KivoUnit::platform {

wxString libraryFileName(const wxString& name) {
  wxFileName file(name);
  file.SetFullName(wxDynamicLibrary::CanonicalizeName(file.GetFullName(), wxDL_LIBRARY));
  return file.GetFullPath();
}

}  // namespace KivoUnit::platform
