#pragma once

#include <string>

namespace KivoUnit::platform {

// What a look at a file that is about to run in this process found.
struct PathTrust {
  enum Verdict { Trusted, Missing, Untrusted };
  Verdict verdict = Untrusted;
  std::string
      reason;  // for Untrusted: the offending path and why, e.g. "'/opt/x' is writable by others"
};

// Whether nobody but this process's user and root could have put or changed the
// regular file at `path`: the file, every folder on the way to it and every
// symbolic link passed (each link followed and its target walked the same way)
// must be owned by the effective user or root, and neither the file nor a folder
// may be writable by group or others; a folder with the sticky bit may be, since
// there only owners remove or rename entries. A relative path starts at the
// working directory. Missing means a part of the path does not exist while every
// folder before it passed.
PathTrust examineTrust(const std::string& path);

}  // namespace KivoUnit::platform
