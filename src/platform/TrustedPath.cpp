#include "platform/TrustedPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <vector>

namespace KivoUnit::platform {
namespace {

// The kernel's own limit on links followed while resolving one path.
constexpr int kMaxLinks = 40;

void appendComponents(const std::string& path, std::deque<std::string>& out, bool inFront) {
  std::vector<std::string> parts;
  size_t from = 0;
  while (from <= path.size()) {
    const size_t slash = path.find('/', from);
    const size_t to = slash == std::string::npos ? path.size() : slash;
    if (to > from) parts.push_back(path.substr(from, to - from));
    from = to + 1;
  }
  if (inFront) {
    out.insert(out.begin(), parts.begin(), parts.end());
  } else {
    out.insert(out.end(), parts.begin(), parts.end());
  }
}

std::string join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string parentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

PathTrust untrusted(const std::string& reason) { return {PathTrust::Untrusted, reason}; }

// Empty when `info` (of `path`) can only be changed by this process's user or root.
std::string ownerProblem(const std::string& path, const struct stat& info) {
  if (info.st_uid == 0 || info.st_uid == geteuid()) return std::string();
  return quoted(path) + " is owned by user " + std::to_string(info.st_uid) +
         ", neither this process's user nor root";
}

std::string writerProblem(const std::string& path, const struct stat& info) {
  const bool stickyFolder = S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0;
  if (stickyFolder) return std::string();
  if ((info.st_mode & S_IWOTH) != 0) return quoted(path) + " is writable by others";
  if ((info.st_mode & S_IWGRP) != 0) return quoted(path) + " is writable by its group";
  return std::string();
}

std::string problemOf(const std::string& path, const struct stat& info) {
  const std::string owner = ownerProblem(path, info);
  return owner.empty() ? writerProblem(path, info) : owner;
}

std::string absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return join(buffer.data(), path);
}

bool readLink(const std::string& path, std::string& target) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0) return false;
    if (static_cast<size_t>(length) < buffer.size()) {
      target.assign(buffer.data(), static_cast<size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

PathTrust examineTrust(const std::string& path) {
  const std::string start = absolute(path);
  if (path.empty() || start.empty()) return untrusted(quoted(path) + " is not a file name");
  struct stat info {};
  if (lstat("/", &info) != 0) return untrusted("'/' cannot be examined");
  if (std::string problem = problemOf("/", info); !problem.empty()) return untrusted(problem);

  std::deque<std::string> pending;
  appendComponents(start, pending, false);
  std::string current = "/";
  bool atFile = false;
  int links = 0;
  while (!pending.empty()) {
    const std::string name = pending.front();
    pending.pop_front();
    atFile = false;
    if (name == ".") continue;
    if (name == "..") {  // the parent was examined on the way down
      current = parentOf(current);
      continue;
    }
    const std::string next = join(current, name);
    if (lstat(next.c_str(), &info) != 0) {
      if (errno == ENOENT) return {PathTrust::Missing, quoted(next) + " does not exist"};
      return untrusted(quoted(next) + " cannot be examined (" + std::strerror(errno) + ")");
    }
    if (S_ISLNK(info.st_mode)) {
      // A link's own mode means nothing; its owner may remove it from a sticky folder.
      if (std::string problem = ownerProblem(next, info); !problem.empty())
        return untrusted(problem);
      std::string target;
      if (++links > kMaxLinks || !readLink(next, target) || target.empty()) {
        return untrusted(quoted(next) + " is a link that cannot be followed");
      }
      if (target[0] == '/') current = "/";
      appendComponents(target, pending, true);
      continue;
    }
    if (std::string problem = problemOf(next, info); !problem.empty()) return untrusted(problem);
    if (!pending.empty() && !S_ISDIR(info.st_mode)) {
      return untrusted(quoted(next) + " is not a folder");
    }
    atFile = pending.empty();
    if (atFile && !S_ISREG(info.st_mode)) return untrusted(quoted(next) + " is not a regular file");
    current = next;
  }
  if (!atFile) return untrusted(quoted(current) + " is not a regular file");
  return {PathTrust::Trusted, std::string()};
}

}  // namespace KivoUnit::platform
