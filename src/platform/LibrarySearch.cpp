#include "platform/LibrarySearch.h"

#include <sys/stat.h>

#include <cstdlib>

namespace KivoUnit::platform {

std::string findOnLibraryPath(const std::string& name) {
  const char* path = std::getenv("LD_LIBRARY_PATH");
  if (name.empty() || name.find('/') != std::string::npos || path == nullptr) return std::string();
  const std::string folders = path;
  size_t from = 0;
  while (from <= folders.size()) {
    const size_t end = folders.find_first_of(":;", from);
    const size_t to = end == std::string::npos ? folders.size() : end;
    // An empty entry stands for the working directory, as the loader reads it.
    const std::string folder = to > from ? folders.substr(from, to - from) : std::string(".");
    const std::string candidate = folder + "/" + name;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return candidate;
    from = to + 1;
  }
  return std::string();
}

}  // namespace KivoUnit::platform
