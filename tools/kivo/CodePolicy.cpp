#include "CodePolicy.h"

namespace KivoHost {

bool runsConfigurationCode(const std::string& command, std::optional<bool> requested) {
  if (requested.has_value()) return *requested;
  const bool onlyLooks =
      command == "tree" || command == "state" || command == "info" || command == "get";
  return !onlyLooks;
}

}  // namespace KivoHost
