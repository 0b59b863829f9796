#include "xml/SafeFile.h"
#include "xml/StaleTemporaries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <tinyxml.h>

namespace KivoUnit::detail {
namespace {

// A symbolic link is followed, so the file it points to is replaced and the link stays.
std::string resolvedTarget(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;  // a dangling link is replaced like a missing file
  std::string result(real);
  std::free(real);
  return result;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A new file beside `target`. Created with the ordinary mode so the umask applies to
// files that did not exist before.
int createTemporary(const std::string& target, std::string& name) {
  static std::atomic<unsigned int> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void keepPermissions(int fd, const std::string& target) {
  struct stat info {};
  if (stat(target.c_str(), &info) == 0) fchmod(fd, info.st_mode & 07777);
}

// Takes over `fd`; true only when every byte reached the disk.
bool writeAndSync(const TiXmlDocument& document, int fd) {
  std::FILE* file = fdopen(fd, "w");
  if (file == nullptr) {
    close(fd);
    return false;
  }
  bool written = document.SaveFile(file);
  written = std::fflush(file) == 0 && written;
  written = fsync(fileno(file)) == 0 && written;
  return std::fclose(file) == 0 && written;
}

// Best effort: makes the rename itself survive a crash.
void syncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool saveDocumentSafely(const TiXmlDocument& document, const std::string& path) {
  if (path.empty()) return false;
  const std::string target = resolvedTarget(path);
  std::string temporary;
  const int fd = createTemporary(target, temporary);
  if (fd < 0) return false;
  keepPermissions(fd, target);
  if (!writeAndSync(document, fd) || std::rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  syncFolder(folderOf(target));
  removeStaleTemporaries(target);
  return true;
}

}  // namespace KivoUnit::detail
