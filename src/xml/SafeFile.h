#pragma once

#include <string>

class TiXmlDocument;

namespace KivoUnit::detail {

// Writes `document` to `path` so that the file is either fully replaced or left as it
// was: the text goes to a temporary file in the same folder, is synced to disk, takes
// over the owner, group and permission bits of the file it replaces (never readable
// by more people than the original, not even while it is written) and is renamed
// over it. Nothing is left behind on failure, and `reason` says why in the system's
// words.
bool saveDocumentSafely(const TiXmlDocument& document, const std::string& path,
                        std::string& reason);

}  // namespace KivoUnit::detail
