#include "platform/LibrarySearch.h"

#include <sys/auxv.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace KivoUnit::platform {
namespace {

// LD_LIBRARY_PATH as the loader read it when the process started: a later setenv
// does not change where it looks. Ignored, as by the loader, in set-user-ID programs.
std::string loaderLibraryPath() {
  if (getauxval(AT_SECURE) != 0) return std::string();
  std::ifstream in("/proc/self/environ", std::ios::binary);
  const std::string environment((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  const std::string key = "LD_LIBRARY_PATH=";
  size_t from = 0;
  while (from < environment.size()) {
    const size_t end = environment.find('\0', from);
    const size_t to = end == std::string::npos ? environment.size() : end;
    if (environment.compare(from, key.size(), key) == 0) {
      return environment.substr(from + key.size(), to - from - key.size());
    }
    from = to + 1;
  }
  return std::string();
}

}  // namespace

std::string findOnLibraryPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return std::string();
  const std::string folders = loaderLibraryPath();
  size_t from = 0;
  while (!folders.empty() && from <= folders.size()) {
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
