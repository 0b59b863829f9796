#pragma once

#include <string>

namespace KivoUnit::platform {

// The file the dynamic loader would take for `name` from the folders of
// LD_LIBRARY_PATH, or "" when it would not find it there. A name with a "/" is a
// path and is not searched; a bare name found nowhere on LD_LIBRARY_PATH is left
// to the system's library folders, which only the administrator configures.
std::string findOnLibraryPath(const std::string& name);

}  // namespace KivoUnit::platform
