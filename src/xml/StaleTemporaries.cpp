#include "xml/StaleTemporaries.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace KivoUnit::detail {
namespace {

// The process id of a name "<prefix>PID-N", or 0 when the name has another shape.
pid_t ownerOf(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  const std::string rest = name.substr(prefix.size());
  const size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size()) return 0;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (i != dash && (rest[i] < '0' || rest[i] > '9')) return 0;
  }
  if (dash > 9) return 0;
  return static_cast<pid_t>(std::atol(rest.substr(0, dash).c_str()));
}

bool processIsGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

int removeStaleTemporaries(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  const std::string prefix =
      (slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp-";
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    const pid_t owner = ownerOf(name, prefix);
    if (owner <= 0 || owner == getpid() || !processIsGone(owner)) continue;
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && unlink(path.c_str()) == 0) {
      ++removed;
    }
  }
  closedir(listing);
  return removed;
}

}  // namespace KivoUnit::detail
