#include "xml/SafeFile.h"
#include "xml/StaleTemporaries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// A new file beside `target`, opened for writing whatever `mode` allows.
int createTemporary(const std::string& target, mode_t mode, std::string& name) {
  static std::atomic<unsigned int> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The mode the temporary file is born with. Replacing a file, it starts with no
// more than the original's owner bits, so nobody else can open it before it has
// the original's owner and mode. A new file gets the ordinary mode, less the umask.
mode_t creationMode(const struct stat* original) {
  return original != nullptr ? (original->st_mode & (S_IRUSR | S_IWUSR)) : 0666;
}

// Gives the temporary file the original's owner, group and permission bits. The
// owner goes first: a change of owner clears the set-user-ID and set-group-ID
// bits. A process that may not give the file away keeps at least the group when
// it belongs to it; bits for an owner or a group the file no longer has are
// dropped rather than granted to someone else.
void takeOverOwnerAndMode(int fd, const struct stat& original) {
  mode_t mode = original.st_mode & 07777;
  if (fchown(fd, original.st_uid, original.st_gid) != 0) {
    struct stat now {};
    if (fstat(fd, &now) == 0 && now.st_uid != original.st_uid) mode &= ~S_ISUID;
    if (fchown(fd, static_cast<uid_t>(-1), original.st_gid) != 0) mode &= ~(S_IRWXG | S_ISGID);
  }
  fchmod(fd, mode);
}

// Takes over `fd`; 0 when every byte reached the disk, else the first error number.
int writeAndSync(const TiXmlDocument& document, int fd) {
  std::FILE* file = fdopen(fd, "w");
  if (file == nullptr) {
    const int error = errno;
    close(fd);
    return error != 0 ? error : EIO;
  }
  int error = 0;
  auto note = [&error](bool ok) {
    if (!ok && error == 0) error = errno != 0 ? errno : EIO;
  };
  errno = 0;
  note(document.SaveFile(file));
  note(std::fflush(file) == 0);
  note(fsync(fileno(file)) == 0);
  note(std::fclose(file) == 0);
  return error;
}

// Best effort: makes the rename itself survive a crash.
void syncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool saveDocumentSafely(const TiXmlDocument& document, const std::string& path,
                        std::string& reason) {
  reason.clear();
  if (path.empty()) {
    reason = "the document has no file name";
    return false;
  }
  const std::string target = resolvedTarget(path);
  struct stat original {};
  const bool replacing = stat(target.c_str(), &original) == 0;
  std::string temporary;
  errno = 0;
  const int fd = createTemporary(target, creationMode(replacing ? &original : nullptr), temporary);
  if (fd < 0) {
    reason = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  if (replacing) takeOverOwnerAndMode(fd, original);
  int error = writeAndSync(document, fd);
  if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    reason = std::strerror(error);
    unlink(temporary.c_str());
    return false;
  }
  syncFolder(folderOf(target));
  removeStaleTemporaries(target);
  return true;
}

}  // namespace KivoUnit::detail
