#pragma once

#include <wx/string.h>

namespace KivoUnit::platform {

// The platform's library file name formed from `name`: the "lib" prefix goes in
// front of the file name, not in front of a folder the name may carry, and the
// extension is appended ("dir/foo" becomes "dir/libfoo.so").
wxString libraryFileName(const wxString& name);

}  // namespace KivoUnit::platform
