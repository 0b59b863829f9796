#pragma once

#include <string>

namespace KivoUnit::detail {

// Removes the temporary files "<target>.tmp-PID-N" that a save of `target` left
// behind when its process died mid-save. A file whose process still runs (or
// belongs to this process) is another save at work and stays. Returns the count.
int removeStaleTemporaries(const std::string& target);

}  // namespace KivoUnit::detail
